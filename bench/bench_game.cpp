// What the game costs while it runs, side by side with what the bare toolkit calls for the
// same pixels cost. Each game benchmark has a floor benchmark of the same name with "Floor".

#include "app/form1.h"
#include "app/gamestyle.h"
#include "bench_support.h"
#include "floor_window.h"
#include "game/question.h"
#include "game/sector.h"
#include "support/scripteddialogs.h"
#include "toolkit/colors.h"
#include "toolkit/dialogs.h"
#include "toolkit/imagesurface.h"
#include "toolkit/label.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <memory>

using namespace sorvane;
using bench::FixedRandom;
using bench::SilentDialogs;

namespace {

QTemporaryDir& recordFolder()
{
    static QTemporaryDir dir;
    return dir;
}

int angleFor(int i)
{
    return 1 + (i * 37) % 89;
}

// ---- One question's figure ----------------------------------------------------------------

void QuestionFigure(benchmark::State& state)
{
    ImageSurface surface(figure::area(), 1.0, Form1::backColor);
    int i = 0;
    for (auto _ : state) {
        using namespace figure;
        surface.setFillColor(rightAngleFill);
        pigrecoesettore(surface, centreX, centreY, radius, rightAngleOutline, 0, 90);
        surface.setFillColor(givenAngleFill);
        pigrecoesettore(surface, centreX, centreY, radius, givenAngleOutline, 0,
                        float(angleFor(i++)));
        benchmark::DoNotOptimize(surface.image().constBits());
    }
}

void QuestionFigureFloor(benchmark::State& state)
{
    QImage image(748, 552, QImage::Format_RGB32);
    image.fill(fromBgr(Form1::backColor));
    const QRectF box(160, 60, 380, 380);
    int i = 0;
    for (auto _ : state) {
        const int angle = angleFor(i++);
        QPainter p(&image);
        p.setPen(fromBgr(figure::rightAngleOutline));
        p.setBrush(fromBgr(figure::rightAngleFill));
        p.drawPie(box, 0, 90 * 16);
        p.setPen(fromBgr(figure::givenAngleOutline));
        p.setBrush(fromBgr(figure::givenAngleFill));
        p.drawPie(box, (90 - angle) * 16, angle * 16);
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

// ---- One clock tick -----------------------------------------------------------------------

void ClockTick(benchmark::State& state)
{
    SilentDialogs dialogs;
    FixedRandom random;
    sorvane::testing::ManualTicker ticker;
    Form1 form(dialogs, random, recordFolder().path(), {}, nullptr, std::nullopt, &ticker);
    form.Form_Load();
    form.show();
    QCoreApplication::processEvents();
    Label* clock = form.label(QStringLiteral("lblconto"));
    int ticks = 0;
    for (auto _ : state) {
        if (++ticks == 800) { // never let the game end
            state.PauseTiming();
            form.aggiornatempo();
            ticks = 0;
            state.ResumeTiming();
        }
        ticker.fire();
        clock->repaint();
    }
}

void ClockTickFloor(benchmark::State& state)
{
    QWidget window;
    window.resize(748, 552);
    QLabel label(&window);
    label.setGeometry(592, 88, 137, 41);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(24);
    font.setWeight(QFont::Black);
    label.setFont(font);
    label.setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    window.show();
    QCoreApplication::processEvents();
    int seconds = 0;
    for (auto _ : state) {
        seconds = (seconds + 59) % 60;
        label.setText(QStringLiteral("00:14:%1").arg(seconds, 2, 10, QChar(u'0')));
        label.repaint();
    }
}

// ---- Building and showing the window ------------------------------------------------------

void WindowStartup(benchmark::State& state)
{
    useGameStyle();
    SilentDialogs dialogs;
    FixedRandom random;
    for (auto _ : state) {
        Form1 form(dialogs, random, recordFolder().path());
        form.Form_Load();
        form.show();
        form.grab(); // the first frame, painted whether or not a screen asked for it
    }
}

void WindowStartupFloor(benchmark::State& state)
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    for (auto _ : state) {
        FloorWindow floor = makeFloorWindow();
        floor.window->show();
        floor.window->grab();
    }
}

} // namespace

BENCHMARK(QuestionFigure);
BENCHMARK(QuestionFigureFloor);
BENCHMARK(ClockTick);
BENCHMARK(ClockTickFloor);
BENCHMARK(WindowStartup)->Unit(benchmark::kMicrosecond);
BENCHMARK(WindowStartupFloor)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
