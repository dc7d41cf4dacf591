#include "gpucontroller.h"
#include "nvapiids.h"
#include "simulatedcard.h"

#include <QtTest>

#include <memory>

class TestGpuTuning : public QObject
{
    Q_OBJECT

    std::unique_ptr<SimulatedCard> m_card;
    std::unique_ptr<GpuController> m_gpu;

private slots:
    void init()
    {
        m_card = std::make_unique<SimulatedCard>();
        m_gpu = std::make_unique<GpuController>();
    }
    void cleanup()
    {
        m_gpu.reset();
        m_card.reset();
    }

    void rangesOfTheDefaultCard()
    {
        ClockRange gpuRange, memoryRange;
        QVERIFY(m_gpu->readGpuClockRange(gpuRange));
        QCOMPARE(gpuRange.baseClockMhz, 1607);
        QCOMPARE(gpuRange.minOffsetMhz, -200);
        QCOMPARE(gpuRange.maxOffsetMhz, 1000);
        QCOMPARE(int(gpuRange.editable), 1);
        QVERIFY(m_gpu->readMemoryClockRange(memoryRange));
        QCOMPARE(memoryRange.baseClockMhz, 4004);
        QCOMPARE(memoryRange.minOffsetMhz, -500);
        QCOMPARE(memoryRange.maxOffsetMhz, 1500);

        PowerInfo power;
        QVERIFY(m_gpu->readPowerInfo(power));
        QCOMPARE(power.minimumPercent, 50);
        QCOMPARE(power.defaultPercent, 100);
        QCOMPARE(power.maximumPercent, 120);
        QCOMPARE(power.currentTargetPercent, 100);
        QCOMPARE(int(power.supported), 1);

        ThermalLimitInfo thermal;
        QVERIFY(m_gpu->readThermalLimitInfo(thermal));
        QCOMPARE(thermal.minimumC, 65);
        QCOMPARE(thermal.defaultC, 83);
        QCOMPARE(thermal.maximumC, 92);
        QCOMPARE(thermal.currentC, 83);
        QCOMPARE(thermal.policyId, 1);

        VoltageInfo voltage;
        QVERIFY(m_gpu->readVoltageInfo(voltage));
        QCOMPARE(voltage.lowestMv, voltage.stockMv);
        QCOMPARE(voltage.highestMv, voltage.stockMv + 100);
        QCOMPARE(voltage.stockMv2, voltage.stockMv);
    }

    void clockOffsetsAreClampedAndShiftTheClocks()
    {
        QVERIFY(m_gpu->setGpuClockOffset(5000));
        QCOMPARE(sim().tuning(0).gpuOffsetKhz, 1000 * 1000);
        QVERIFY(m_gpu->setGpuClockOffset(-900));
        QCOMPARE(sim().tuning(0).gpuOffsetKhz, -200 * 1000);
        QVERIFY(m_gpu->setGpuClockOffset(150));
        NvInfo info;
        m_gpu->readFixedInfo(info);
        QCOMPARE(info.gpuClockOffset, 150);

        sim().clearCounters();
        QVERIFY(m_gpu->setMemoryClockOffset(9999));
        QCOMPARE(sim().tuning(0).memoryOffsetKhz, 1500 * 1000);
        // Memory offsets go out with version 1 first.
        QCOMPARE(sim().versionsPassed(NvApiId::GpuSetPstates20).front(), 0x11C94u);
    }

    void clockOffsetLadder()
    {
        sim().acceptOnlyVersions(0, NvRecordKind::Pstates20, { 0x11C94 });
        sim().clearCounters();
        QVERIFY(m_gpu->setGpuClockOffset(100));
        QCOMPARE(sim().versionsPassed(NvApiId::GpuSetPstates20),
            (std::vector<NvU32> { 0x31CF8, 0x21CF8, 0x11C94 }));
        QCOMPARE(sim().tuning(0).gpuOffsetKhz, 100000);
    }

