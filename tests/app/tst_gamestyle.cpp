#include "app/gamestyle.h"
#include "app/icons.h"
#include "texts/boxtexts.h"
#include "texts/definitions.h"
#include "toolkit/boardbox.h"
#include "toolkit/colors.h"
#include "toolkit/qtdialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <vector>

using namespace sorvane;

namespace {

// Paints the modal box once it is open, then answers it with Return.
void paintAndAnswer()
{
    QTimer::singleShot(0, [] {
        QWidget* box = nullptr;
        QTRY_VERIFY((box = QApplication::activeModalWidget()) != nullptr);
        box->grab();
        QTest::keyClick(box, Qt::Key_Return);
    });
}

// Fusion that counts the standard pictures asked of it and asks for pictures on the boxes'
// buttons, as some desktops do.
class BaseStyle : public QProxyStyle
{
public:
    BaseStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option,
                       const QWidget* widget) const override
    {
        ++asked;
        return QProxyStyle::standardIcon(which, option, widget);
    }
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
    mutable int asked = 0;
};

// What a box shows: its size, its text's place in it and the lines the text takes.
struct Shown
{
    QSize box;
    QRect text;
    int lines = 0;
    bool framed = true;
    QString title;
};

// Opens `m` through `dialogs` and reads the box once it is open, then closes it.
Shown shownBox(Dialogs& dialogs, const Message& m)
{
    Shown shown;
    QTimer::singleShot(0, [&] {
        QWidget* box = nullptr;
        QTRY_VERIFY((box = QApplication::activeModalWidget()) != nullptr);
        QTRY_VERIFY(box->isVisible());
        auto* board = qobject_cast<BoardMessage*>(box);
        auto* text =
            board ? board->textLabel() : box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        QVERIFY(text);
        shown.box = box->size();
        shown.text = text->geometry();
        shown.lines = text->wordWrap() ? linesOf(text->text(), text->font(), text->width()) : 1;
        shown.framed = !box->windowFlags().testFlag(Qt::FramelessWindowHint);
        shown.title = box->windowTitle();
        QTest::keyClick(box, Qt::Key_Return);
    });
    dialogs.message(m);
    return shown;
}

} // namespace
Q_DECLARE_METATYPE(sorvane::Message)

