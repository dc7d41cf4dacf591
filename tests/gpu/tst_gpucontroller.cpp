#include "gpucontroller.h"
#include "nvapibinding.h"
#include "nvapiids.h"
#include "nvapiversions.h"
#include "simulatedcard.h"

#include <QtTest>

#include <memory>

namespace {
std::vector<NvU32> ladderOf(std::initializer_list<NvU32> words)
{
    return std::vector<NvU32>(words);
}

SimCardConfig makerCard(const std::string &name)
{
    SimCardConfig card;
    card.name = name;
    return card;
}
} // namespace

class TestGpuController : public QObject
{
    Q_OBJECT

    std::unique_ptr<SimulatedCard> m_card;

private slots:
    void init() { m_card = std::make_unique<SimulatedCard>(); }
    void cleanup() { m_card.reset(); }

    void defaultCardFixedInformation()
    {
        GpuController gpu;
        QVERIFY(gpu.isInitialized());
        QCOMPARE(gpu.gpuCount(), 1);
        NvInfo info;
        gpu.readFixedInfo(info);
        QCOMPARE(info.name, QString("GeForce GTX 1070 Ti"));
        QCOMPARE(info.memorySize, QString("8192MB"));
        QCOMPARE(info.memoryType, QString("GDDR5"));
        QCOMPARE(info.memoryBusWidth, QString("256BIT"));
        QCOMPARE(info.memoryBandwidth, QString("256.3GB/s"));
        QCOMPARE(info.driverVersion, QString("411.09"));
        QCOMPARE(info.biosVersion, QString("86.04.50.00.7A"));
        QCOMPARE(info.defaultMemoryClock, QString("4004MHz"));
        QCOMPARE(info.gpuClockOffset, 0);
        QCOMPARE(info.memoryClockOffset, 0);

        PciIdentifiers ids;
        QVERIFY(gpu.readPciIdentifiers(ids));
        QCOMPARE(ids.subSystemId & 0xFFFF, MakerSubsystemVendorId);
        QCOMPARE(ids.deviceId & 0xFFFF, 0x10DEu);
    }

    void driverVersionAndMemoryTypeTable()
    {
        sim().setDriverVersion(38571, "r384_00");
        sim().setMemoryType(0, 16);
        GpuController gpu;
        NvInfo info;
        gpu.readFixedInfo(info);
        QCOMPARE(info.driverVersion, QString("385.71"));
        QCOMPARE(info.memoryType, QString("Unknown"));
        QCOMPARE(info.memoryBandwidth, QString("256.3GB/s")); // multiplier 2 as for GDDR5

        sim().setMemoryType(0, 6); // GDDR4 doubles the multiplier
        gpu.readFixedInfo(info);
        QCOMPARE(info.memoryType, QString("GDDR4"));
        QCOMPARE(info.memoryBandwidth, QString("512.5GB/s"));

        sim().failCalls(NvApiId::GpuGetMemoryType, NvApiStatus::Error);
        sim().failCalls(NvApiId::GpuGetFbWidthAndLocation, NvApiStatus::Error);
        sim().failCalls(NvApiId::SysGetDriverAndBranchVersion, NvApiStatus::Error);
        gpu.readFixedInfo(info);
        QCOMPARE(info.memoryType, QString("Unknown"));
        QCOMPARE(info.memoryBusWidth, QString("Unknown"));
        QCOMPARE(info.memoryBandwidth, QString("0.0GB/s"));
        QCOMPARE(info.driverVersion, QString("Unknown"));
    }

    void noLibraryMeansNoCards()
    {
        m_card->library().setMissing(true);
        GpuController gpu;
        QVERIFY(!gpu.isInitialized());
        QCOMPARE(gpu.gpuCount(), 0);
        NvInfo info;
        info.name = "stale";
        gpu.readFixedInfo(info);
        QVERIFY(info.name.isEmpty());
        QVERIFY(info.driverVersion.isEmpty());
        QCOMPARE(info.gpuClockOffset, 0);

        // Every reading records 0, so the extremes include it.
        MemoryReading memory;
        ThermalReading thermal;
        ClockReading clocks;
        CoolerReading cooler;
        UsageReading usage;
        BoardTemperatures board;
        QVERIFY(!gpu.readMemoryInfo(memory));
        QVERIFY(!gpu.readThermal(thermal));
        gpu.readCurrentClocks(clocks);
        QVERIFY(!gpu.readCooler(cooler));
        QVERIFY(!gpu.readUsage(usage));
        gpu.readBoardTemperatures(board);
        ExtremesTable table;
        gpu.readExtremes(table);
        for (const ExtremePair &pair : table) {
            QCOMPARE(pair.maximum, 0);
            QCOMPARE(pair.minimum, 0);
        }
        QVERIFY(!gpu.sendLcdFrame(true, true, 10, 0x80));
    }

