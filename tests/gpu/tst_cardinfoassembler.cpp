#include "cardinfoassembler.h"

#include <QtTest>

class TestCardInfoAssembler : public QObject
{
    Q_OBJECT

private:
    static ExtremesTable table(std::int32_t max, std::int32_t min)
    {
        ExtremesTable t;
        for (auto &pair : t)
            pair = { max, min };
        return t;
    }

private slots:
    void rangesSwitchForGoodOnceExceeded()
    {
        CardInfoAssembler assembler;
        CardInfoAssembler::Readings r;
        r.clocks = { 1500, 4004, 0 };
        r.cooler.fanSpeedRpm = 1000;
        NvCardBaseInfo info = assembler.assemble(r, table(0, 0));
        QCOMPARE(info.gpuClock.rangeTop, 2000);
        QCOMPARE(info.memoryClock.rangeTop, 5000);
        QCOMPARE(info.fanSpeed.rangeTop, 3000);

        r.clocks = { 2100, 5005, 0 };
        r.cooler.fanSpeedRpm = 1600; // above 1500, not 3000, switches the fan span
        info = assembler.assemble(r, table(0, 0));
        QCOMPARE(info.gpuClock.rangeTop, 3000);
        QCOMPARE(info.memoryClock.rangeTop, 10000);
        QCOMPARE(info.fanSpeed.rangeTop, 5000);

        r.clocks = { 300, 405, 0 };
        r.cooler.fanSpeedRpm = 800;
        info = assembler.assemble(r, table(0, 0));
        QCOMPARE(info.gpuClock.rangeTop, 3000);
        QCOMPARE(info.memoryClock.rangeTop, 10000);
        QCOMPARE(info.fanSpeed.rangeTop, 5000);

        // Exactly on the limit does not switch.
        CardInfoAssembler fresh;
        r.clocks = { 2000, 5000, 0 };
        r.cooler.fanSpeedRpm = 1500;
        info = fresh.assemble(r, table(0, 0));
        QCOMPARE(info.gpuClock.rangeTop, 2000);
        QCOMPARE(info.memoryClock.rangeTop, 5000);
        QCOMPARE(info.fanSpeed.rangeTop, 3000);
    }

    void memoryPercentagesAndAmounts()
    {
        CardInfoAssembler assembler;
        CardInfoAssembler::Readings r;
        r.memory.dedicatedKb = 8388608;
        r.memory.usedKb = 1048576 + 5000;
        ExtremesTable x = table(0, 0);
        x[static_cast<int>(Extreme::UsedMemory)] = { 4194304 + 1023, 524288 };
        const NvCardBaseInfo info = assembler.assemble(r, x);
        QCOMPARE(info.memoryUsage.current, 12); // 12.56 truncated
        QCOMPARE(info.memoryUsage.maximum, 50);
        QCOMPARE(info.memoryUsage.minimum, 6);
        QCOMPARE(info.memoryUsage.rangeTop, 100);
        QCOMPARE(info.memoryAmount.current, 1028);
        QCOMPARE(info.memoryAmount.maximum, 4096);
        QCOMPARE(info.memoryAmount.minimum, 512);
        QCOMPARE(info.memoryAmount.rangeTop, 8192);
        QCOMPARE(info.memoryAmount.rangeBottom, 0);
    }

    void noDedicatedMemoryGivesZeroPercent()
    {
        CardInfoAssembler assembler;
        CardInfoAssembler::Readings r;
        r.memory.usedKb = 1000;
        ExtremesTable x = table(5000, 100);
        const NvCardBaseInfo info = assembler.assemble(r, x);
        QCOMPARE(info.memoryUsage.current, 0);
        QCOMPARE(info.memoryUsage.maximum, 0);
        QCOMPARE(info.memoryUsage.minimum, 0);
    }

    void valuesComeFromTheirPairs()
    {
        CardInfoAssembler assembler;
        CardInfoAssembler::Readings r;
        r.thermal.currentC = 61;
        r.usage.gpuPercent = 37;
        ExtremesTable x;
        for (int i = 0; i < int(x.size()); ++i)
            x[i] = { 100 + i, i };
        const NvCardBaseInfo info = assembler.assemble(r, x);
        QCOMPARE(info.gpuClock.maximum, 100);
        QCOMPARE(info.memoryClock.minimum, 1);
        QCOMPARE(info.fanSpeed.maximum, 102);
        QCOMPARE(info.temperature.maximum, 103);
        QCOMPARE(info.temperature.current, 61);
        QCOMPARE(info.temperature.rangeTop, 104);
        QCOMPARE(info.gpuUsage.maximum, 105);
        QCOMPARE(info.gpuUsage.current, 37);

        BoardTemperatures board;
        board.sensorC = { 40, -3, 55, 0 };
        const BoardTempCompleteInfo b = CardInfoAssembler::assembleBoard(board, x);
        QCOMPARE(b.sensor1.maximum, 106);
        QCOMPARE(b.sensor2.current, -3);
        QCOMPARE(b.sensor3.minimum, 8);
        QCOMPARE(b.sensor4.maximum, 109);
        QCOMPARE(b.sensor4.rangeTop, 100);
        QCOMPARE(b.sensor4.rangeBottom, 0);
    }
};

QTEST_APPLESS_MAIN(TestCardInfoAssembler)
#include "tst_cardinfoassembler.moc"