    void voltageOffsets()
    {
        QVERIFY(m_gpu->setVoltageOffset(50000));
        QCOMPARE(sim().tuning(0).voltageDeltaUv, 50000);
        QVERIFY(m_gpu->setOverVoltage(25000));
        QCOMPARE(sim().tuning(0).overVoltageDeltaUv, 25000);
    }

    void powerTargetClampsToWholePercent()
    {
        QVERIFY(m_gpu->setPowerTarget(0, 30.0f));
        QCOMPARE(sim().tuning(0).powerLimit, 50000u);
        QVERIFY(m_gpu->setPowerTarget(0, 500.0f));
        QCOMPARE(sim().tuning(0).powerLimit, 120000u);
        QVERIFY(m_gpu->setPowerTarget(0, 87.5f));
        QCOMPARE(sim().tuning(0).powerLimit, 87500u);
        QVERIFY(m_gpu->setPowerTarget(0, -5.0f)); // no wrap-around into a huge target
        QCOMPARE(sim().tuning(0).powerLimit, 50000u);
        QVERIFY(!m_gpu->setPowerTarget(7, 90.0f));
    }

    void thermalTargetClamps()
    {
        QVERIFY(m_gpu->setThermalTarget(1, 120.0f, true));
        QCOMPARE(sim().tuning(0).thermalLimitRaw, 92 * 256);
        QVERIFY(sim().tuning(0).thermalPriority);
        QVERIFY(m_gpu->setThermalTarget(1, 10.0f, false));
        QCOMPARE(sim().tuning(0).thermalLimitRaw, 65 * 256);
        QVERIFY(m_gpu->setThermalTarget(1, 70.5f, false));
        QCOMPARE(sim().tuning(0).thermalLimitRaw, int(70.5 * 256));
        QVERIFY(!m_gpu->setThermalTarget(9, 70.0f, false));
    }

    void thermalPriority()
    {
        QVERIFY(m_gpu->setThermalTarget(1, 75.0f, false));
        QCOMPARE(m_gpu->setThermalPriority(1, 1), 0);
        QVERIFY(sim().tuning(0).thermalPriority);
        // The limit the user set survives the flag change.
        QCOMPARE(sim().tuning(0).thermalLimitRaw, 75 * 256);
        QCOMPARE(m_gpu->setThermalPriority(1, 0), 0);
        QVERIFY(!sim().tuning(0).thermalPriority);
        // An unknown id answers the number of policies.
        QCOMPARE(m_gpu->setThermalPriority(42, 1), 1);
        sim().editCard(0, [](SimCardConfig &c) { c.thermalSupported = false; });
        QCOMPARE(m_gpu->setThermalPriority(1, 1), 0);
    }

    void linkingPowerAndTemperature()
    {
        LinkResult link;
        QVERIFY(m_gpu->linkPowerToThermal(0, 1, 100.0f, link));
        QCOMPARE(link.given, 100.0f);
        QCOMPARE(link.linked, 83.0f);
        QVERIFY(m_gpu->linkPowerToThermal(0, 1, 120.0f, link));
        QCOMPARE(link.linked, 92.0f);
        QVERIFY(m_gpu->linkPowerToThermal(0, 1, 50.0f, link));
        QCOMPARE(link.linked, 65.0f);
        QVERIFY(m_gpu->linkPowerToThermal(0, 1, 110.0f, link));
        QCOMPARE(link.linked, 87.5f);
        QVERIFY(!m_gpu->linkPowerToThermal(0, 1, 121.0f, link));
        QVERIFY(!m_gpu->linkPowerToThermal(0, 1, 49.0f, link));

        // The side is chosen by the current power, not by the temperature.
        QVERIFY(m_gpu->linkThermalToPower(0, 1, 87.5f, 110.0f, link));
        QCOMPARE(link.given, 110.0f);
        QCOMPARE(link.linked, 87.5f);
        QVERIFY(m_gpu->linkThermalToPower(0, 1, 74.0f, 90.0f, link));
        QCOMPARE(link.given, 75.0f);
        QVERIFY(m_gpu->linkThermalToPower(0, 1, 92.0f, 90.0f, link));
        QCOMPARE(link.given, 125.0f); // the lower formula has no cap above
    }

