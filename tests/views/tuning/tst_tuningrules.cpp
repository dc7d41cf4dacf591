#include "makerids.h"
#include "tuningrules.h"

#include <QtTest>

#include <cmath>
#include <limits>

// The page's decisions without widgets: the boost table, which stored values may replace a reading, the
// voltage offset and the link step.
class TestTuningRules : public QObject
{
    Q_OBJECT

private:
    // A card as the simulated default card reads, with every quantity settable.
    static TuningState readState()
    {
        TuningState s;
        s.clocks.gpuMhz = 1607;
        s.clocks.memoryMhz = 4004;
        s.gpuRange = { 1607, -200, 1000, 1 };
        s.memoryRange = { 4004, -500, 1500, 1 };
        s.cooler.levelHighPercent = 100;
        s.cooler.levelLowPercent = 30;
        s.cooler.currentLevelPercent = 45;
        s.voltage = { 1100, 800, 1000, 1000, 1000, 1 };
        s.power = { 50, 120, 100, 100, 80, 0, 1 };
        s.thermal = { 65, 92, 83, 83, 1, 1, 1 };
        return s;
    }

private slots:
    void boostTable_data()
    {
        QTest::addColumn<uint>("device");
        QTest::addColumn<int>("mhz");
        QTest::newRow("0x111E") << 0x111Eu << 1759;
        QTest::newRow("0x111D") << 0x111Du << 1733;
        QTest::newRow("0x11DC") << 0x11DCu << 1708;
        QTest::newRow("0x112B") << 0x112Bu << 1683;
        QTest::newRow("other") << 0x111Fu << 0;
        QTest::newRow("zero") << 0u << 0;
    }
    void boostTable()
    {
        QFETCH(uint, device);
        QFETCH(int, mhz);
        QCOMPARE(TuningRules::boostClockMhz(device), mhz);
    }

    void onlyTheMakersModelMayBoost()
    {
        const QString model = QStringLiteral("GeForce GTX 1070 Ti");
        QVERIFY(TuningRules::mayRunHighPerformancePreset(0x111E0000u | MakerSubsystemVendorId, model));
        QVERIFY(!TuningRules::mayRunHighPerformancePreset(0x111E0000u | 0x1234u, model));
        QVERIFY(
            !TuningRules::mayRunHighPerformancePreset(0x111E0000u | MakerSubsystemVendorId, model + " 1"));
    }

    void storedValuesInsideTheRangesReplaceTheReadings()
    {
        AdjustRecord stored;
        stored.GpuFreClock = 1750;
        stored.MemoryFreClock = 4500;
        stored.FanSpeedLevel = 60;
        stored.Temperature = 70;
        stored.Voltage = 1050;
        stored.Power = 110;
        const TuningState s = TuningRules::withStoredValues(readState(), stored);
        QCOMPARE(s.clocks.gpuMhz, 1750);
        QCOMPARE(s.clocks.memoryMhz, 4500);
        QCOMPARE(s.cooler.currentLevelPercent, 60);
        QCOMPARE(s.thermal.currentC, 70);
        QCOMPARE(s.voltage.currentMv, 1050);
        QCOMPARE(s.power.currentTargetPercent, 110);
    }

    void negativeAndOutOfRangeValuesKeepTheReadings()
    {
        AdjustRecord stored; // all -1
        TuningState s = TuningRules::withStoredValues(readState(), stored);
        QCOMPARE(s.clocks.gpuMhz, 1607);
        QCOMPARE(s.power.currentTargetPercent, 100);
        stored.GpuFreClock = 3000;
        stored.MemoryFreClock = 0;
        stored.FanSpeedLevel = 10; // below the fan's floor of 30
        stored.Temperature = 0;
        stored.Voltage = 0;
        stored.Power = 0;
        s = TuningRules::withStoredValues(readState(), stored);
        QCOMPARE(s.clocks.gpuMhz, 1607);
        QCOMPARE(s.clocks.memoryMhz, 4004);
        QCOMPARE(s.cooler.currentLevelPercent, 45);
        QCOMPARE(s.thermal.currentC, 83);
        QCOMPARE(s.voltage.currentMv, 1000);
        QCOMPARE(s.power.currentTargetPercent, 100);
    }

