// Sorvane: a game for learning complementary angles.

#include "app/form1.h"
#include "app/gamestyle.h"
#include "app/icons.h"
#include "app/recordfolder.h"
#include "game/question.h"
#include "toolkit/qtdialogs.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sorvane"));
    sorvane::useGameStyle();
    QApplication::setWindowIcon(sorvane::icons::window());

    sorvane::installItalianTranslation();

    sorvane::QtDialogs dialogs;
    // The record files' folder is chosen here, once, for the whole run.
    const sorvane::RecordFolder records = sorvane::machineRecordFolder();
    if (!records.error.isEmpty()) {
        dialogs.message({records.error, {}, sorvane::BoxIcon::Error});
        return 1;
    }
    sorvane::TimeSeededRandom random;
    sorvane::Form1 window(dialogs, random, records.path, [] { QCoreApplication::exit(0); });
    dialogs.setParent(&window);
    if (!window.Form_Load())
        return 1;
    window.show();
    return QApplication::exec();
}