    void linkWithADefaultOnTheLimitStaysFinite()
    {
        sim().editCard(0, [](SimCardConfig &c) { c.powerMin = c.powerDefault; });
        LinkResult link;
        QVERIFY(m_gpu->linkPowerToThermal(0, 1, 100.0f, link));
        QCOMPARE(link.linked, 83.0f);
    }

    void coolerLevelsAndPolicies()
    {
        QVERIFY(m_gpu->setCoolerLevel(70, 1));
        QCOMPARE(sim().tuning(0).coolerLevelPercent, 70);
        QCOMPARE(sim().tuning(0).coolerPolicy, 1u);
        QVERIFY(m_gpu->setCoolerLevel(40, 3));
        QCOMPARE(sim().tuning(0).coolerPolicy, 0u);
        QVERIFY(m_gpu->restoreCoolerDefault());
        QCOMPARE(sim().tuning(0).coolerPolicy, 32u);

        // The short record is tried once when the long one is refused.
        sim().acceptOnlyVersions(0, NvRecordKind::CoolerLevels, { 0x1001C });
        sim().clearCounters();
        QVERIFY(m_gpu->setCoolerLevel(55, 1));
        QCOMPARE(
            sim().versionsPassed(NvApiId::GpuSetCoolerLevels), (std::vector<NvU32> { 0x100A4, 0x1001C }));
        // A level of -1 writes only the long record.
        sim().clearCounters();
        QVERIFY(!m_gpu->setCoolerLevel(-1, 1));
        QCOMPARE(sim().versionsPassed(NvApiId::GpuSetCoolerLevels), (std::vector<NvU32> { 0x100A4 }));
        sim().acceptOnlyVersions(0, NvRecordKind::CoolerLevels, { 0x100A4, 0x1001C });
        QVERIFY(m_gpu->setCoolerLevel(-1, 1));
    }

    void restoreDefaultsCarriesOnPastFailures()
    {
        QVERIFY(m_gpu->setGpuClockOffset(300));
        QVERIFY(m_gpu->setPowerTarget(0, 110.0f));
        QVERIFY(m_gpu->setThermalTarget(1, 90.0f, false));
        QVERIFY(m_gpu->setCoolerLevel(80, 1));
        sim().failCalls(NvApiId::GpuSetPstates20, NvApiStatus::Error);
        QVERIFY(m_gpu->restoreDefaults());
        QCOMPARE(sim().tuning(0).gpuOffsetKhz, 300000); // that step failed
        QCOMPARE(sim().tuning(0).powerLimit, 100000u);
        QCOMPARE(sim().tuning(0).thermalLimitRaw, 83 * 256);
        QCOMPARE(sim().tuning(0).coolerPolicy, 32u);
        QVERIFY(sim().tuning(0).overclockedPstatesEnabled);

        sim().clearFaults();
        sim().failCalls(NvApiId::GpuPowerPoliciesSetStatus, NvApiStatus::Error);
        QVERIFY(!m_gpu->restoreDefaults());
        QCOMPARE(sim().tuning(0).gpuOffsetKhz, 0);
    }

    void everyOperationFailsWithoutACard()
    {
        sim().clearCards();
        GpuController none;
        ClockRange range;
        PowerInfo power;
        ThermalLimitInfo thermal;
        LinkResult link;
        QVERIFY(!none.readGpuClockRange(range));
        QVERIFY(!none.readPowerInfo(power));
        QVERIFY(!none.readThermalLimitInfo(thermal));
        QVERIFY(!none.setGpuClockOffset(10));
        QVERIFY(!none.setPowerTarget(0, 100.0f));
        QVERIFY(!none.linkPowerToThermal(0, 1, 100.0f, link));
        QVERIFY(!none.setCoolerLevel(50, 1));
        QVERIFY(!none.restoreDefaults());
    }
};

QTEST_GUILESS_MAIN(TestGpuTuning)
#include "tst_gputuning.moc"