    // A failed reading leaves a zero range; a stored 0 must not turn into a write of the card's floor.
    void aZeroStoredForAFailedReadingKeepsTheReading()
    {
        TuningState read = readState();
        read.power = PowerInfo();
        read.thermal = ThermalLimitInfo();
        read.voltage = VoltageInfo();
        AdjustRecord stored;
        stored.Power = 0;
        stored.Temperature = 0;
        stored.Voltage = 0;
        const TuningState s = TuningRules::withStoredValues(read, stored);
        QCOMPARE(s.power.currentTargetPercent, 0);
        QCOMPARE(s.thermal.currentC, 0);
        QCOMPARE(s.voltage.currentMv, 0);
        QCOMPARE(TuningRules::withStoredValues(readState(), stored).voltage.currentMv, 1000);
    }

    void voltageOffsets_data()
    {
        QTest::addColumn<int>("mv");
        QTest::addColumn<int>("microvolts");
        QTest::newRow("1050 on 1000") << 1050 << 50000;
        QTest::newRow("base") << 1000 << 0;
        QTest::newRow("below base") << 900 << -100000;
        QTest::newRow("zero held to the lowest") << 0 << -200000;
        QTest::newRow("above the highest") << 5000 << 100000;
    }
    void voltageOffsets()
    {
        QFETCH(int, mv);
        QFETCH(int, microvolts);
        QCOMPARE(TuningRules::voltageOffsetMicrovolts(readState().voltage, mv), microvolts);
    }

    void linkSteps_data()
    {
        QTest::addColumn<float>("linked");
        QTest::addColumn<bool>("step");
        QTest::addColumn<int>("value");
        QTest::newRow("truncated") << 84.9f << true << 84;
        QTest::newRow("negative truncates toward zero") << -3.7f << true << -3;
        QTest::newRow("NaN") << std::numeric_limits<float>::quiet_NaN() << false << 0;
        QTest::newRow("infinity") << std::numeric_limits<float>::infinity() << false << 0;
        QTest::newRow("minus infinity") << -std::numeric_limits<float>::infinity() << false << 0;
        QTest::newRow("too large") << 1e20f << false << 0;
    }
    void linkSteps()
    {
        QFETCH(float, linked);
        QFETCH(bool, step);
        QFETCH(int, value);
        int row = 0;
        QCOMPARE(TuningRules::linkStep(linked, row), step);
        QCOMPARE(row, value);
    }

    void thePresetAndTheStockState()
    {
        TuningState working = readState();
        working.clocks.gpuMhz = 1800;
        working.fanMode = TuningState::FanManual;
        working.link = true;
        const TuningState hp = TuningRules::highPerformanceState(working, 1759);
        QCOMPARE(hp.clocks.gpuMhz, 1759);
        QCOMPARE(hp.clocks.memoryMhz, 4004);
        QCOMPARE(hp.voltage.currentMv, 1000);
        QCOMPARE(hp.power.currentTargetPercent, 120);
        QCOMPARE(hp.thermal.currentC, 83);
        QCOMPARE(hp.fanMode, int(TuningState::FanAutomatic));
        QCOMPARE(hp.cooler.currentLevelPercent, 45);
        QVERIFY(!hp.link);
        const TuningState stock = TuningRules::stockState(working);
        QCOMPARE(stock.clocks.gpuMhz, 1607);
        QCOMPARE(stock.power.currentTargetPercent, 100);
        QCOMPARE(stock.fanMode, int(TuningState::FanAutomatic));
    }
};

QTEST_MAIN(TestTuningRules)
#include "tst_tuningrules.moc"