    void selectGpuClamps()
    {
        sim().setCards({ makerCard("GeForce GTX 1080"), makerCard("GeForce GTX 1080") });
        GpuController gpu;
        QCOMPARE(gpu.gpuCount(), 2);
        gpu.selectGpu(-3);
        QCOMPARE(gpu.selectedIndex(), 0);
        gpu.selectGpu(5);
        QCOMPARE(gpu.selectedIndex(), 1);

        sim().clearCards();
        GpuController none;
        QCOMPARE(none.gpuCount(), 0);
        none.selectGpu(4); // with no cards only the lower bound applies
        QCOMPARE(none.selectedIndex(), 4);
        QVERIFY(none.readGpuName().isEmpty());
    }

    void tccHandlesFollowPhysicalOnes()
    {
        sim().setCards(
            { makerCard("GeForce GTX 1080"), makerCard("Quadro Compute"), makerCard("GeForce GTX 960") });
        sim().setTcc(1, true);
        GpuController gpu;
        QCOMPARE(gpu.gpuCount(), 3);
        gpu.selectGpu(2);
        QCOMPARE(gpu.readGpuName(), QString("Quadro Compute"));
        QVERIFY(gpu.isTccGpu(sim().handleOf(1)));
        QVERIFY(!gpu.isTccGpu(sim().handleOf(0)));

        // A TCC card reports only its dedicated memory.
        sim().setMemoryUsedKb(1, 500000);
        MemoryReading memory;
        QVERIFY(gpu.readMemoryInfo(memory));
        QCOMPARE(memory.dedicatedKb, 8388608);
        QCOMPARE(memory.usedKb, 0);
        QCOMPARE(memory.currentAvailableKb, 0);
    }

    void failingTccEnumerationDoesNotFailStartUp()
    {
        sim().failCalls(NvApiId::EnumTccPhysicalGpus, NvApiStatus::Error);
        GpuController gpu;
        QVERIFY(gpu.isInitialized());
        QCOMPARE(gpu.gpuCount(), 1);

        sim().clearFaults();
        sim().failCalls(NvApiId::EnumPhysicalGpus, NvApiStatus::Error);
        GpuController failed;
        QVERIFY(!failed.isInitialized());
    }

    void controllersShareTheLibraryByReference()
    {
        auto first = std::make_unique<GpuController>();
        {
            GpuController second;
            QCOMPARE(NvApiBinding::instance().referenceCount(), 2);
        }
        QVERIFY(NvApiBinding::instance().isLoaded());
        QCOMPARE(first->readGpuName(), QString("GeForce GTX 1070 Ti"));
        first.reset();
        QVERIFY(!NvApiBinding::instance().isLoaded());
    }

    void memoryLadderAndVersionMeaning()
    {
        sim().setMemoryUsedKb(0, 1048576);
        GpuController gpu;
        sim().acceptOnlyVersions(0, NvRecordKind::MemoryInfo, { NvApiVersion::memoryInfoV1 });
        sim().clearCounters();
        MemoryReading memory;
        QVERIFY(gpu.readMemoryInfo(memory));
        QCOMPARE(sim().versionsPassed(NvApiId::GpuGetMemoryInfo),
            ladderOf({ NvApiVersion::memoryInfoV3, NvApiVersion::memoryInfoV2, NvApiVersion::memoryInfoV1 }));
        // Version 1 has no current figure: use is measured against the available memory.
        QCOMPARE(memory.dedicatedKb, 8388608);
        QCOMPARE(memory.usedKb, 8388608 - int(sim().cardConfig(0).availableDedicatedKb));
        sim().editCard(0, [](SimCardConfig &c) { c.availableDedicatedKb = 8000000; });
        QVERIFY(gpu.readMemoryInfo(memory));
        QCOMPARE(memory.usedKb, 388608);
        QCOMPARE(memory.availableDedicatedKb, 8000000);

        sim().acceptOnlyVersions(0, NvRecordKind::MemoryInfo, { NvApiVersion::memoryInfoV2 });
        QVERIFY(gpu.readMemoryInfo(memory));
        QCOMPARE(memory.usedKb, 1048576);
        QCOMPARE(memory.currentAvailableKb, 8388608 - 1048576);

        sim().acceptOnlyVersions(0, NvRecordKind::MemoryInfo, {});
        QVERIFY(!gpu.readMemoryInfo(memory));
        ExtremesTable table;
        gpu.readExtremes(table);
        QCOMPARE(extreme(table, Extreme::UsedMemory).minimum, 0);
        QCOMPARE(extreme(table, Extreme::UsedMemory).maximum, 1048576);
    }

