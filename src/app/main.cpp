// Sorvane: a game for learning complementary angles.

#include "app/form1.h"
#include "app/gamestyle.h"
#include "app/icons.h"
#include "app/recordfolder.h"
#include "game/question.h"
#include "platform/privilege.h"
#include "records/recordhandles.h"
#include "toolkit/qtdialogs.h"

#include <QApplication>

#include <cstdio>
#include <optional>

int main(int argc, char* argv[])
{
    namespace platform = sorvane::platform;
    // First of all, before any Qt object exists: installed with a group of its own, the game
    // may write the machine's record files only now. They are opened here, once, and the
    // group is given up for good; the rest of the run, Qt included, has only these open
    // files. Whatever could not be opened is told at its own step of start-up, as always.
    const bool privileged = platform::startedPrivileged();
    const sorvane::RecordFolder records = sorvane::machineRecordFolder();
    std::optional<sorvane::RecordHandles> opened;
    if (records.error.empty()) {
        opened = sorvane::RecordHandles::open(
            records.path, privileged ? sorvane::RecordHandles::Sharing::Group
                                     : sorvane::RecordHandles::Sharing::EveryUser);
    }
    if (privileged) {
        if (const platform::SysError error = platform::dropPrivilege()) {
            std::fprintf(stderr, "Sorvane: impossibile rinunciare ai permessi del gruppo: %s\n",
                         platform::reason(error).c_str());
            return 1;
        }
        // A pupil must not be able to put code or settings of theirs into the process that
        // holds the record files.
        platform::removeUnsafeEnvironment();
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sorvane"));
    sorvane::useGameStyle();
    QApplication::setWindowIcon(sorvane::icons::window());

    sorvane::installItalianTranslation();

    sorvane::QtDialogs dialogs;
    if (!records.error.empty()) {
        dialogs.message({QString::fromStdString(records.error), {}, sorvane::BoxIcon::Error});
        return 1;
    }
    sorvane::TimeSeededRandom random;
    sorvane::Form1 window(dialogs, random, QString::fromStdU16String(records.path.u16string()),
                          [] { QCoreApplication::exit(0); });
    window.keepOpenedRecords(std::move(*opened));
    dialogs.setParent(&window);
    if (!window.Form_Load())
        return 1;
    window.show();
    return QApplication::exec();
}
