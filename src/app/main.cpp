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
    // The game has no options of its own. Installed with its group, it gives Qt none of the
    // pupil's either: Qt's own name folders to load plugins from, and platforms and themes that
    // load more.
    if (privileged && argc > 1) {
        std::fprintf(stderr, "sorvane: opzione sconosciuta: %s\n", argv[1]);
        return 2;
    }
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
        // holds the record files: only what the game needs of the environment is kept, and
        // Qt takes no theme or settings from the desktop, which would load the desktop's own
        // libraries and, through them, whatever a pupil's settings name.
        if (!platform::keepSafeEnvironment()) {
            std::fprintf(stderr, "sorvane: nessuno schermo X11 su cui mostrare il gioco "
                                 "(la variabile DISPLAY)\n");
            return 1;
        }
        QGuiApplication::setDesktopSettingsAware(false);
    }

    static int fixedArgc = 1;
    static char programName[] = "sorvane";
    static char* fixedArgv[] = {programName, nullptr};
    QApplication app(privileged ? fixedArgc : argc, privileged ? fixedArgv : argv);
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
