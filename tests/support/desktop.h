#pragma once

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QMap>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QTest>

#include <functional>
#include <optional>

namespace sorvane::testing {

// Runs the event loop until `condition` holds, `ms` at most; whether it holds.
inline bool waitFor(const std::function<bool()>& condition, int ms = 10000)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        if (condition())
            return true;
        QTest::qWait(50);
    }
    return condition();
}

// A desktop of the test's own: an X server (Xvfb), a session bus with the desktop's
// accessibility bus on it, and the programs run on them, driven with xdotool as a pupil's
// keyboard and mouse would drive them, and seen through screenshots.
class Desktop
{
public:
    ~Desktop() { stop(); }

    // Starts the X server, the session bus and the accessibility bus; whether all started. The
    // screen is a classroom board's, 3840 x 2160, or the monitors given side by side, as a
    // classroom's PC drives a monitor on the teacher's desk and the board.
    bool start(const QList<QRect>& heads = {{0, 0, 3840, 2160}})
    {
        QRect all;
        for (const QRect& head : heads)
            all |= head;
        xvfb.start(QStringLiteral("Xvfb"),
                   QStringLiteral("-displayfd 1 -screen 0 %1x%2x24 -noreset -nolisten tcp")
                       .arg(all.width())
                       .arg(all.height())
                       .split(u' '));
        if (!xvfb.waitForStarted(10000) ||
            !(waitFor([&] { return xvfb.canReadLine(); }) || xvfb.waitForReadyRead(10000)))
            return false;
        display = u':' + QString::fromLatin1(xvfb.readLine().trimmed());
        // Each head a monitor of its own (RandR 1.5), at 96 dpi; the first takes the output.
        if (heads.size() > 1) {
            for (qsizetype i = 0; i < heads.size(); ++i) {
                const QRect& h = heads[i];
                int code = 0;
                run(QStringLiteral("xrandr"),
                    {QStringLiteral("--setmonitor"), QStringLiteral("head%1").arg(i),
                     QStringLiteral("%1/%2x%3/%4+%5+%6")
                         .arg(h.width())
                         .arg(h.width() * 254 / 960)
                         .arg(h.height())
                         .arg(h.height() * 254 / 960)
                         .arg(h.x())
                         .arg(h.y()),
                     i == 0 ? QStringLiteral("screen") : QStringLiteral("none")},
                    &code);
                if (code != 0)
                    return false;
            }
        }
        // An Italian keyboard, as a pupil's: its letters with accents are keys of their own, so
        // xdotool types them without remapping a key for each, which the game may read late.
        run(QStringLiteral("setxkbmap"), {QStringLiteral("-layout"), QStringLiteral("it")});
        sessionBus.start(QStringLiteral("dbus-daemon"),
                         {QStringLiteral("--session"), QStringLiteral("--nofork"),
                          QStringLiteral("--print-address=1")});
        if (!sessionBus.waitForStarted(10000) || !sessionBus.waitForReadyRead(10000))
            return false;
        address = QString::fromLatin1(sessionBus.readLine().trimmed());
        a11yLauncher.setProcessEnvironment(environment());
        a11yLauncher.start(QStringLiteral("/usr/libexec/at-spi-bus-launcher"),
                           {QStringLiteral("--launch-immediately")});
        return display.size() > 1 && !address.isEmpty() && a11yLauncher.waitForStarted(10000);
    }

    void stop()
    {
        for (QProcess* p : {&dock, &windowManager, &a11yLauncher, &sessionBus, &xvfb})
            end(*p);
    }

    // Starts a window manager (Openbox) and a dock `dockHeight` pixels high along the bottom
    // of the screen (tint2), which the manager keeps windows off; whether both run.
    bool startWindowManager(int dockHeight)
    {
        windowManager.setProcessEnvironment(environment());
        windowManager.start(QStringLiteral("openbox"), {});
        if (!windowManager.waitForStarted(10000) || !waitFor([&] {
                return !run(QStringLiteral("xprop"),
                            {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                            .contains("not found");
            }))
            return false;
        if (!dockConfig.open())
            return false;
        dockConfig.write("panel_items = T\npanel_size = 100% " + QByteArray::number(dockHeight) +
                         "\npanel_position = bottom center horizontal\n"
                         "strut_policy = follow_size\nautohide = 0\n");
        dockConfig.flush();
        dock.setProcessEnvironment(environment());
        dock.start(QStringLiteral("tint2"), {QStringLiteral("-c"), dockConfig.fileName()});
        // Up once the manager tells the free area above it.
        return dock.waitForStarted(10000) && waitFor([&] {
                   return run(QStringLiteral("xprop"),
                              {QStringLiteral("-root"), QStringLiteral("_NET_WORKAREA")})
                       .contains(QByteArray::number(height() - dockHeight));
               });
    }

    // The screen's height, as the X server has it.
    int height() const
    {
        const QByteArray out = xdotool({QStringLiteral("getdisplaygeometry")});
        return out.split(' ').value(1).trimmed().toInt();
    }

    // The edges that the window manager frames a window with, left, right, top and bottom:
    // all 0 for a window it leaves bare, or when there is no manager.
    QList<int> frameExtents(const QString& id) const
    {
        const QByteArray out = run(QStringLiteral("xprop"), {QStringLiteral("-id"), id,
                                                             QStringLiteral("_NET_FRAME_EXTENTS")});
        QList<int> edges;
        if (const qsizetype at = out.indexOf('='); at >= 0)
            for (const QByteArray& n : out.mid(at + 1).split(','))
                edges << n.trimmed().toInt();
        return edges.size() == 4 ? edges : QList<int>{0, 0, 0, 0};
    }

    // Ends a process, politely first.
    static void end(QProcess& p)
    {
        if (p.state() == QProcess::NotRunning)
            return;
        p.terminate();
        if (!p.waitForFinished(5000)) {
            p.kill();
            p.waitForFinished();
        }
    }

    QString sessionAddress() const { return address; }

    // What a program started on this desktop is given: its display and its buses, with
    // accessibility on as a screen reader turns it on.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.remove(QStringLiteral("QT_SCALE_FACTOR"));
        if (!address.isEmpty())
            env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
        env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
        env.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("0"));
        return env;
    }