    void clockAndThermalLadders()
    {
        sim().setGpuClockMhz(0, 1873);
        sim().setMemoryClockMhz(0, 4004);
        sim().setTemperature(0, 64.0);
        GpuController gpu;
        sim().acceptOnlyVersions(0, NvRecordKind::ClockFrequencies, { NvApiVersion::clockFrequenciesV1 });
        sim().acceptOnlyVersions(0, NvRecordKind::ThermalSettings, { NvApiVersion::thermalSettingsV1 });
        sim().clearCounters();
        ClockReading clocks;
        gpu.readCurrentClocks(clocks);
        QCOMPARE(clocks.gpuMhz, 1873);
        QCOMPARE(clocks.memoryMhz, 4004);
        QCOMPARE(sim().versionsPassed(NvApiId::GpuGetAllClockFrequencies),
            ladderOf({ 0x30108, 0x20108, 0x10108 }));
        ThermalReading thermal;
        QVERIFY(gpu.readThermal(thermal));
        QCOMPARE(thermal.currentC, 64);
        QCOMPARE(sim().versionsPassed(NvApiId::GpuGetThermalSettings), ladderOf({ 0x20044, 0x10044 }));

        // All refused: the reading records zeros and the record keeps nothing stale.
        sim().acceptOnlyVersions(0, NvRecordKind::ClockFrequencies, {});
        gpu.readCurrentClocks(clocks);
        QCOMPARE(clocks.gpuMhz, 0);
        ExtremesTable table;
        gpu.readExtremes(table);
        QCOMPARE(extreme(table, Extreme::GpuClock).maximum, 1873);
        QCOMPARE(extreme(table, Extreme::GpuClock).minimum, 0);
    }

    void thermalWithoutGpuSensor()
    {
        sim().setGpuSensor(0, false);
        GpuController gpu;
        ThermalReading thermal;
        QVERIFY(gpu.readThermal(thermal));
        QCOMPARE(thermal.currentC, 0);
        ExtremesTable table;
        gpu.readExtremes(table);
        QCOMPARE(extreme(table, Extreme::Temperature).maximum, 0);
    }

    void firstRecordedValueSetsBothExtremes()
    {
        sim().setTemperature(0, 55.0);
        GpuController gpu;
        ThermalReading thermal;
        gpu.readThermal(thermal);
        ExtremesTable table;
        gpu.readExtremes(table);
        QCOMPARE(extreme(table, Extreme::Temperature).maximum, 55);
        QCOMPARE(extreme(table, Extreme::Temperature).minimum, 55);
        sim().setTemperature(0, 70.0);
        gpu.readThermal(thermal);
        sim().setTemperature(0, 40.0);
        gpu.readThermal(thermal);
        gpu.readExtremes(table);
        QCOMPARE(extreme(table, Extreme::Temperature).maximum, 70);
        QCOMPARE(extreme(table, Extreme::Temperature).minimum, 40);
        // Untouched pairs keep their fresh state.
        QCOMPARE(extreme(table, Extreme::GpuUsage).maximum, INT32_MIN);
    }

    void usageNeedsAPresentDomain()
    {
        sim().setGpuUsage(0, 73);
        GpuController gpu;
        UsageReading usage;
        QVERIFY(gpu.readUsage(usage));
        QCOMPARE(usage.gpuPercent, 73);
        sim().editCard(0, [](SimCardConfig &c) { c.usagePresent = false; });
        UsageReading none;
        QVERIFY(!gpu.readUsage(none));
        ExtremesTable table;
        gpu.readExtremes(table);
        QCOMPARE(extreme(table, Extreme::GpuUsage).minimum, 73); // nothing recorded
        sim().failCalls(NvApiId::GpuGetDynamicPstatesInfoEx, NvApiStatus::Error);
        QVERIFY(!gpu.readUsage(none));
        gpu.readExtremes(table);
        QCOMPARE(extreme(table, Extreme::GpuUsage).minimum, 0);
    }

