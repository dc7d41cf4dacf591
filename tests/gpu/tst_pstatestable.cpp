#include "pstatestable.h"

#include <QtTest>

#include <cstring>

namespace {
NvPstates20Info emptyInfo()
{
    NvPstates20Info info;
    std::memset(&info, 0, sizeof(info));
    return info;
}

/// A table with P8 first and P0 second; P0 has a graphics range entry and a single memory entry.
NvPstates20Info twoStates()
{
    NvPstates20Info info = emptyInfo();
    info.numPstates = 2;
    info.numClocks = 2;
    info.numBaseVoltages = 1;
    info.pstates[0].pstateId = 8;
    NvPstates20Pstate &p0 = info.pstates[1];
    p0.pstateId = 0;
    p0.clocks[0].domainId = NvClockDomainId::Graphics;
    p0.clocks[0].typeId = NvClockEntryType::Range;
    p0.clocks[0].flags = 1;
    p0.clocks[0].freqDelta_kHz = { 150000, -200000, 1000000 };
    p0.clocks[0].data.range.maxFreq_kHz = 1911000;
    p0.clocks[1].domainId = NvClockDomainId::Memory;
    p0.clocks[1].typeId = NvClockEntryType::Single;
    p0.clocks[1].freqDelta_kHz = { -250500, -500000, 1500000 };
    p0.clocks[1].data.single.freq_kHz = 4004000;
    p0.baseVoltages[0].domainId = NvVoltageDomain::Core;
    p0.baseVoltages[0].flags = 1;
    p0.baseVoltages[0].volt_uV = 1062500;
    p0.baseVoltages[0].voltDelta_uV = { 12500, 0, 100000 };
    return info;
}
} // namespace

class TestPstatesTable : public QObject
{
    Q_OBJECT

private slots:
    void findsP0WithinTheReportedStates()
    {
        NvPstates20Info info = twoStates();
        QCOMPARE(PstatesTable::findP0(info), &info.pstates[1]);
        info.numPstates = 1;
        QVERIFY(!PstatesTable::findP0(info));
        // A wild count is bounded by the record's own array.
        info = emptyInfo();
        info.numPstates = 0xFFFFFFFF;
        for (NvPstates20Pstate &p : info.pstates)
            p.pstateId = 3;
        QVERIFY(!PstatesTable::findP0(info));
        info.numClocks = 1000;
        info.numBaseVoltages = 1000;
        QCOMPARE(PstatesTable::clockCount(info), std::size(info.pstates[0].clocks));
        QCOMPARE(PstatesTable::baseVoltageCount(info), std::size(info.pstates[0].baseVoltages));
    }

    void clocksWithAndWithoutOffsets()
    {
        const NvPstates20Info info = twoStates();
        const NvPstates20Pstate &p0 = *PstatesTable::findP0(info);
        const ClockReading base { 1607, 4004, 0 };
        const ClockReading current = PstatesTable::withOffsets(info, p0, base);
        QCOMPARE(current.gpuMhz, 1757);
        QCOMPARE(current.memoryMhz, 4004 - 250); // kHz to MHz truncates toward zero
        const ClockReading stock = PstatesTable::stock(info, p0, base);
        QCOMPARE(stock.gpuMhz, 1607);
        QCOMPARE(stock.memoryMhz, 4004 + 250);
        const ClockReading table = PstatesTable::fromTable(info, p0);
        QCOMPARE(table.gpuMhz, 1911);
        QCOMPARE(table.memoryMhz, 4004);
    }

    void offsetRangeAndVoltages()
    {
        const NvPstates20Info info = twoStates();
        const NvPstates20Pstate &p0 = *PstatesTable::findP0(info);
        ClockRange range;
        PstatesTable::offsetRange(info, p0, NvClockDomainId::Graphics, range);
        QCOMPARE(range.minOffsetMhz, -200);
        QCOMPARE(range.maxOffsetMhz, 1000);
        QCOMPARE(int(range.editable), 1);
        ClockRange none;
        PstatesTable::offsetRange(info, p0, NvClockDomainId::Processor, none);
        QCOMPARE(none.maxOffsetMhz, 0);

        const VoltageInfo v = PstatesTable::voltageInfo(info, p0);
        QCOMPARE(v.currentMv, 1062);
        QCOMPARE(v.stockMv, 1050);
        QCOMPARE(v.stockMv2, 1050);
        QCOMPARE(v.lowestMv, 1050);
        QCOMPARE(v.highestMv, 1150);
        QCOMPARE(int(v.editable), 1);
    }

    void recordsToWrite()
    {
        const NvPstates20Info clock = PstatesTable::clockOffsetRecord(NvClockDomainId::Memory, -300);
        QCOMPARE(clock.numPstates, NvU32(1));
        QCOMPARE(clock.numClocks, NvU32(1));
        QCOMPARE(clock.numBaseVoltages, NvU32(0));
        QCOMPARE(clock.pstates[0].clocks[0].domainId, NvClockDomainId::Memory);
        QCOMPARE(clock.pstates[0].clocks[0].freqDelta_kHz.value, -300000);

        const NvPstates20Info voltage = PstatesTable::voltageOffsetRecord(25000);
        QCOMPARE(voltage.numPstates, NvU32(1));
        QCOMPARE(voltage.numClocks, NvU32(0));
        QCOMPARE(voltage.numBaseVoltages, NvU32(1));
        QCOMPARE(voltage.pstates[0].baseVoltages[0].voltDelta_uV.value, 25000);

        const NvPstates20Info over = PstatesTable::overVoltageRecord(50000);
        QCOMPARE(over.numPstates, NvU32(0));
        QCOMPARE(over.ov.numVoltages, NvU32(1));
        QCOMPARE(over.ov.voltages[0].voltDelta_uV.value, 50000);
    }
};

QTEST_GUILESS_MAIN(TestPstatesTable)
#include "tst_pstatestable.moc"
