// Sorvane: a game for learning complementary angles.

#include "app/form1.h"
#include "app/icons.h"
#include "game/question.h"
#include "toolkit/qtdialogs.h"

#include <QApplication>
#include <QStyleFactory>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sorvane"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setWindowIcon(sorvane::icons::window());

    sorvane::installItalianTranslation();

    sorvane::QtDialogs dialogs;
    sorvane::TimeSeededRandom random;
    sorvane::Form1 window(dialogs, random, QStringLiteral(SORVANE_RECORD_DIR),
                          [] { QCoreApplication::exit(0); });
    dialogs.setParent(&window);
    if (!window.Form_Load())
        return 1;
    window.show();
    return QApplication::exec();
}