    // Runs a command on this desktop to its end; what it wrote.
    QByteArray run(const QString& command, const QStringList& args, int* exitCode = nullptr) const
    {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(command, args);
        p.waitForFinished(10000);
        if (exitCode)
            *exitCode = p.exitCode();
        return p.readAllStandardOutput();
    }

    QByteArray xdotool(const QStringList& args, int* exitCode = nullptr) const
    {
        return run(QStringLiteral("xdotool"), args, exitCode);
    }

    // Presses a key (or a chord such as "Insert+KP_Enter") `times` times.
    void key(const QString& key, int times = 1) const
    {
        for (int i = 0; i < times; ++i)
            xdotool({QStringLiteral("key"), key});
    }

    void type(const QString& text) const
    {
        xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), text});
    }

    // The ids of the mapped windows whose titles match a pattern.
    QByteArrayList visibleWindows(const QString& pattern) const
    {
        int code = 0;
        const QByteArray out = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                        QStringLiteral("--name"), pattern},
                                       &code);
        return code == 0 && !out.trimmed().isEmpty() ? out.trimmed().split('\n') : QByteArrayList();
    }

    // Waits until a window with exactly this title is mapped; its id, or nothing.
    std::optional<QString> waitForWindow(const QString& title, int ms = 10000) const
    {
        return waitForWindowMatching(u'^' + QRegularExpression::escape(title) + u'$', ms);
    }

    // The same for a title that matches a pattern.
    std::optional<QString> waitForWindowMatching(const QString& pattern, int ms = 10000) const
    {
        std::optional<QString> id;
        waitFor(
            [&] {
                const QByteArrayList ids = visibleWindows(pattern);
                if (!ids.isEmpty())
                    id = QString::fromLatin1(ids.first());
                return id.has_value();
            },
            ms);
        return id;
    }

    // Gives a window the keyboard, and waits until it has it.
    void focus(const QString& id) const
    {
        xdotool({QStringLiteral("windowfocus"), id});
        waitFor(
            [&] { return xdotool({QStringLiteral("getwindowfocus")}).trimmed() == id.toLatin1(); },
            3000);
    }

    // Gives a box the keyboard and closes it with Enter.
    void closeBox(const QString& id) const
    {
        focus(id);
        key(QStringLiteral("Return"));
        QVERIFY(waitFor([&] {
            int code = 0;
            xdotool({QStringLiteral("getwindowname"), id}, &code);
            return code != 0 || !visibleWindows(QStringLiteral(".")).contains(id.toLatin1());
        }));
    }

    // Waits for a box with this title and closes it.
    void closeNextBox(const QString& title) const
    {
        const auto box = waitForWindow(title);
        QVERIFY2(box, qPrintable(title));
        closeBox(*box);
    }

    // Where a window stands on the screen, and its size.
    QRect geometry(const QString& id) const
    {
        QMap<QString, int> shell; // X=…, Y=…, WIDTH=…, HEIGHT=…
        const QByteArray out =
            xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), id});
        for (const QString& line : QString::fromLatin1(out).split(u'\n')) {
            if (const auto kv = line.split(u'='); kv.size() == 2)
                shell[kv[0]] = kv[1].toInt();
        }
        return {shell[QStringLiteral("X")], shell[QStringLiteral("Y")],
                shell[QStringLiteral("WIDTH")], shell[QStringLiteral("HEIGHT")]};
    }

    QImage screenshot(const QString& id) const
    {
        return QImage::fromData(
            run(QStringLiteral("import"), {QStringLiteral("-window"), id, QStringLiteral("png:-")}),
            "PNG");
    }

    // Moves the pointer to a point of the window, and waits until it is seen there.
    void pointAt(const QString& window, QPoint at) const
    {
        const QPoint to = geometry(window).topLeft() + at;
        const QString px = QString::number(to.x());
        const QString py = QString::number(to.y());
        xdotool({QStringLiteral("mousemove"), px, py});
        const QByteArray where = QStringLiteral("x:%1 y:%2 ").arg(px, py).toLatin1();
        QVERIFY(waitFor(
            [&] { return xdotool({QStringLiteral("getmouselocation")}).startsWith(where); }));
    }

    // Clicks at a point of the window, once the pointer is seen there.
    void click(const QString& window, QPoint at) const
    {
        pointAt(window, at);
        xdotool({QStringLiteral("click"), QStringLiteral("1")});
    }

private:
    QProcess xvfb;
    QString display;
    QProcess sessionBus;
    QString address;
    QProcess a11yLauncher;
    QProcess windowManager;
    QProcess dock;
    QTemporaryFile dockConfig;
};

} // namespace sorvane::testing
