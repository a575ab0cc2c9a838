// The floor program: what a program showing the game's content the plainest way takes from
// the machine. The same start-up as the game's (the window built, the name box, the greeting,
// the window shown) and a clock label rewritten once a second. With --lavagna, the window is
// shown over the whole screen; the plainest enlargement is Qt's own (QT_SCALE_FACTOR).

#include "floor_window.h"

#include "game/clock.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLayout>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QScreen>
#include <QStyleFactory>
#include <QTime>
#include <QTimer>
#include <QTranslator>

#include <cstring>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QTranslator translator;
    if (translator.load(QLocale(QLocale::Italian), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&translator);

    FloorWindow floor = makeFloorWindow();
    const QString title = QStringLiteral("Riconosciamo gli angoli");
    const QString name = QInputDialog::getText(nullptr, title, QStringLiteral("Come ti chiami?"));
    QMessageBox::warning(nullptr, title,
                         u' ' + name + QStringLiteral(" vediamo se sei un vero campione  "));

    QTime left(0, sorvane::gameMinutes, 0);
    QTimer clock;
    QObject::connect(&clock, &QTimer::timeout, [&] {
        left = left.addSecs(-1);
        floor.clock->setText(left.toString(QStringLiteral("hh:mm:ss")));
    });
    clock.start(1000);
    if (argc > 1 && std::strcmp(argv[1], "--lavagna") == 0) {
        // Over the whole screen, as the board's window is, the client area at its top left.
        floor.window->layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
        floor.window->setMinimumSize(0, 0);
        floor.window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        floor.window->setGeometry(QGuiApplication::primaryScreen()->geometry());
        floor.window->showFullScreen();
    } else {
        floor.window->show();
    }
    return QApplication::exec();
}