    void coolerReadingAndItsGiveUpStatuses()
    {
        sim().setFanRpm(0, 1450);
        GpuController gpu;
        CoolerReading cooler;
        QVERIFY(gpu.readCooler(cooler));
        QCOMPARE(cooler.fanSpeedRpm, 1450);
        QCOMPARE(cooler.levelLowPercent, 0);
        QCOMPARE(cooler.levelHighPercent, 100);
        // The first range word carries the top of the tachometer's range on this card.
        QCOMPARE(cooler.tachRangeLow, 3500);
        QCOMPARE(cooler.tachRangeHigh, 600);
        QCOMPARE(cooler.policy, 32);

        for (NvStatus giveUp : { NvApiStatus::Error, NvApiStatus::InvalidArgument,
                 NvApiStatus::HandleInvalidated, NvApiStatus::ExpectedPhysicalGpuHandle }) {
            sim().clearFaults();
            sim().failCalls(NvApiId::GpuGetCoolerSettings, giveUp);
            sim().clearCounters();
            CoolerReading r;
            QVERIFY(!gpu.readCooler(r));
            QCOMPARE(sim().callCount(NvApiId::GpuGetCoolerSettings), 1);
        }

        // Not supported still gives the tachometer speed.
        sim().clearFaults();
        sim().failCalls(NvApiId::GpuGetCoolerSettings, NvApiStatus::NotSupported);
        CoolerReading notSupported;
        QVERIFY(gpu.readCooler(notSupported));
        QCOMPARE(notSupported.fanSpeedRpm, 1450);
        QCOMPARE(notSupported.policy, 32);
    }

    void coolerLadderStepsDownOnVersionRefusal()
    {
        GpuController gpu;
        sim().acceptOnlyVersions(0, NvRecordKind::CoolerSettings, { 0x10098 });
        sim().clearCounters();
        CoolerReading cooler;
        QVERIFY(gpu.readCooler(cooler));
        QCOMPARE(sim().versionsPassed(NvApiId::GpuGetCoolerSettings),
            ladderOf({ 0x40558, 0x30508, 0x203C8, 0x103C8, 0x10098 }));
        QCOMPARE(cooler.levelHighPercent, 100);

        sim().acceptOnlyVersions(0, NvRecordKind::CoolerSettings, {});
        CoolerReading none;
        QVERIFY(!gpu.readCooler(none));

        sim().acceptOnlyVersions(
            0, NvRecordKind::CoolerSettings, { 0x40558, 0x30508, 0x203C8, 0x103C8, 0x10098 });
        // A card without a cooler answers "not supported": still a reading, of 0 RPM.
        sim().setCoolerPresent(0, false);
        CoolerReading noCooler;
        QVERIFY(gpu.readCooler(noCooler));
        QCOMPARE(noCooler.fanSpeedRpm, 0);
        QCOMPARE(noCooler.levelHighPercent, 0);
        ExtremesTable table;
        gpu.readExtremes(table);
        QCOMPARE(extreme(table, Extreme::FanSpeed).minimum, 0);
    }

    void clockKindsReachTheDriver()
    {
        sim().setGpuClockMhz(0, 1873);
        GpuController gpu;
        ClockReading current, base, boost;
        QVERIFY(gpu.readClockFrequencies(current, ClockKind::Current));
        QVERIFY(gpu.readClockFrequencies(base, ClockKind::Base));
        QVERIFY(gpu.readClockFrequencies(boost, ClockKind::Boost));
        QCOMPARE(current.gpuMhz, 1873);
        QCOMPARE(base.gpuMhz, 1607);
        QCOMPARE(boost.gpuMhz, 1683);
        QCOMPARE(base.memoryMhz, 4004);
    }

    void baseClocksCurrentAndStock()
    {
        GpuController gpu;
        ClockReading current, stock;
        QVERIFY(gpu.readBaseClocks(current, false));
        QVERIFY(gpu.readBaseClocks(stock, true));
        QCOMPARE(current.gpuMhz, 1607);
        QCOMPARE(stock.gpuMhz, 1607);
        QCOMPARE(stock.memoryMhz, 4004);

        // Without the base clock query the P0 table answers for the current variant.
        sim().failCalls(NvApiId::GpuGetAllClockFrequencies, NvApiStatus::Error);
        ClockReading fromTable;
        QVERIFY(gpu.readBaseClocks(fromTable, false));
        QVERIFY(fromTable.gpuMhz > 0);
        QCOMPARE(fromTable.memoryMhz, 4004);
        QVERIFY(!gpu.readBaseClocks(stock, true));

        sim().clearFaults();
        sim().acceptOnlyVersions(0, NvRecordKind::Pstates20, {});
        QVERIFY(!gpu.readBaseClocks(current, false));
        QCOMPARE(current.gpuMhz, 0);
    }
};

QTEST_GUILESS_MAIN(TestGpuController)
#include "tst_gpucontroller.moc"
