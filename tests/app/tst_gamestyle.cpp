#include "app/gamestyle.h"
#include "app/icons.h"
#include "toolkit/qtdialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QStyleFactory>
#include <QTest>
#include <QTimer>

#include <memory>

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

} // namespace

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

QTEST_MAIN(TestGameStyle)
#include "tst_gamestyle.moc"
