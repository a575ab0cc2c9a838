// The real program under a real X server (Xvfb), driven with real keyboard and mouse events
// through xdotool, read back from window titles, screenshots and the record files.

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <optional>

namespace {

// The program and its record folder: the test's own build, or, for the install test, the
// installed game with the machine's records (then played as a pupil, the user nobody).
QString fromEnvironment(const char* name, const char* fallback)
{
    return qEnvironmentVariableIsSet(name) ? qEnvironmentVariable(name)
                                           : QString::fromUtf8(fallback);
}
const QString program = fromEnvironment("SORVANE_E2E_PROGRAM", SORVANE_E2E_PROGRAM);
const QString recordDir = fromEnvironment("SORVANE_E2E_RECORD_DIR", SORVANE_E2E_RECORD_DIR);
const bool installed = qEnvironmentVariableIsSet("SORVANE_E2E_PROGRAM");

// The value buttons' captions and left edges in the window.
const QList<std::pair<int, int>> valueButtons{{1, 5},    {2, 72},   {3, 139},  {5, 206},
                                              {10, 273}, {20, 340}, {30, 408}, {40, 475},
                                              {50, 542}, {60, 610}, {70, 680}};

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

    QProcess xvfb;
    QString display;
    QProcess sessionBus;
    QString sessionAddress;
    QProcess a11yLauncher;
    QProcess game;
    // The screen reader a blind pupil uses, with its speech server, for one test.
    QProcess speechServer;
    QProcess screenReader;
    std::optional<QTemporaryDir> readerHome;

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.remove(QStringLiteral("QT_SCALE_FACTOR"));
        // A session bus of the test's own, with the desktop's accessibility bus on it.
        if (!sessionAddress.isEmpty())
            env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), sessionAddress);
        env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
        env.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("0"));
        return env;
    }

    QByteArray run(const QString& command, const QStringList& args, int* exitCode = nullptr)
    {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(command, args);
        p.waitForFinished(10000);
        if (exitCode)
            *exitCode = p.exitCode();
        return p.readAllStandardOutput();
    }

    QByteArray xdotool(const QStringList& args, int* exitCode = nullptr)
    {
        return run(QStringLiteral("xdotool"), args, exitCode);
    }

    // Waits until a window with exactly this title is mapped; its id, or nothing.
    std::optional<QString> waitForWindow(const QString& title, int ms = 10000)
    {
        return waitForWindowMatching(u'^' + QRegularExpression::escape(title) + u'$', ms);
    }

    // The same for a title that matches a pattern.
    std::optional<QString> waitForWindowMatching(const QString& pattern, int ms = 10000)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            int code = 0;
            const QByteArray out =
                xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                         QStringLiteral("--name"), pattern},
                        &code);
            if (code == 0 && !out.trimmed().isEmpty())
                return QString::fromLatin1(out.trimmed().split('\n').first());
            QTest::qWait(50);
        }
        return std::nullopt;
    }

    bool waitFor(const std::function<bool()>& condition, int ms = 10000)
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

    // Gives a window the keyboard, and waits until it has it.
    void focus(const QString& id)
    {
        xdotool({QStringLiteral("windowfocus"), id});
        waitFor(
            [&] { return xdotool({QStringLiteral("getwindowfocus")}).trimmed() == id.toLatin1(); },
            3000);
    }

    // Gives a box the keyboard and closes it with Enter.
    void closeBox(const QString& id)
    {
        focus(id);
        xdotool({QStringLiteral("key"), QStringLiteral("Return")});
        QVERIFY(waitFor([&] {
            int code = 0;
            xdotool({QStringLiteral("getwindowname"), id}, &code);
            const QByteArray visible =
                xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                         QStringLiteral("--name"), QStringLiteral(".")});
            return code != 0 || !visible.contains(id.toLatin1());
        }));
    }

    struct Geometry
    {
        int x = 0, y = 0, width = 0, height = 0;
    };

    Geometry geometry(const QString& id)
    {
        const QString out = QString::fromLatin1(
            xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), id}));
        Geometry g;
        for (const QString& line : out.split(u'\n')) {
            const auto kv = line.split(u'=');
            if (kv.size() != 2)
                continue;
            const int v = kv[1].toInt();
            if (kv[0] == u"X")
                g.x = v;
            else if (kv[0] == u"Y")
                g.y = v;
            else if (kv[0] == u"WIDTH")
                g.width = v;
            else if (kv[0] == u"HEIGHT")
                g.height = v;
        }
        return g;
    }

    QImage screenshot(const QString& id)
    {
        return QImage::fromData(
            run(QStringLiteral("import"), {QStringLiteral("-window"), id, QStringLiteral("png:-")}),
            "PNG");
    }

    // The given angle as drawn: where the green sector meets the blue rest of the quarter,
    // found along an arc in small steps. At the ends of the range one of the two is a sliver
    // hidden under its outline: no green is 1 degree, no blue after the green 89; 0 when
    // there is no figure at all.
    int drawnAngle(const QImage& shot, int menuHeight)
    {
        const double r = 185;
        bool blueSeen = false;
        double lastGreen = -1, firstBlue = -1;
        for (double a = 0.05; a < 90; a += 0.05) {
            const double rad = a * std::numbers::pi / 180.0;
            const QColor c =
                shot.pixelColor(int(std::lround(350 + r * std::sin(rad))),
                                int(std::lround(250 - r * std::cos(rad))) + menuHeight);
            if (c == QColor(0, 128, 0) && firstBlue < 0)
                lastGreen = a;
            else if (c == QColor(0, 0, 128) && lastGreen >= 0 && firstBlue < 0)
                firstBlue = a;
            blueSeen |= c == QColor(0, 0, 128);
        }
        if (lastGreen < 0)
            return blueSeen ? 1 : 0;
        if (firstBlue < 0)
            return 89;
        return int(std::lround((lastGreen + firstBlue) / 2));
    }

    // The client area starts below the menu bar: the window is the menu and 748 x 552.
    int menuHeight(const QString& window) { return geometry(window).height - 552; }

    void click(const QString& window, int x, int y)
    {
        const Geometry g = geometry(window);
        const QString px = QString::number(g.x + x);
        const QString py = QString::number(g.y + menuHeight(window) + y);
        xdotool({QStringLiteral("mousemove"), px, py});
        const QByteArray where = QStringLiteral("x:%1 y:%2 ").arg(px, py).toLatin1();
        QVERIFY(waitFor(
            [&] { return xdotool({QStringLiteral("getmouselocation")}).startsWith(where); }));
        xdotool({QStringLiteral("click"), QStringLiteral("1")});
    }

    void pressValues(const QString& window, int sum)
    {
        for (auto it = valueButtons.crbegin(); it != valueButtons.crend(); ++it) {
            while (sum >= it->first) {
                click(window, it->second + 32, 472 + 35);
                sum -= it->first;
            }
        }
    }

    // Starts the game, types the name and closes the greeting; `whileOpen` runs while each of
    // the two start-up boxes is on screen. The main window's id, or empty.
    QString startAndGreet(const QString& name, const std::function<void(int box)>& whileOpen = {})
    {
        game.setProcessEnvironment(environment());
        if (installed && run(QStringLiteral("id"), {QStringLiteral("-u")}).trimmed() == "0") {
            // As a pupil: setpriv gives up root and becomes the game itself (same process).
            // A test run by a pupil starts it directly.
            game.start(QStringLiteral("setpriv"),
                       {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                        QStringLiteral("--clear-groups"), QStringLiteral("--"), program});
        } else {
            game.start(program, {});
        }
        if (!game.waitForStarted(10000))
            return {};
        const auto ask = waitForWindow(QStringLiteral("Riconosciamo gli angoli"));
        if (!ask)
            return {};
        focus(*ask);
        if (whileOpen)
            whileOpen(0);
        if (!name.isEmpty())
            xdotool(
                {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), name});
        closeBox(*ask);
        const auto greeting = waitForWindow(QStringLiteral("Riconosciamo gli angoli"));
        if (!greeting)
            return {};
        if (whileOpen)
            whileOpen(1);
        closeBox(*greeting);
        const auto window =
            waitForWindow(QString(92, u' ') + QStringLiteral("Impariamo a riconoscere gli angoli"));
        return window.value_or(QString());
    }

    static QByteArray bytesOf(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    // ---- What a screen reader is told, through AT-SPI ------------------------------------

    std::optional<QDBusConnection> a11yBus()
    {
        QDBusConnection session =
            QDBusConnection::connectToBus(sessionAddress, QStringLiteral("e2e-session"));
        if (!session.isConnected())
            return std::nullopt;
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
            QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress"));
        const QDBusMessage reply = session.call(call, QDBus::Block, 5000);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return std::nullopt;
        QDBusConnection bus = QDBusConnection::connectToBus(reply.arguments().first().toString(),
                                                            QStringLiteral("e2e-a11y"));
        if (!bus.isConnected())
            return std::nullopt;
        return bus;
    }

    using Node = std::pair<QString, QString>; // bus name, object path

    static QList<Node> children(QDBusConnection& bus, const Node& node)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(
            node.first, node.second, QStringLiteral("org.a11y.atspi.Accessible"),
            QStringLiteral("GetChildren"));
        const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
        QList<Node> out;
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return out;
        const QDBusArgument arg = reply.arguments().first().value<QDBusArgument>();
        arg.beginArray();
        while (!arg.atEnd()) {
            QString service;
            QDBusObjectPath path;
            arg.beginStructure();
            arg >> service >> path;
            arg.endStructure();
            out.append({service, path.path()});
        }
        arg.endArray();
        return out;
    }

    static QString name(QDBusConnection& bus, const Node& node)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(
            node.first, node.second, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("Get"));
        call << QStringLiteral("org.a11y.atspi.Accessible") << QStringLiteral("Name");
        const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return {};
        return reply.arguments().first().value<QDBusVariant>().variant().toString();
    }

    // A method of one of the object's AT-SPI interfaces; its reply, or an error message.
    static QDBusMessage callOn(QDBusConnection& bus, const Node& node, const char* interface,
                               const char* method, const QVariantList& args = {})
    {
        QDBusMessage call = QDBusMessage::createMethodCall(
            node.first, node.second, QLatin1String("org.a11y.atspi.") + QLatin1String(interface),
            QLatin1String(method));
        call.setArguments(args);
        return bus.call(call, QDBus::Block, 5000);
    }

    static QString role(QDBusConnection& bus, const Node& node)
    {
        const QDBusMessage reply = callOn(bus, node, "Accessible", "GetRoleName");
        return reply.arguments().isEmpty() ? QString() : reply.arguments().first().toString();
    }

    // Whether the object's state set holds this AT-SPI state (a bit of the first word or
    // the second).
    static bool hasState(QDBusConnection& bus, const Node& node, int state)
    {
        const QDBusMessage reply = callOn(bus, node, "Accessible", "GetState");
        if (reply.arguments().isEmpty())
            return false;
        QList<uint> words;
        reply.arguments().first().value<QDBusArgument>() >> words;
        return words.size() == 2 && (words[state / 32] >> (state % 32)) & 1u;
    }
    static constexpr int stateChecked = 4;
    static constexpr int stateFocused = 12;

    // Every accessible object of the game in the order a screen reader walks the tree, with
    // the names it reads; only those with the given role when one is given.
    QList<std::pair<Node, QString>> accessibleObjects(QDBusConnection& bus,
                                                      const QString& withRole = {})
    {
        QList<std::pair<Node, QString>> out;
        QList<Node> todo = children(bus, {QStringLiteral("org.a11y.atspi.Registry"),
                                          QStringLiteral("/org/a11y/atspi/accessible/root")});
        int visited = 0;
        while (!todo.isEmpty() && visited < 2000) {
            const Node node = todo.takeFirst();
            ++visited;
            if (withRole.isEmpty() || role(bus, node) == withRole)
                out.append({node, name(bus, node)});
            todo << children(bus, node);
        }
        return out;
    }

    // Every name in the accessible tree of the game, as a screen reader reads it; only those
    // of objects with the given role when one is given.
    QStringList accessibleNames(const QString& withRole = {})
    {
        auto bus = a11yBus();
        if (!bus)
            return {};
        QStringList names;
        for (const auto& object : accessibleObjects(*bus, withRole))
            names << object.second;
        return names;
    }

    // The first accessible object with this name and role.
    std::optional<Node> find(QDBusConnection& bus, const QString& accessibleName,
                             const QString& withRole)
    {
        for (const auto& object : accessibleObjects(bus, withRole)) {
            if (object.second == accessibleName)
                return object.first;
        }
        return std::nullopt;
    }

    struct Action
    {
        QDBusPendingCall reply;
        QElapsedTimer sent;
    };

    // Runs the first action of the accessible object with this name and role, as a screen
    // reader's user does: the call, whose reply a screen reader waits for.
    std::optional<Action> doAction(const QString& accessibleName, const QString& withRole)
    {
        auto bus = a11yBus();
        if (!bus)
            return std::nullopt;
        const auto node = find(*bus, accessibleName, withRole);
        if (!node)
            return std::nullopt;
        QDBusMessage call = QDBusMessage::createMethodCall(node->first, node->second,
                                                           QStringLiteral("org.a11y.atspi.Action"),
                                                           QStringLiteral("DoAction"));
        call << 0;
        QElapsedTimer sent;
        sent.start();
        return Action{bus->asyncCall(call), sent};
    }

    // Waits, a little under a second at most, for the reply of a screen reader's action: the
    // time it took in ms, or -1 when it has not come.
    qint64 waitForReply(Action& action)
    {
        while (!action.reply.isFinished() && action.sent.elapsed() < 900)
            QTest::qWait(5);
        return action.reply.isFinished() ? action.sent.elapsed() : -1;
    }

    // A screen reader's action that opens a box (its title matching `title`): the reply comes
    // at once, while the box it opened is still up. The box's id.
    std::optional<QString> actionAnsweredWhileItsBoxIsUp(const QString& accessibleName,
                                                         const QString& withRole,
                                                         const QString& title)
    {
        auto action = doAction(accessibleName, withRole);
        if (!action) {
            qWarning() << "no" << withRole << accessibleName;
            return std::nullopt;
        }
        const qint64 ms = waitForReply(*action);
        const auto box = waitForWindowMatching(title);
        if (ms < 0 || !box || action->reply.isError() ||
            !QDBusPendingReply<bool>(action->reply).value()) {
            qWarning() << accessibleName << "replied after" << ms << "ms; box" << box.has_value()
                       << action->reply.error().message();
            return std::nullopt;
        }
        // The box is still up: nobody has closed it.
        if (!waitForWindowMatching(title, 200))
            return std::nullopt;
        qInfo().noquote() << QStringLiteral("\"%1\" answered in %2 ms with its box up")
                                 .arg(accessibleName)
                                 .arg(ms);
        return box;
    }

    // Waits until the screen reader's tree holds every one of `expected`.
    QStringList waitForAccessible(const QStringList& expected)
    {
        QStringList missing = expected;
        waitFor(
            [&] {
                const QStringList names = accessibleNames();
                missing.clear();
                for (const QString& e : expected) {
                    if (!names.contains(e))
                        missing << e;
                }
                return missing.isEmpty();
            },
            15000);
        return missing;
    }

    // ---- What Orca says, read from its debug log ------------------------------------------

    // Starts Orca as its user would have it, in Italian with its default settings, with a home
    // of its own: speech-dispatcher speaking through espeak-ng into a silent ALSA device (there
    // is no sound server to wait for), and Orca's log written line by line.
    bool startScreenReader()
    {
        readerHome.emplace();
        const QString home = readerHome->path();
        const auto write = [&](const QString& name, const QByteArray& text) {
            QDir().mkpath(QFileInfo(home + name).path());
            QFile f(home + name);
            return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
        };
        if (!write(QStringLiteral("/.asoundrc"), "pcm.!default { type null }\n") ||
            !write(QStringLiteral("/.config/speech-dispatcher/speechd.conf"),
                   "AudioOutputMethod \"alsa\"\n"
                   "AddModule \"espeak-ng\" \"sd_espeak-ng\" \"espeak-ng.conf\"\n"
                   "DefaultModule espeak-ng\nDefaultLanguage \"it\"\n") ||
            !write(QStringLiteral("/orca/orca-customizations.py"),
                   "from orca import debug\n"
                   "if debug.debugFile:\n"
                   "    debug.debugFile.reconfigure(line_buffering=True)\n") ||
            !QDir().mkpath(home + QStringLiteral("/run")))
            return false;
        QFile::setPermissions(home + QStringLiteral("/run"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment env = environment();
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/run"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
        env.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("memory"));
        env.insert(QStringLiteral("LANGUAGE"), QStringLiteral("it"));
        speechServer.setProcessEnvironment(env);
        speechServer.setStandardOutputFile(home + QStringLiteral("/speechd.out"));
        speechServer.setStandardErrorFile(home + QStringLiteral("/speechd.out"));
        screenReader.setStandardOutputFile(home + QStringLiteral("/orca.out"));
        screenReader.setStandardErrorFile(home + QStringLiteral("/orca.out"));
        speechServer.start(
            QStringLiteral("speech-dispatcher"),
            {QStringLiteral("--run-single"), QStringLiteral("--timeout"), QStringLiteral("0")});
        screenReader.setProcessEnvironment(env);
        screenReader.start(QStringLiteral("orca"),
                           {QStringLiteral("-u"), home + QStringLiteral("/orca"),
                            QStringLiteral("--debug-file=") + readerLog()});
        return speechServer.waitForStarted(10000) && screenReader.waitForStarted(10000) &&
               waitFor([&] { return !spoken().isEmpty(); }, 30000);
    }

    void stopScreenReader()
    {
        for (QProcess* p : {&screenReader, &speechServer}) {
            if (p->state() == QProcess::NotRunning)
                continue;
            p->terminate();
            if (!p->waitForFinished(5000)) {
                p->kill();
                p->waitForFinished();
            }
        }
        readerHome.reset();
    }

    QString readerLog() const { return readerHome->path() + QStringLiteral("/orca-debug.out"); }

    // Every text Orca has sent to speech so far, in order, without the full stop it adds.
    QStringList spoken() const
    {
        QFile f(readerLog());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        static const QRegularExpression line(
            QStringLiteral("SPEECH OUTPUT: (['\"])(.*)\\1\\s*\\{"));
        QStringList out;
        for (const QByteArray& l : f.readAll().split('\n')) {
            const auto m = line.match(QString::fromUtf8(l));
            if (m.hasMatch()) {
                QString text = m.captured(2);
                if (text.endsWith(u'.') && !text.endsWith(QStringLiteral("..")))
                    text.chop(1);
                out << text;
            }
        }
        return out;
    }

    // Waits until Orca says a text matching `pattern`, at or after the `from`-th; the match.
    QRegularExpressionMatch waitForSpeech(const QString& pattern, qsizetype from = 0,
                                          int ms = 10000)
    {
        const QRegularExpression re(pattern);
        QRegularExpressionMatch found;
        waitFor(
            [&] {
                const QStringList said = spoken();
                for (qsizetype i = from; i < said.size(); ++i) {
                    found = re.match(said[i]);
                    if (found.hasMatch())
                        return true;
                }
                return false;
            },
            ms);
        if (!found.hasMatch())
            qWarning().noquote() << "not heard:" << pattern << "in"
                                 << spoken().mid(from).join(QStringLiteral(" | "));
        return found;
    }

private slots:
    void initTestCase()
    {
        if (!installed) {
            QDir(recordDir).removeRecursively();
            QVERIFY(QDir().mkpath(recordDir));
        }
        xvfb.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-noreset"),
                    QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        QVERIFY(xvfb.waitForStarted(10000));
        QVERIFY(waitFor([&] { return xvfb.canReadLine(); }) || xvfb.waitForReadyRead(10000));
        display = u':' + QString::fromLatin1(xvfb.readLine().trimmed());
        QVERIFY(display.size() > 1);

        sessionBus.start(QStringLiteral("dbus-daemon"),
                         {QStringLiteral("--session"), QStringLiteral("--nofork"),
                          QStringLiteral("--print-address=1")});
        QVERIFY(sessionBus.waitForStarted(10000));
        QVERIFY(sessionBus.waitForReadyRead(10000));
        sessionAddress = QString::fromLatin1(sessionBus.readLine().trimmed());
        QVERIFY(!sessionAddress.isEmpty());
        a11yLauncher.setProcessEnvironment(environment());
        a11yLauncher.start(QStringLiteral("/usr/libexec/at-spi-bus-launcher"),
                           {QStringLiteral("--launch-immediately")});
        QVERIFY(a11yLauncher.waitForStarted(10000));
    }

    void cleanupTestCase()
    {
        if (game.state() != QProcess::NotRunning) {
            game.kill();
            game.waitForFinished();
        }
        for (QProcess* p : {&a11yLauncher, &sessionBus, &xvfb}) {
            p->terminate();
            if (!p->waitForFinished(5000))
                p->kill();
        }
    }

    void cleanup()
    {
        if (game.state() != QProcess::NotRunning) {
            game.kill();
            game.waitForFinished();
        }
        stopScreenReader();
    }

    void aWholeGameSetsARecord()
    {
        const QString window = startAndGreet(QStringLiteral("Niccolò"));
        QVERIFY(!window.isEmpty());
        QCOMPARE(bytesOf(recordDir + QStringLiteral("/sorvane.txt")), QByteArray());
        const int menu = menuHeight(window);
        QVERIFY(menu > 0 && menu < 60);

        // A wrong answer: "Verifica" with nothing pressed.
        const QImage before = screenshot(window);
        const int first = drawnAngle(before, menu);
        QVERIFY2(first >= 1 && first <= 89, qPrintable(QString::number(first)));
        click(window, 24 + 52, 248 + 36);
        const auto wrong = waitForWindow(QStringLiteral("Attenzione"));
        QVERIFY(wrong);
        closeBox(*wrong);

        // A right one: the complement of the angle read off the new figure, which is on screen
        // once the count of wrong answers shows the new count (both change in one repaint).
        const QRect wrongCount(656, 368 + menu, 36, 59);
        QImage shot;
        QVERIFY(waitFor([&] {
            shot = screenshot(window);
            return shot.copy(wrongCount) != before.copy(wrongCount);
        }));
        QTest::qWait(100);
        shot = screenshot(window);
        const int second = drawnAngle(shot, menu);
        QVERIFY(second >= 1 && second <= 89);
        pressValues(window, 90 - second);
        click(window, 24 + 52, 248 + 36);
        const auto right = waitForWindow(QStringLiteral("Giochiamo con gli angoli"));
        QVERIFY2(right, qPrintable(QStringLiteral("given angle read as %1").arg(second)));
        closeBox(*right);

        // Its boxes, its window and its pictures are all drawn without reading a picture file,
        // so no picture format plugin was loaded for them.
        QFile maps(QStringLiteral("/proc/%1/maps").arg(game.processId()));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        QByteArrayList plugins;
        for (const QByteArray& line : maps.readAll().split('\n')) {
            if (line.contains("/imageformats/"))
                plugins << line;
        }
        QVERIFY2(plugins.isEmpty(), plugins.join('\n').constData());

        // "Esci": the farewell, then the confirmation of the new record.
        click(window, 616 + 52, 248 + 36);
        const auto farewell = waitForWindow(QStringLiteral("Sorvane"));
        QVERIFY(farewell);
        closeBox(*farewell);
        const auto confirmation = waitForWindow(QStringLiteral("Sorvane"));
        QVERIFY(confirmation);
        closeBox(*confirmation);
        QVERIFY(game.waitForFinished(10000));
        QCOMPARE(game.exitCode(), 0);

        QCOMPARE(bytesOf(recordDir + QStringLiteral("/sorvane.txt")), QByteArray("1\r\n"));
        QCOMPARE(bytesOf(recordDir + QStringLiteral("/nsorvane.txt")),
                 QByteArray("Niccol\xF2\r\n"));
    }

    void aScoreOfZeroLeavesTheRecordAlone()
    {
        const QByteArray score = bytesOf(recordDir + QStringLiteral("/sorvane.txt"));
        const QByteArray name = bytesOf(recordDir + QStringLiteral("/nsorvane.txt"));
        const QString window = startAndGreet(QStringLiteral("Eva"));
        QVERIFY(!window.isEmpty());
        click(window, 616 + 52, 248 + 36);
        const auto farewell = waitForWindow(QStringLiteral("Sorvane"));
        QVERIFY(farewell);
        closeBox(*farewell);
        QVERIFY(game.waitForFinished(10000));
        QCOMPARE(game.exitCode(), 0);
        QCOMPARE(bytesOf(recordDir + QStringLiteral("/sorvane.txt")), score);
        QCOMPARE(bytesOf(recordDir + QStringLiteral("/nsorvane.txt")), name);
    }

    void aScreenReaderReadsWhatThePlayerSees()
    {
        // The start-up boxes: the prompt and the buttons, then the greeting with its blanks.
        QStringList missingAtStart;
        const QString window = startAndGreet(QStringLiteral("Eva"), [&](int box) {
            missingAtStart << waitForAccessible(
                box == 0 ? QStringList{QStringLiteral("Come ti chiami?"), QStringLiteral("OK"),
                                       QStringLiteral("Annulla")}
                         : QStringList{QStringLiteral(" Eva vediamo se sei un vero campione  ")});
        });
        QVERIFY(!window.isEmpty());
        QVERIFY2(missingAtStart.isEmpty(), qPrintable(missingAtStart.join(u'|')));
        const int menu = menuHeight(window);
        const int angle = drawnAngle(screenshot(window), menu);
        QVERIFY(angle >= 1 && angle <= 89);
        // The window: its labels, buttons and menu commands, exactly as they read on screen.
        QStringList missing = waitForAccessible(
            {QString(92, u' ') + QStringLiteral("Impariamo a riconoscere gli angoli"),
             QStringLiteral("Il record è di"),
             QStringLiteral("con punti"),
             QStringLiteral("Sorvane"),
             QStringLiteral(" Il primo angolo misura gradi."),
             QString::number(angle),
             QStringLiteral("Determina il suo complementare  cliccando sui pulsanti sotto"),
             QStringLiteral("Risposte esatte"),
             QStringLiteral("Risposte errate"),
             QStringLiteral("Sfidante"),
             QStringLiteral("Eva"),
             QStringLiteral("Tempo restante"),
             QStringLiteral("Verifica"),
             QStringLiteral("Esci"),
             QStringLiteral("1"),
             QStringLiteral("2"),
             QStringLiteral("3"),
             QStringLiteral("5"),
             QStringLiteral("10"),
             QStringLiteral("20"),
             QStringLiteral("30"),
             QStringLiteral("40"),
             QStringLiteral("50"),
             QStringLiteral("60"),
             QStringLiteral("70"),
             QStringLiteral("Help"),
             QStringLiteral("Angolo acuto"),
             QStringLiteral("Angolo retto"),
             QStringLiteral("Angolo ottuso"),
             QStringLiteral("Angolo piatto"),
             QStringLiteral("Angolo concavo"),
             QStringLiteral("Angolo giro"),
             QStringLiteral("Crediti")});
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u'|')));
        const QStringList names = accessibleNames();
        QVERIFY(names.contains(QStringLiteral("1\n"))); // the record, with its line end
        QVERIFY(std::any_of(names.cbegin(), names.cend(), [](const QString& n) {
            return QRegularExpression(QStringLiteral("^00:1[45]:[0-5][0-9]$")).match(n).hasMatch();
        }));

        // A box: its text as the player reads it.
        click(window, 24 + 52, 248 + 36);
        const auto wrong = waitForWindow(QStringLiteral("Attenzione"));
        QVERIFY(wrong);
        missing = waitForAccessible(
            {QStringLiteral("Attenzione"),
             QStringLiteral("Fai attenzione, hai sbagliato. Il valore esatto era %1°")
                 .arg(90 - angle),
             QStringLiteral("OK")});
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u'|')));
        closeBox(*wrong);

        // A menu command, chosen through the accessibility interface itself: the screen reader
        // has its answer at once, while the box is up.
        const auto definition =
            actionAnsweredWhileItsBoxIsUp(QStringLiteral("Angolo giro"),
                                          QStringLiteral("menu item"), QStringLiteral("^Sorvane$"));
        QVERIFY(definition);
        missing = waitForAccessible(
            {QStringLiteral(" Un angolo si dice giro quando la sua ampezza è di 360°")});
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u'|')));
        closeBox(*definition);

        click(window, 616 + 52, 248 + 36);
        const auto farewell = waitForWindow(QStringLiteral("Sorvane"));
        QVERIFY(farewell);
        missing = waitForAccessible({QStringLiteral("Ciao a presto Eva")});
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u'|')));
        closeBox(*farewell);
        QVERIFY(game.waitForFinished(10000));
    }

    void theKeysAndAScreenReaderPressEveryControl()
    {
        const QString window = startAndGreet(QStringLiteral("Eva"));
        QVERIFY(!window.isEmpty());
        auto bus = a11yBus();
        QVERIFY(bus);
        QVERIFY(waitForAccessible({QStringLiteral("Verifica")}).isEmpty());

        // Return on the focused "Verifica", reached with Tab from "40", checks the sum of 0.
        focus(window);
        for (int i = 0; i < 10; ++i)
            xdotool({QStringLiteral("key"), QStringLiteral("Tab")});
        const auto verifica = find(*bus, QStringLiteral("Verifica"), QStringLiteral("push button"));
        QVERIFY(verifica);
        QVERIFY(waitFor([&] { return hasState(*bus, *verifica, stateFocused); }, 3000));
        xdotool({QStringLiteral("key"), QStringLiteral("Return")});
        const auto checked = waitForWindow(QStringLiteral("Attenzione"));
        QVERIFY(checked);
        closeBox(*checked);

        // The value button "20" is a push button whose action presses it: the total reads 20.
        const QString twenty = QStringLiteral("20");
        const auto buttons = accessibleObjects(*bus, QStringLiteral("push button"));
        QCOMPARE(std::count_if(buttons.cbegin(), buttons.cend(),
                               [&](const auto& b) { return b.second == twenty; }),
                 1);
        const auto button = find(*bus, twenty, QStringLiteral("push button"));
        QVERIFY(button);
        // Its first action, the one a screen reader runs, presses it; none toggles it.
        QDBusMessage get = QDBusMessage::createMethodCall(
            button->first, button->second, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("Get"));
        get << QStringLiteral("org.a11y.atspi.Action") << QStringLiteral("NActions");
        const QDBusMessage count = bus->call(get, QDBus::Block, 5000);
        QVERIFY(!count.arguments().isEmpty());
        const int actions = count.arguments().first().value<QDBusVariant>().variant().toInt();
        QStringList actionNames;
        for (int i = 0; i < actions; ++i) {
            const QDBusMessage n = callOn(*bus, *button, "Action", "GetName", {i});
            actionNames << (n.arguments().isEmpty() ? QString() : n.arguments().first().toString());
        }
        QVERIFY2(!actionNames.isEmpty() && actionNames.first() == u"Press" &&
                     !actionNames.contains(QStringLiteral("Toggle")),
                 qPrintable(actionNames.join(u'|')));
        // The total is the one label that changes from 0 (the given angle may read 20 too).
        const QStringList labelsBefore = accessibleNames(QStringLiteral("label"));
        auto press = doAction(twenty, QStringLiteral("push button"));
        QVERIFY(press);
        QVERIFY(waitForReply(*press) >= 0);
        QVERIFY(waitFor([&] {
            const QStringList labels = accessibleNames(QStringLiteral("label"));
            return labels.count(twenty) == labelsBefore.count(twenty) + 1 &&
                   labels.count(QStringLiteral("0")) == labelsBefore.count(QStringLiteral("0")) - 1;
        }));
        QVERIFY(!hasState(*bus, *button, stateChecked));

        // "Verifica" and "Esci" through the screen reader: each answers at once, its box up.
        const auto judged = actionAnsweredWhileItsBoxIsUp(
            QStringLiteral("Verifica"), QStringLiteral("push button"),
            QStringLiteral("^(Attenzione|Giochiamo con gli angoli)$"));
        QVERIFY(judged);
        closeBox(*judged);
        const auto farewell = actionAnsweredWhileItsBoxIsUp(
            QStringLiteral("Esci"), QStringLiteral("push button"), QStringLiteral("^Sorvane$"));
        QVERIFY(farewell);
        QVERIFY(waitForAccessible({QStringLiteral("Ciao a presto Eva")}).isEmpty());
        closeBox(*farewell);
        QVERIFY(game.waitForFinished(10000));
        QCOMPARE(game.exitCode(), 0);
    }

    // A blind pupil plays by ear with Orca: the angle, each total, the answer, the counts and
    // the next angle are spoken by themselves, once each, and the rest is read on demand.
    void aBlindPupilPlaysByEar()
    {
        // Orca runs once per user: one already running (the developer's own) is left alone.
        int others = 1;
        run(QStringLiteral("pgrep"),
            {QStringLiteral("-u"),
             QString::fromLatin1(run(QStringLiteral("id"), {QStringLiteral("-u")}).trimmed()),
             QStringLiteral("-x"), QStringLiteral("orca")},
            &others);
        if (others == 0)
            QSKIP("Orca already runs for this user, and only one may");
        QVERIFY2(startScreenReader(), "Orca did not start speaking");
        const qsizetype atStart = spoken().size();
        const QString window = startAndGreet(QStringLiteral("Eva"));
        QVERIFY(!window.isEmpty());
        focus(window); // as a window manager does when the greeting closes
        const int menu = menuHeight(window);

        const auto first = waitForSpeech(QStringLiteral("^Il primo angolo misura (\\d+) gradi?$"));
        QVERIFY(first.hasMatch());
        const int angle = first.captured(1).toInt();
        QCOMPARE(angle, drawnAngle(screenshot(window), menu));

        // "40" has the focus: Space presses it; Tab to "50" and Return presses that one.
        qsizetype mark = spoken().size();
        xdotool({QStringLiteral("key"), QStringLiteral("space")});
        QVERIFY(waitForSpeech(QStringLiteral("^40$"), mark).hasMatch());
        xdotool({QStringLiteral("key"), QStringLiteral("Tab")});
        QVERIFY(waitForSpeech(QStringLiteral("^50 pulsante$"), mark).hasMatch());
        mark = spoken().size();
        xdotool({QStringLiteral("key"), QStringLiteral("Return")});
        QVERIFY(waitForSpeech(QStringLiteral("^90$"), mark).hasMatch());

        // Nine Tabs on from "50" is "Verifica"; 90 is more than any complement.
        for (int i = 0; i < 9; ++i)
            xdotool({QStringLiteral("key"), QStringLiteral("Tab")});
        QVERIFY(waitForSpeech(QStringLiteral("^Verifica pulsante$"), mark).hasMatch());
        xdotool({QStringLiteral("key"), QStringLiteral("space")});
        const auto box = waitForWindow(QStringLiteral("Attenzione"));
        QVERIFY(box);
        QVERIFY(waitForSpeech(u'^' +
                                  QRegularExpression::escape(
                                      QStringLiteral(" Hai raggiunto un valore maggiore. Il "
                                                     "valore esatto era %1°")
                                          .arg(90 - angle)) +
                                  u'$',
                              mark)
                    .hasMatch());
        closeBox(*box);
        focus(window); // the window manager gives the keyboard back
        const auto next = waitForSpeech(
            QStringLiteral("^Risposte esatte 0, risposte errate 1\\. Il primo angolo misura "
                           "(\\d+) gradi?$"),
            mark);
        QVERIFY(next.hasMatch());
        QTest::qWait(300);
        QCOMPARE(next.captured(1).toInt(), drawnAngle(screenshot(window), menu));

        // What was said for this question, from the greeting to the next angle: every
        // announcement once, and none with a word of its own (no "notifica").
        const QStringList question = spoken().mid(atStart);
        qInfo().noquote() << "Orca said:\n  " + question.join(QStringLiteral("\n  "));
        for (const QString& once :
             {first.captured(0), QStringLiteral("40"), QStringLiteral("90"), next.captured(0)})
            QVERIFY2(question.count(once) == 1, qPrintable(once));
        QVERIFY(std::none_of(question.cbegin(), question.cend(), [](const QString& t) {
            return t.contains(QStringLiteral("notifica"), Qt::CaseInsensitive);
        }));

        // On demand: Orca's "read the status bar" (Orca+keypad Enter, twice).
        mark = spoken().size();
        xdotool({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("150"),
                 QStringLiteral("Insert+KP_Enter"), QStringLiteral("Insert+KP_Enter")});
        QVERIFY(waitForSpeech(
                    QStringLiteral("^Tempo restante 1[34] minut[oi]( e \\d+ second[oi])?$"), mark)
                    .hasMatch());
        for (const QString& fact :
             {QStringLiteral("Somma 0"), QStringLiteral("Risposte esatte 0"),
              QStringLiteral("Risposte errate 1"), next.captured(0).section(u'.', 1).trimmed()})
            QVERIFY2(spoken().mid(mark).contains(fact), qPrintable(fact));

        // A menu command's definition, chosen through the accessibility interface.
        mark = spoken().size();
        const auto definition =
            actionAnsweredWhileItsBoxIsUp(QStringLiteral("Angolo giro"),
                                          QStringLiteral("menu item"), QStringLiteral("^Sorvane$"));
        QVERIFY(definition);
        QVERIFY(
            waitForSpeech(
                QStringLiteral("^ Un angolo si dice giro quando la sua ampezza è di 360°$"), mark)
                .hasMatch());
        closeBox(*definition);
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
