#include "bridgegpus.h"
#include "bridgerecords.h"
#include "nvmlstatus.h"
#include "nvmlunits.h"

#include "nvapiversions.h"

#include <QtTest>

#include <climits>

// The pure half of the driver library for real cards: what each NVML answer
// means to the program, every unit conversion at its edges, and the bytes of
// every record the bridge hands to the program.
class TestNvmlTables : public QObject
{
    Q_OBJECT

private slots:
    void statusMapping_data()
    {
        QTest::addColumn<unsigned>("nvml");
        QTest::addColumn<int>("nvapi");
        QTest::newRow("success") << 0u << 0;
        QTest::newRow("not supported") << 3u << -104;
        QTest::newRow("function not found") << 13u << -104;
        QTest::newRow("argument version mismatch") << 25u << -104;
        QTest::newRow("deprecated") << 26u << -104;
        QTest::newRow("no permission") << 4u << -137;
        QTest::newRow("invalid argument") << 2u << -5;
        QTest::newRow("driver not loaded") << 9u << -6;
        QTest::newRow("timeout") << 10u << -191;
        QTest::newRow("in use") << 19u << -108;
        QTest::newRow("gpu lost") << 15u << -1;
        QTest::newRow("uninitialized") << 1u << -1;
        QTest::newRow("unknown") << 999u << -1;
    }
    void statusMapping()
    {
        QFETCH(unsigned, nvml);
        QFETCH(int, nvapi);
        QCOMPARE(NvmlStatus::toNvApi(nvml), nvapi);
    }

    void initStatus()
    {
        // A driver upgraded without a reboot is a library that cannot work: no card, with a reason.
        QCOMPARE(NvmlStatus::forInit(18), NvApiStatus::LibraryNotFound);
        QCOMPARE(NvmlStatus::forInit(9), NvApiStatus::NvidiaDeviceNotFound);
        QCOMPARE(NvmlStatus::forInit(0), NvApiStatus::Ok);
    }