class TestGameStyle : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        useGameStyle();
        QVERIFY(installItalianTranslation());
    }

    // First, before anything in this process reads a picture file.
    void theWindowAndEveryBoxLoadNoPictureFormatPlugin()
    {
        QMainWindow window;
        window.menuBar()->addMenu(QStringLiteral("Help"))->addAction(QStringLiteral("Sorvane"));
        window.show();
        window.grab();
        QtDialogs dialogs;
        dialogs.setParent(&window);
        paintAndAnswer();
        dialogs.input(QStringLiteral("Come ti chiami?"), QStringLiteral("Riconosciamo gli angoli"));
        for (const BoxIcon icon :
             {BoxIcon::None, BoxIcon::Warning, BoxIcon::Error, BoxIcon::Information}) {
            paintAndAnswer();
            dialogs.message({QStringLiteral("Testo"), {}, icon});
        }
        // The picture format plugins loaded into this process, read off its memory map.
        QFile maps(QStringLiteral("/proc/self/maps"));
        if (!maps.open(QIODevice::ReadOnly))
            QSKIP("this system shows no memory map of a process");
        QStringList plugins;
        for (const QByteArray& line : maps.readAll().split('\n')) {
            if (const qsizetype at = line.indexOf("/imageformats/"); at >= 0)
                plugins << QString::fromLocal8Bit(line.mid(at + 14));
        }
        QVERIFY2(plugins.isEmpty(), qPrintable(plugins.join(u' ')));
    }

    void eachBoxShowsTheGamesOwnSign_data()
    {
        QTest::addColumn<int>("icon");
        QTest::addColumn<QIcon>("sign");
        QTest::newRow("information") << int(QMessageBox::Information) << icons::information();
        QTest::newRow("warning") << int(QMessageBox::Warning) << icons::warning();
        QTest::newRow("critical") << int(QMessageBox::Critical) << icons::error();
    }
    void eachBoxShowsTheGamesOwnSign()
    {
        QFETCH(int, icon);
        QFETCH(QIcon, sign);
        const QPixmap shown = QMessageBox(QMessageBox::Icon(icon), {}, {}).iconPixmap();
        QVERIFY(!shown.isNull());
        QCOMPARE(shown.toImage(), sign.pixmap(shown.size()).toImage());
    }

    void boxButtonsArePlain_data()
    {
        QTest::addColumn<bool>("gameStyle"); // else the base alone, which asks for pictures
        QTest::newRow("game style") << true;
        QTest::newRow("base style alone") << false;
    }
    void boxButtonsArePlain()
    {
        QFETCH(bool, gameStyle);
        auto* base = new BaseStyle;
        GameStyle style(base);
        QDialogButtonBox box;
        box.setStyle(gameStyle ? static_cast<QStyle*>(&style) : base);
        box.setStandardButtons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        const QList<QAbstractButton*> buttons = box.buttons();
        QCOMPARE(buttons.size(), 2);
        for (QAbstractButton* button : buttons)
            QCOMPARE(button->icon().isNull(), gameStyle);
    }

    void otherStandardPicturesAreMadeWhenFirstPainted()
    {
        auto* base = new BaseStyle;
        GameStyle style(base);
        const QIcon ok = style.standardIcon(QStyle::SP_DialogOkButton);
        const QIcon arrow = style.standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
        QCOMPARE(base->asked, 0);
        const QImage drawn = ok.pixmap(16, 16).toImage();
        QCOMPARE(base->asked, 1);
        const QImage fusion =
            std::unique_ptr<QStyle>(QStyleFactory::create(QStringLiteral("Fusion")))
                ->standardIcon(QStyle::SP_DialogOkButton)
                .pixmap(16, 16)
                .toImage();
        QVERIFY(!drawn.isNull());
        QCOMPARE(drawn, fusion);
        ok.pixmap(16, 16);
        QCOMPARE(base->asked, 1); // made once
    }

    // On the board every box is the window's enlarged: as many lines, its text as wide and
    // as high, its size (under its own title) the window's times the factor, within 10 %; no
    // frame of the window manager's, and its title where a screen reader reads it.
    void boxesOnTheBoardAreTheWindowsEnlarged_data()
    {
        QTest::addColumn<Message>("message");
        QTest::addColumn<double>("factor");
        const Message help = definitions().front().message;
        const Message greeting{QStringLiteral(" Eva vediamo se sei un vero campione  "),
                               QStringLiteral("Riconosciamo gli angoli"), BoxIcon::Warning};
        const Message tooSmall = sumTooSmall(QStringLiteral("45"));
        const Message goodbye = farewell(QStringLiteral("Eva"));
        // 1920 x 1080 and 3840 x 2160, the menu bar included; and a board as the window.
        for (const double k : {1.0, 1.8947, 3.7895}) {
            const QByteArray at = " at " + QByteArray::number(k);
            QTest::newRow("help" + at) << help << k;
            QTest::newRow("greeting" + at) << greeting << k;
            QTest::newRow("too small" + at) << tooSmall << k;
            QTest::newRow("farewell" + at) << goodbye << k;
        }
        QTest::newRow("record stored at 3.79") << recordStored() << 3.7895;
        QTest::newRow("a long name's greeting at 3.79")
            << Message{QStringLiteral(" Maria Vittoria Benedetta Sforza Visconti di Modrone "
                                      "vediamo se sei un vero campione  "),
                       QStringLiteral("Riconosciamo gli angoli"), BoxIcon::Warning}
            << 3.7895;
    }
    void boxesOnTheBoardAreTheWindowsEnlarged()
    {
        QFETCH(Message, message);
        QFETCH(double, factor);
        QtDialogs window;
        const Shown small = shownBox(window, message);
        QVERIFY(small.framed);
        const Scale k(factor);
        const QFont font = QApplication::font();
        useGameStyle(k);
        Shown large;
        {
            QtDialogs board;
            board.setBoard({k, QGuiApplication::primaryScreen(), fromBgr(0xC0C000)});
            large = shownBox(board, message);
        }
        useGameStyle();
        QApplication::setFont(font);
        QCOMPARE(large.lines, small.lines);
        QVERIFY(!large.framed);
        QCOMPARE(large.title, small.title);
        auto within = [&](int board, int window) {
            const bool near = std::abs(board - factor * window) <= 0.1 * factor * window;
            if (!near)
                qWarning() << board << "is not" << factor << "times" << window;
            return near;
        };
        QVERIFY(within(large.text.width(), small.text.width()));
        QVERIFY(within(large.text.height(), small.text.height()));
        QVERIFY(within(large.box.width(), small.box.width()));
        // Under its title: from the text's top down.
        QVERIFY(
            within(large.box.height() - large.text.top(), small.box.height() - small.text.top()));
    }

    void aPictureOutlivingItsStyleIsEmpty()
    {
        QIcon icon;
        {
            GameStyle style;
            icon = style.standardIcon(QStyle::SP_DialogCancelButton);
        }
        QVERIFY(icon.pixmap(16, 16).isNull());
    }
};

// On a classroom board's screen, wide enough for the board's largest boxes. Given on the
// command line, after any platform given there: under wine the environment does not reach
// the program.
int main(int argc, char* argv[])
{
    QTemporaryDir dir;
    QFile screens(dir.filePath(QStringLiteral("screens.json")));
    if (!dir.isValid() || !screens.open(QIODevice::WriteOnly) ||
        screens.write(R"({"screens": [{"name": "lavagna", "x": 0, "y": 0, "width": 3840,
                          "height": 2160, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})") <
            0)
        return 1;
    screens.close();
    // Named from its own folder: a Windows path's drive letter would end the platform's name.
    QByteArray platform = "offscreen:configfile=screens.json";
    QByteArray option = "-platform";
    std::vector<char*> args(argv, argv + argc);
    args.insert(args.end(), {option.data(), platform.data(), nullptr});
    int count = argc + 2;
    const QString folder = QDir::currentPath();
    QDir::setCurrent(dir.path());
    QApplication app(count, args.data());
    QDir::setCurrent(folder);
    TestGameStyle test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, count, args.data());
}

#include "tst_gamestyle.moc"
