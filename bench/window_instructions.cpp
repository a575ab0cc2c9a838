// Builds and shows the game's window, or the floor's, a number of times, so that callgrind can
// count the instructions of `buildAndShowWindows` alone: a figure that a busy machine does not
// blur. One window is built first so that fonts and icons are loaded outside the count.
// Usage: window-instructions game|floor COUNT

#include "app/form1.h"
#include "app/gamestyle.h"
#include "bench_support.h"
#include "floor_window.h"

#include <QApplication>
#include <QStyleFactory>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void buildAndShow(bool game, const QString& records)
{
    if (game) {
        bench::SilentDialogs dialogs;
        bench::FixedRandom random;
        sorvane::Form1 form(dialogs, random, records);
        form.Form_Load();
        form.show();
        form.grab(); // the first frame, painted whether or not a screen asked for it
    } else {
        FloorWindow floor = makeFloorWindow();
        floor.window->show();
        floor.window->grab();
    }
}

} // namespace

// Not inline and not static: callgrind is told to count inside this function only.
__attribute__((noinline)) void buildAndShowWindows(bool game, const QString& records, int count)
{
    for (int i = 0; i < count; ++i)
        buildAndShow(game, records);
}

int main(int argc, char* argv[])
{
    if (argc != 3 || (std::strcmp(argv[1], "game") != 0 && std::strcmp(argv[1], "floor") != 0)) {
        std::fprintf(stderr, "usage: %s game|floor COUNT\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool game = std::strcmp(argv[1], "game") == 0;
    // Each with the style its program runs with.
    if (game)
        sorvane::useGameStyle();
    else
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QTemporaryDir records;
    buildAndShow(game, records.path());
    buildAndShowWindows(game, records.path(), std::atoi(argv[2]));
    return 0;
}
