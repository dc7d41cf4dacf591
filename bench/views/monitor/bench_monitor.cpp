#include "korvo_basemonitorbox.h"
#include "korvo_gpuinfomonitorwidget.h"
#include "korvo_nvcardinfowidget.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QImage>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <memory>

namespace {

// The graph size the monitor page has in the main window: plot 228 x 88.
constexpr int BoxWidth = 257;
constexpr int BoxHeight = 118;

double wave(long i)
{
    return 50.0 + 40.0 * std::sin(double(i) / 7.0);
}

std::unique_ptr<Korvo_BaseMonitorBox> fullBox()
{
    auto box = std::make_unique<Korvo_BaseMonitorBox>();
    box->resize(BoxWidth, BoxHeight);
    box->show();
    box->setValueRange(0, 100);
    for (long i = 0; i < 500; ++i)
        box->addData(wave(i));
    return box;
}

NvCardBaseInfo sample(long i)
{
    NvCardBaseInfo info;
    const auto fill = [i](MonitorValue &v, int top, int scale) {
        v.rangeTop = top;
        v.current = int(wave(i) * scale);
        v.maximum = top;
        v.minimum = 0;
    };
    fill(info.gpuClock, 2500, 20);
    fill(info.fanSpeed, 4000, 30);
    fill(info.temperature, 100, 1);
    fill(info.memoryClock, 5000, 40);
    fill(info.memoryUsage, 100, 1);
    fill(info.gpuUsage, 100, 1);
    return info;
}

std::unique_ptr<Korvo_NvCardInfoWidget> fullPage()
{
    auto page = std::make_unique<Korvo_NvCardInfoWidget>(nullptr, 0x3F);
    page->resize(285, 294);
    page->show();
    page->topRightCheckBox()->click();
    for (long i = 0; i < 500; ++i)
        page->recvNvCardInfo(sample(i));
    return page;
}

void BM_GraphBoxPaint(benchmark::State &state)
{
    auto box = fullBox();
    QImage image(box->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::transparent);
        box->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["points"] = box->historySize();
}
BENCHMARK(BM_GraphBoxPaint)->Unit(benchmark::kMicrosecond);

// The page as the window shows it: title band, driver version and the two graphs in view.
void BM_MonitorPagePaint(benchmark::State &state)
{
    auto page = fullPage();
    QImage image(page->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::transparent);
        page->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_MonitorPagePaint)->Unit(benchmark::kMicrosecond);

// All six graphs of the page painted, as scrolling through the whole stack does.
void BM_SixGraphsPaint(benchmark::State &state)
{
    auto page = fullPage();
    Korvo_GPUInfoMonitorWidget *stack = page->graphStack();
    QImage image(QSize(BoxWidth, BoxHeight), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        for (int i = 0; i < stack->graphCount(); ++i) {
            image.fill(Qt::transparent);
            stack->graph(i)->render(&image);
        }
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_SixGraphsPaint)->Unit(benchmark::kMicrosecond);

// N samples into a box whose history is already full: the time per sample must not grow with N.
void BM_AddData(benchmark::State &state)
{
    auto box = fullBox();
    const long n = long(state.range(0));
    long i = 0;
    for (auto _ : state) {
        for (long k = 0; k < n; ++k)
            box->addData(wave(i++));
    }
    state.SetItemsProcessed(state.iterations() * n);
    state.counters["per_sample"] = benchmark::Counter(
        double(state.iterations() * n), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_AddData)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// 10^5 samples per graph, twice over, on the whole page: the histories stay at the plot width and the
// resident set does not grow between the two rounds.
void memoryCheck()
{
    auto page = fullPage();
    Korvo_GPUInfoMonitorWidget *stack = page->graphStack();
    long i = 0;
    const auto feed = [&](long count) {
        for (long k = 0; k < count; ++k)
            page->recvNvCardInfo(sample(i++));
        QCoreApplication::processEvents();
    };
    feed(10000);
    const long warm = residentKb();
    feed(100000);
    const long after1 = residentKb();
    feed(100000);
    const long after2 = residentKb();
    std::fprintf(stderr, "memory check: history per graph after %ld samples:", i);
    for (int g = 0; g < stack->graphCount(); ++g)
        std::fprintf(stderr, " %d", stack->graph(g)->historySize());
    std::fprintf(stderr, " (plot width %d)\n", stack->graph(0)->plotWidth());
    std::fprintf(stderr,
        "memory check: RSS %ld kB after 10^4 samples, %ld kB after +10^5, %ld kB after +10^5\n", warm, after1,
        after2);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    memoryCheck();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
