// Sorvane: a game for learning complementary angles.

#include "app/form1.h"
#include "app/gamestyle.h"
#include "app/icons.h"
#include "app/recordfolder.h"
#include "game/question.h"
#include "platform/privilege.h"
#include "records/recordhandles.h"
#include "toolkit/colors.h"
#include "toolkit/qtdialogs.h"

#include <QApplication>
#include <QCursor>
#include <QScreen>

#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <string>

int main(int argc, char* argv[])
{
    namespace platform = sorvane::platform;
    // First of all, before any Qt object exists: installed with a group of its own, the game
    // may write the machine's record files only now. They are opened once, by a child that
    // keeps the group, and this process gives it up for good; the rest of the run, Qt
    // included, has only the open files the child hands over. Whatever could not be opened is
    // told at its own step of start-up, as always.
    const bool privileged = platform::startedPrivileged();
    // The game's one option, `--lavagna`, shows it on the classroom's board. Installed with its
    // group, the game gives Qt none of the pupil's options: Qt's own name folders to load
    // plugins from, and platforms and themes that load more. From a build folder the rest are
    // Qt's.
    bool onBoard = false;
    int qtArgc = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--lavagna") == 0) {
            onBoard = true;
        } else if (privileged) {
            std::fprintf(stderr, "sorvane: opzione sconosciuta: %s\n", argv[i]);
            return 2;
        } else {
            argv[qtArgc++] = argv[i];
        }
    }
    argv[qtArgc] = nullptr;
    const sorvane::RecordFolder records = sorvane::machineRecordFolder();
    // A class's folder that cannot be used is said at start-up, and the pupil plays. The files
    // are opened by a child that keeps the group while this process gives it up and goes on: a
    // folder on a server that does not answer never holds up the start.
    const std::string classFolderProblem = records.named ? records.error : std::string();
    std::function<sorvane::RecordHandles()> opener;
    if (privileged && records.error.empty())
        opener = sorvane::RecordHandles::openElsewhere(records.path,
                                                       sorvane::RecordHandles::Sharing::Group);
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
    QApplication app(privileged ? fixedArgc : qtArgc, privileged ? fixedArgv : argv);
    QApplication::setApplicationName(QStringLiteral("Sorvane"));
    sorvane::useGameStyle();
    QApplication::setWindowIcon(sorvane::icons::window());

    sorvane::installItalianTranslation();

    // On the board, the game covers the screen it opens on, the one where the launcher was just
    // tapped (the classroom's PC may drive a monitor on the teacher's desk besides), and is as
    // large as that whole screen allows; so is every box.
    std::optional<sorvane::Form1::Board> board;
    QScreen* boardScreen = nullptr;
    if (onBoard) {
        boardScreen = QGuiApplication::screenAt(QCursor::pos());
        if (!boardScreen)
            boardScreen = QGuiApplication::primaryScreen();
    }
    if (boardScreen) {
        board = sorvane::Form1::fitBoard(boardScreen->geometry().size());
        sorvane::useGameStyle(board->fit.scale);
    }

    sorvane::QtDialogs dialogs;
    dialogs.setLetterPad(onBoard);
    if (board)
        dialogs.setBoard(
            {board->fit.scale, boardScreen, sorvane::fromBgr(sorvane::Form1::backColor)});
    if (!records.error.empty() && !records.named) {
        dialogs.message({QString::fromStdString(records.error), {}, sorvane::BoxIcon::Error});
        return 1;
    }
    sorvane::TimeSeededRandom random;
    sorvane::Form1 window(
        dialogs, random, QString::fromStdU16String(records.path.u16string()),
        [] { QCoreApplication::exit(0); }, nullptr, board);
    window.openRecordsWith(std::move(opener));
    if (records.named || !classFolderProblem.empty()) {
        window.useClassFolder(classFolderProblem.empty()
                                  ? std::nullopt
                                  : std::optional(QString::fromStdString(classFolderProblem)));
    }
    if (boardScreen)
        window.setScreen(boardScreen);
    dialogs.setParent(&window);
    if (!window.Form_Load())
        return 1;
    window.showWindow();
    return QApplication::exec();
}
