// config.xml with 16 cards, each with its fan curve, colours and LCD keys: a load from the file and a save
// to it, as at every start and close of the program.
#include "configfilelimits.h"
#include "configstore.h"

#include <benchmark/benchmark.h>

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QPoint>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int CardCount = 16;

QDate fixedDay()
{
    return QDate(2026, 12, 8);
}

/// Writes the 16-card file into the folder and returns its name.
QString writeSixteenCards(const QTemporaryDir &dir)
{
    const QString fileName = dir.filePath(QStringLiteral("config.xml"));
    ConfigStore store(fileName, fixedDay);
    store.load();
    for (int i = 0; i < CardCount; ++i) {
        const QString name = QStringLiteral("GeForce GTX 1070 Ti #%1").arg(i);
        const quint32 subSystemId = 0x111E1D17u + quint32(i);
        AdjustRecord adjust;
        adjust.GpuFreClock = 100 + i;
        adjust.MemoryFreClock = 200;
        adjust.FanMode = 2;
        adjust.Nodes = { QPoint(30, 20), QPoint(50, 35), QPoint(60, 50), QPoint(70, 70), QPoint(80, 100) };
        store.setAdjustRecord(name, subSystemId, adjust);
        LedRecord led;
        led.Color1 = 0xFFEC0928u;
        store.setLedRecord(name, subSystemId, led);
        store.setLcdRecord(name, subSystemId, LcdRecord());
        store.setSelectOption(name, subSystemId, 3);
    }
    store.save();
    return fileName;
}

void configLoad(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString fileName = writeSixteenCards(dir);
    for (auto _ : state) {
        ConfigStore store(fileName, fixedDay);
        if (!store.load() || store.cards().size() != CardCount) {
            state.SkipWithError("the 16-card file did not load");
            return;
        }
    }
}
BENCHMARK(configLoad)->Unit(benchmark::kMicrosecond);

void configSave(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString fileName = writeSixteenCards(dir);
    ConfigStore store(fileName, fixedDay);
    store.load();
    for (auto _ : state) {
        if (!store.save()) {
            state.SkipWithError("save failed");
            return;
        }
    }
}
BENCHMARK(configSave)->Unit(benchmark::kMicrosecond);

/// VmHWM of this process in kB.
long peakResidentKb()
{
    FILE *status = std::fopen("/proc/self/status", "r");
    if (!status)
        return 0;
    char line[256];
    long kb = 0;
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmHWM: %ld", &kb) == 1)
            break;
    std::fclose(status);
    return kb;
}

/// The largest file the store accepts, made of card entries: what a damaged or hostile file can cost at
/// most. Run it alone (--benchmark_filter=configLoadAtTheLimit) for a clean peak-memory figure.
void configLoadAtTheLimit(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("config.xml"));
    {
        ConfigStore store(fileName, fixedDay);
        store.load();
        for (int i = 0; i < 1500; ++i)
            store.setAdjustRecord(
                QStringLiteral("GeForce GTX 1070 Ti #%1").arg(i), 0x111E1D17u, AdjustRecord());
        store.save();
    }
    const qint64 bytes = QFileInfo(fileName).size();
    if (!ConfigFileLimits::fitsSize(bytes)) {
        state.SkipWithError("the generated file is past the limit");
        return;
    }
    const long before = peakResidentKb();
    int cards = 0;
    for (auto _ : state) {
        ConfigStore store(fileName, fixedDay);
        store.load();
        cards = store.cards().size();
    }
    state.counters["file_kB"] = double(bytes) / 1024;
    state.counters["cards"] = cards;
    state.counters["peak_growth_kB"] = double(peakResidentKb() - before);
}
BENCHMARK(configLoadAtTheLimit)->Unit(benchmark::kMillisecond);

/// A 10 MB file is refused by its size before anything parses it, and kept aside as config.xml.bad.
void configLoadPastTheLimit(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("config.xml"));
    const QByteArray big
        = "<KorvoParameter><!--" + QByteArray(10 * 1024 * 1024, 'x') + "--></KorvoParameter>";
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(fileName + QStringLiteral(".bad"));
        QFile file(fileName);
        if (!file.open(QIODevice::WriteOnly) || file.write(big) != big.size()) {
            state.SkipWithError("could not write the file");
            return;
        }
        file.close();
        state.ResumeTiming();
        ConfigStore store(fileName, fixedDay);
        store.load();
        benchmark::DoNotOptimize(store.isLoaded());
    }
}
BENCHMARK(configLoadPastTheLimit)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