    void driverNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<unsigned>("number");
        QTest::newRow("bookworm") << "535.247.01" << 53524u;
        QTest::newRow("trixie") << "550.163.01" << 55016u;
        QTest::newRow("two-digit minor") << "550.54.14" << 55054u;
        QTest::newRow("no patch") << "575.64" << 57564u;
        QTest::newRow("one-digit minor") << "535.5" << 53505u;
        QTest::newRow("empty") << "" << 0u;
        QTest::newRow("no minor") << "550" << 0u;
        QTest::newRow("letters") << "abc.de" << 0u;
        QTest::newRow("dot first") << ".55" << 0u;
        QTest::newRow("absurd major") << "99999999999.01" << 0u;
    }
    void driverNumber()
    {
        QFETCH(QString, text);
        QFETCH(unsigned, number);
        QCOMPARE(NvmlUnits::driverNumberFromVersion(text.toStdString()), number);
    }

    void unitEdges()
    {
        QCOMPARE(NvmlUnits::khzFromMhz(std::uint32_t(2475)), 2475000u);
        QCOMPARE(NvmlUnits::khzFromMhz(std::uint32_t(UINT_MAX)), UINT32_MAX);
        QCOMPARE(NvmlUnits::khzFromMhz(std::int32_t(-1000)), -1000000);
        QCOMPARE(NvmlUnits::khzFromMhz(std::int32_t(INT_MIN)), INT32_MIN);
        QCOMPARE(NvmlUnits::mhzFromKhz(-1999), -1);
        QCOMPARE(NvmlUnits::kbFromBytes(12884901888ULL), 12582912u);
        QCOMPARE(NvmlUnits::kbFromBytes(1023), 0u);
        QCOMPARE(NvmlUnits::kbFromBytes(ULLONG_MAX), UINT32_MAX);
        // 123.456 W of a 200 W rating.
        QCOMPARE(NvmlUnits::pct1000FromMilliwatts(123456, 200000), 61728u);
        QCOMPARE(NvmlUnits::pct1000FromMilliwatts(200000, 200000), 100000u);
        QCOMPARE(NvmlUnits::pct1000FromMilliwatts(500, 0), 0u);
        QCOMPARE(NvmlUnits::milliwattsFromPct1000(105000, 200000), 210000u);
        QCOMPARE(NvmlUnits::milliwattsFromPct1000(33333, 300000), 99999u);
        QCOMPARE(NvmlUnits::milliwattsFromPct1000(UINT32_MAX, UINT32_MAX), UINT32_MAX);
        QCOMPARE(NvmlUnits::raw256FromDegrees(83), 83 * 256);
        QCOMPARE(NvmlUnits::raw256FromDegrees(INT_MAX), INT32_MAX);
        QCOMPARE(NvmlUnits::degreesFromRaw256(83 * 256 + 127), 83);
        QCOMPARE(NvmlUnits::degreesFromRaw256(83 * 256 + 128), 84);
        QCOMPARE(NvmlUnits::degreesFromRaw256(-5 * 256 - 128), -6);
        QCOMPARE(NvmlUnits::memoryClockMhzFromOffset(1500), 750);
        QCOMPARE(NvmlUnits::memoryClockMhzFromOffset(-1001), -500);
    }

    void sysfsBusIdAndRevision()
    {
        nvmlPciInfo_t pci {};
        pci.domain = 0;
        pci.bus = 0x2B;
        pci.device = 0;
        QCOMPARE(QString::fromStdString(BridgeGpus::sysfsBusId(pci)), QStringLiteral("0000:2b:00.0"));
        pci.domain = 0x10001;
        pci.bus = 0x1C1;
        QCOMPARE(QString::fromStdString(BridgeGpus::sysfsBusId(pci)), QStringLiteral("0001:c1:00.0"));
        // A bus id never walks out of the sysfs folder.
        QCOMPARE(BridgeGpus::revision("../../etc/passwd"), 0u);
        QCOMPARE(BridgeGpus::revision(""), 0u);
    }

    // P0 holds the graphics and the memory clock as range entries in kHz; an
    // editable bit only where the offset answered; no voltage entries at all.
    void pstatesRecord()
    {
        NvmlClockDomain graphics { true, 150, -1000, 1000, 210, 3105 };
        NvmlClockDomain memory { false, 0, 0, 0, 405, 10501 };
        const NvPstates20Info info = BridgeRecords::pstates(graphics, memory);
        QCOMPARE(info.numPstates, 1u);
        QCOMPARE(info.numClocks, 2u);
        QCOMPARE(info.numBaseVoltages, 0u);
        QCOMPARE(info.ov.numVoltages, 0u);
        QCOMPARE(info.pstates[0].pstateId, 0u);
        const NvPstates20ClockEntry &g = info.pstates[0].clocks[0];
        QCOMPARE(g.domainId, NvClockDomainId::Graphics);
        QCOMPARE(g.typeId, NvClockEntryType::Range);
        QCOMPARE(g.flags, 1u);
        QCOMPARE(g.freqDelta_kHz.value, 150000);
        QCOMPARE(g.freqDelta_kHz.min, -1000000);
        QCOMPARE(g.freqDelta_kHz.max, 1000000);
        QCOMPARE(g.data.range.minFreq_kHz, 210000u);
        QCOMPARE(g.data.range.maxFreq_kHz, 3105000u);
        const NvPstates20ClockEntry &m = info.pstates[0].clocks[1];
        QCOMPARE(m.domainId, NvClockDomainId::Memory);
        QCOMPARE(m.flags, 0u);
        QCOMPARE(m.data.range.maxFreq_kHz, 10501000u);
        QCOMPARE(info.flags, 1u);
        QCOMPARE(BridgeRecords::pstates(memory, memory).flags, 0u);
    }

    void clockRecord()
    {
        NvmlClockSet set;
        set.graphics = { true, 2475 };
        set.memory = { true, 10501 };
        set.video = { true, 1965 };
        const NvClockFrequencies f = BridgeRecords::clockFrequencies(set, 1);
        QCOMPARE(f.clockType, 1u);
        QCOMPARE(f.domain[0].frequency_kHz, 2475000u);
        QCOMPARE(f.domain[0].flags, 1u);
        QCOMPARE(f.domain[4].frequency_kHz, 10501000u);
        QCOMPARE(f.domain[8].frequency_kHz, 1965000u);
        // A clock NVML does not give is absent, not 0 MHz.
        QCOMPARE(f.domain[7].flags, 0u);
    }

    void memoryRecord()
    {
        const NvMemoryInfo m = BridgeRecords::memory({ 12884901888ULL, 362348544ULL, 0, 1073741824ULL });
        QCOMPARE(m.dedicatedVideoMemory, 12582912u);
        QCOMPARE(m.availableDedicatedVideoMemory, 12582912u - 353856u);
        // The program's used memory (dedicated minus this) is NVML's "used".
        QCOMPARE(m.dedicatedVideoMemory - m.curAvailableDedicatedVideoMemory, 1048576u);
        QCOMPARE(m.systemVideoMemory, 0u);
        // "used" above "total" from a confused driver never wraps around.
        const NvMemoryInfo wild = BridgeRecords::memory({ 1024, 0, 0, 4096 });
        QCOMPARE(wild.curAvailableDedicatedVideoMemory, 0u);
    }

    void utilisationAndThermalRecords()
    {
        NvmlUtilization u { 37, 21, 12u };
        const NvDynamicPstatesInfoEx d = BridgeRecords::utilization(u);
        QCOMPARE(d.flags & 1, 1u);
        QCOMPARE(d.utilization[0].percentage, 37u);
        QCOMPARE(d.utilization[1].percentage, 21u);
        QCOMPARE(d.utilization[2].percentage, 12u);
        QCOMPARE(d.utilization[3].flags, 0u); // no bus domain
        u.videoPercent.reset();
        QCOMPARE(BridgeRecords::utilization(u).utilization[2].flags, 0u);

        const NvThermalSettings t = BridgeRecords::thermalSettings(55, 90);
        QCOMPARE(t.count, 1u);
        QCOMPARE(t.sensor[0].currentTemp, 55);
        QCOMPARE(t.sensor[0].defaultMaxTemp, 90);
        QCOMPARE(t.sensor[0].target, NvThermalTargetGpu);
    }

    void thermalPolicyRecords()
    {
        const NvmlAcousticLimits limits { 65, 80, 90, 83 };
        const NvThermalPoliciesInfo info = BridgeRecords::thermalPoliciesInfo(limits);
        QCOMPARE(info.u8(NvThermalPoliciesInfo::flags) & 1, 1);
        QCOMPARE(info.u8(NvThermalPoliciesInfo::count), 1);
        const std::size_t e = NvThermalPoliciesInfo::entry(0);
        QCOMPARE(info.u32(e + NvThermalPoliciesInfo::policyId), BridgeRecords::ThermalPolicyId);
        QCOMPARE(info.s32(e + NvThermalPoliciesInfo::minLimit), 65 * 256);
        QCOMPARE(info.s32(e + NvThermalPoliciesInfo::defaultLimit), 83 * 256);
        QCOMPARE(info.s32(e + NvThermalPoliciesInfo::maxLimit), 90 * 256);

        NvThermalPoliciesStatus status;
        QVERIFY(BridgeRecords::thermalPoliciesStatus(limits, true, status, NvThermalPoliciesStatus::size));
        QCOMPARE(status.s32(NvThermalPoliciesStatus::entry(0) + NvThermalPoliciesStatus::limit), 80 * 256);
        QCOMPARE(status.u8(NvThermalPoliciesStatus::entry(0) + NvThermalPoliciesStatus::flags), 1);
        NvThermalPoliciesStatus foreign;
        foreign.setU8(NvThermalPoliciesStatus::count, 1);
        foreign.setU32(NvThermalPoliciesStatus::entry(0), 7);
        QVERIFY(!BridgeRecords::thermalPoliciesStatus(limits, false, foreign, NvThermalPoliciesStatus::size));
        // A count that runs past the caller's record is refused, not read.
        NvThermalPoliciesStatus tooMany;
        tooMany.setU8(NvThermalPoliciesStatus::count, 3);
        QVERIFY(!BridgeRecords::thermalPoliciesStatus(limits, false, tooMany, 0x28));
    }

    void powerRecords()
    {
        const NvmlPowerLimits limits { 200000, 100000, 220000, 180000 };
        const NvPowerPoliciesInfo info = BridgeRecords::powerPoliciesInfo(limits);
        const std::size_t e = NvPowerPoliciesInfo::entry(0);
        QCOMPARE(info.u8(NvPowerPoliciesInfo::supported), 1);
        QCOMPARE(info.u32(e + NvPowerPoliciesInfo::minLimit), 50000u);
        QCOMPARE(info.u32(e + NvPowerPoliciesInfo::defaultLimit), 100000u);
        QCOMPARE(info.u32(e + NvPowerPoliciesInfo::maxLimit), 110000u);
        NvPowerPoliciesStatus status;
        QVERIFY(BridgeRecords::powerPoliciesStatus(limits, status, NvPowerPoliciesStatus::size));
        QCOMPARE(status.u32(NvPowerPoliciesStatus::entry(0) + NvPowerPoliciesStatus::limit), 90000u);
        NvPowerTopologyStatus topology;
        QVERIFY(BridgeRecords::powerTopologyStatus(123456, 200000, topology, NvPowerTopologyStatus::size));
        QCOMPARE(topology.u32(NvPowerTopologyStatus::entry(0) + NvPowerTopologyStatus::power), 61728u);
    }

    void policyWritesParsing()
    {
        NvPowerPoliciesStatus write;
        write.setU8(NvPowerPoliciesStatus::count, 1);
        write.setU32(NvPowerPoliciesStatus::entry(0) + NvPowerPoliciesStatus::limit, 105000);
        const auto writes = BridgeRecords::powerWrites(write, NvPowerPoliciesStatus::size);
        QVERIFY(writes);
        QCOMPARE(writes->size(), std::size_t(1));
        QCOMPARE(writes->front().value, 105000);
        NvPowerPoliciesStatus empty;
        QVERIFY(!BridgeRecords::powerWrites(empty, NvPowerPoliciesStatus::size));

        NvThermalPoliciesStatus thermal;
        thermal.setU8(NvThermalPoliciesStatus::count, 1);
        thermal.setU32(NvThermalPoliciesStatus::entry(0), 1);
        thermal.setS32(NvThermalPoliciesStatus::entry(0) + NvThermalPoliciesStatus::limit, 70 * 256);
        thermal.setU8(NvThermalPoliciesStatus::entry(0) + NvThermalPoliciesStatus::flags, 1);
        const auto t = BridgeRecords::thermalWrites(thermal, NvThermalPoliciesStatus::size);
        QVERIFY(t);
        QCOMPARE(t->front().value, 70 * 256);
        QVERIFY(t->front().priority);
        // The record's size bounds the entries read, whatever its count says.
        thermal.setU8(NvThermalPoliciesStatus::count, 200);
        QVERIFY(!BridgeRecords::thermalWrites(thermal, NvThermalPoliciesStatus::size));
    }

    // As many cooler entries as the caller's record holds: the oldest word
    // (0x10098) has room for two, the newest for twenty.
    void coolerRecordBySize()
    {
        NvmlCooler cooler;
        cooler.minPercent = 30;
        cooler.maxPercent = 100;
        cooler.fans = { { 45, false }, { 50, true }, { 55, false } };
        const NvCoolerSettings small = BridgeRecords::coolerSettings(cooler, 0x98);
        QCOMPARE(small.u32(NvCoolerSettings::count), 2u);
        const NvCoolerSettings full = BridgeRecords::coolerSettings(cooler, 0x558);
        QCOMPARE(full.u32(NvCoolerSettings::count), 3u);
        const std::size_t second = NvCoolerSettings::entry(1);
        QCOMPARE(full.u32(second + NvCoolerSettings::levelLowPercent), 30u);
        QCOMPARE(full.u32(second + NvCoolerSettings::levelHighPercent), 100u);
        QCOMPARE(full.u32(second + NvCoolerSettings::currentLevelPercent), 50u);
        QCOMPARE(full.u32(second + NvCoolerSettings::currentPolicy), BridgeRecords::CoolerPolicyManual);
        QCOMPARE(full.u32(NvCoolerSettings::entry(0) + NvCoolerSettings::currentPolicy),
            BridgeRecords::CoolerPolicyAutomatic);
        QCOMPARE(full.u32(second + NvCoolerSettings::defaultPolicy), BridgeRecords::CoolerPolicyAutomatic);
        // No tachometer range from NVML.
        QCOMPARE(full.u8(second + NvCoolerSettings::tachRangeValid), 0);
    }
};

QTEST_GUILESS_MAIN(TestNvmlTables)
#include "tst_nvmltables.moc"
