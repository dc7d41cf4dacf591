// The colour palette's costs: rendering its blurred hue ring (once per size, shared by every card) and
// painting the palette from the shared ring. Run on Qt's offscreen platform unless a display is set:
//   build/bin/bench/bench_lighting --benchmark_repetitions=5
#include "colorringrenderer.h"
#include "korvo_colorpalettebox.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

// The circle area of the main window: 0.94 of the window's 507 pixels.
constexpr int CircleSide = 476;

void BM_RingRender(benchmark::State &state)
{
    const int side = static_cast<int>(state.range(0));
    for (auto _ : state) {
        QImage ring = ColorRingRenderer::render(side);
        benchmark::DoNotOptimize(ring.constBits());
    }
}
BENCHMARK(BM_RingRender)->Arg(CircleSide)->Unit(benchmark::kMillisecond);

void BM_RingSharedLookup(benchmark::State &state)
{
    ColorRingRenderer::shared(CircleSide);
    for (auto _ : state) {
        QImage ring = ColorRingRenderer::shared(CircleSide);
        benchmark::DoNotOptimize(ring.constBits());
    }
}
BENCHMARK(BM_RingSharedLookup)->Unit(benchmark::kMicrosecond);

void BM_PalettePaint(benchmark::State &state)
{
    Korvo_ColorPaletteBox palette;
    palette.setAttribute(Qt::WA_DontShowOnScreen);
    palette.resize(CircleSide, CircleSide);
    palette.show();
    palette.setPaletteSize(CircleSide);
    QImage target(CircleSide, CircleSide, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        target.fill(Qt::transparent);
        palette.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_PalettePaint)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
