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

#include <malloc.h>

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

/// Bytes of heap in use (small blocks and mapped large ones).
long heapInUseKb()
{
    const struct mallinfo2 info = mallinfo2();
    return long((info.uordblks + info.hblkhd) / 1024);
}

/// The largest file the store accepts, made of card entries: what a damaged or hostile file can cost at
/// most, in time and in the memory the loaded store holds.
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
    int cards = 0;
    long growth = 0;
    for (auto _ : state) {
        const long before = heapInUseKb();
        ConfigStore store(fileName, fixedDay);
        store.load();
        cards = store.cards().size();
        // What the loaded store holds (its tree and records) while the program runs.
        growth = qMax(growth, heapInUseKb() - before);
    }
    state.counters["file_kB"] = double(bytes) / 1024;
    state.counters["cards"] = cards;
    state.counters["held_kB"] = double(growth);
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
