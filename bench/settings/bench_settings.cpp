// config.xml with 16 cards, each with its fan curve, colours and LCD keys: a load from the file and a save
// to it, as at every start and close of the program.
#include "configstore.h"

#include <benchmark/benchmark.h>

#include <QDate>
#include <QPoint>
#include <QTemporaryDir>

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

} // namespace

BENCHMARK_MAIN();
