#include "bridgeentries.h"
#include "fakenvml.h"
#include "fakesysfs.h"
#include "runtimestate.h"

#include "nvapiids.h"
#include "nvapiversions.h"

#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

// The driver library for real cards, entry by entry, against the fake NVML.
// Built twice: against the variant Debian's driver matches (R550: the older
// calls) and against the current one, so that every fallback row runs.
class TestNvapiLinux : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_runtime;
    QTemporaryDir m_sysfs;
    NvPhysicalGpuHandle m_gpus[NvApiLimits::MaxPhysicalGpus] = {};
    NvU32 m_count = 0;
    const bool m_r550 = FakeNvml::isR550();

    static FakeNvml &fake() { return FakeNvml::instance(); }
    NvPhysicalGpuHandle gpu(int i = 0) const { return m_gpus[i]; }

    void start(int gpus = 1)
    {
        fake().reset(gpus);
        // Each case starts a new boot: no state of an earlier card.
        QDir(m_runtime.filePath(QStringLiteral("lumetra"))).removeRecursively();
        RuntimeState::instance().clearMemory();
        QCOMPARE(BridgeEntries::initialize(), NvApiStatus::Ok);
        QCOMPARE(BridgeEntries::enumPhysicalGpus(m_gpus, &m_count), NvApiStatus::Ok);
        QCOMPARE(m_count, NvU32(gpus));
        fake().clearCalls();
    }

    static NvPstates20Info offsetRecord(NvU32 domain, int offsetMhz, NvU32 word = NvApiVersion::pstates20V3)
    {
        NvPstates20Info info;
        std::memset(&info, 0, sizeof info);
        info.version = word;
        info.numPstates = 1;
        info.numClocks = 1;
        info.pstates[0].clocks[0].domainId = domain;
        info.pstates[0].clocks[0].freqDelta_kHz.value = offsetMhz * 1000;
        return info;
    }

    NvPstates20Info readPstates()
    {
        NvPstates20Info info;
        std::memset(&info, 0, sizeof info);
        info.version = NvApiVersion::pstates20V3;
        const NvStatus status = BridgeEntries::gpuGetPstates20(gpu(), &info);
        if (status != NvApiStatus::Ok)
            qWarning("pstates read: %d", status);
        return info;
    }

    NvStatus setPower(NvU32 pct1000)
    {
        NvPowerPoliciesStatus status;
        status.setVersion(NvApiVersion::powerPoliciesStatusV1);
        status.setU8(NvPowerPoliciesStatus::count, 1);
        status.setU32(NvPowerPoliciesStatus::entry(0) + NvPowerPoliciesStatus::limit, pct1000);
        return BridgeEntries::gpuPowerPoliciesSetStatus(gpu(), &status);
    }

    NvStatus setThermal(int degrees, bool priority = false, NvU32 policy = 1)
    {
        NvThermalPoliciesStatus status;
        status.setVersion(0x20038);
        status.setU8(NvThermalPoliciesStatus::count, 1);
        const std::size_t e = NvThermalPoliciesStatus::entry(0);
        status.setU32(e + NvThermalPoliciesStatus::policyId, policy);
        status.setS32(e + NvThermalPoliciesStatus::limit, degrees * 256);
        status.setU8(e + NvThermalPoliciesStatus::flags, priority ? 1 : 0);
        return BridgeEntries::gpuThermalPoliciesSetStatus(gpu(), &status);
    }

    NvStatus setCooler(int level, NvU32 policy)
    {
        NvCoolerLevels levels;
        levels.setVersion(NvApiVersion::coolerLevelsV1);
        levels.setS32(NvCoolerLevels::level(0), level);
        levels.setU32(NvCoolerLevels::policy(0), policy);
        return BridgeEntries::gpuSetCoolerLevels(gpu(), 7, &levels);
    }

    NvCoolerSettings readCooler(NvStatus &status, NvU32 word = 0x40558)
    {
        NvCoolerSettings settings;
        settings.setVersion(word);
        status = BridgeEntries::gpuGetCoolerSettings(gpu(), 7, &settings);
        return settings;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_runtime.isValid() && m_sysfs.isValid());
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
        qputenv("LUMETRA_LINUX_SYSFS_ROOT", m_sysfs.path().toLocal8Bit());
        qputenv("LUMETRA_NVML_LIBRARY", FAKE_NVML_PATH);
        QFile::setPermissions(m_runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(FakeSysfs(m_sysfs.path()).addPciDevice(QStringLiteral("0000:01:00.0"), 0xA1));
        QVERIFY(FakeSysfs(m_sysfs.path()).addPciDevice(QStringLiteral("0000:02:00.0"), 0xA2));
    }

    void cleanup()
    {
        while (BridgeEntries::unload() == NvApiStatus::Ok) { }
        QVERIFY(!fake().initialized());
    }

    void callsBeforeInitialiseAnswerNotInitialised()
    {
        char name[64] = {};
        NvU32 count = 0;
        QCOMPARE(BridgeEntries::enumPhysicalGpus(m_gpus, &count), NvApiStatus::ApiNotInitialized);
        QCOMPARE(BridgeEntries::gpuGetFullName(m_gpus[0], name), NvApiStatus::ApiNotInitialized);
        QCOMPARE(BridgeEntries::unload(), NvApiStatus::ApiNotInitialized);
    }

    void loadingFailures_data()
    {
        QTest::addColumn<QByteArray>("library");
        QTest::addColumn<QString>("initFailure");
        QTest::addColumn<unsigned>("initStatus");
        QTest::addColumn<int>("expected");
        QTest::newRow("no NVML on the machine") << QByteArray("/nonexistent/libnvidia-ml.so.1") << QString()
                                                << 0u << int(NvApiStatus::LibraryNotFound);
        // Any library lacking the four required symbols is no NVML.
        QTest::newRow("required symbols missing")
            << QByteArray(SIM_LIBRARY_PATH) << QString() << 0u << int(NvApiStatus::LibraryNotFound);
        QTest::newRow("driver not loaded")
            << QByteArray(FAKE_NVML_PATH) << "nvmlInit_v2" << 9u << int(NvApiStatus::NvidiaDeviceNotFound);
        QTest::newRow("upgraded without reboot")
            << QByteArray(FAKE_NVML_PATH) << "nvmlInit_v2" << 18u << int(NvApiStatus::LibraryNotFound);
        QTest::newRow("relative override is ignored") << QByteArray("libnvidia-ml.so.1-not-here") << QString()
                                                      << 0u << int(NvApiStatus::LibraryNotFound);
    }
    void loadingFailures()
    {
        QFETCH(QByteArray, library);
        QFETCH(QString, initFailure);
        QFETCH(unsigned, initStatus);
        QFETCH(int, expected);
        fake().reset(1);
        if (!initFailure.isEmpty())
            fake().failCall(initFailure.toStdString(), initStatus);
        qputenv("LUMETRA_NVML_LIBRARY", library);
        if (!library.startsWith('/'))
            qputenv("LUMETRA_NVML_LIBRARY", QByteArray("/nonexistent/") + library);
        const NvStatus status = BridgeEntries::initialize();
        qputenv("LUMETRA_NVML_LIBRARY", FAKE_NVML_PATH);
        QCOMPARE(status, expected);
        QCOMPARE(BridgeEntries::unload(), NvApiStatus::ApiNotInitialized);
    }

    void enumerationListsEveryGpuInOrder()
    {
        fake().reset(3);
        fake().setName(2, "NVIDIA RTX A2000");
        fake().setValue(2, "pciSubSystemId", 0x150710DE);
        QCOMPARE(BridgeEntries::initialize(), NvApiStatus::Ok);
        QCOMPARE(BridgeEntries::enumPhysicalGpus(m_gpus, &m_count), NvApiStatus::Ok);
        QCOMPARE(m_count, 3u);
        QVERIFY(m_gpus[0] != m_gpus[1] && m_gpus[1] != m_gpus[2]);
        NvPhysicalGpuHandle tcc[64] = {};
        NvU32 tccCount = 9;
        QCOMPARE(BridgeEntries::enumTccPhysicalGpus(tcc, &tccCount), NvApiStatus::Ok);
        QCOMPARE(tccCount, 0u);

        char name[64] = {};
        QCOMPARE(BridgeEntries::gpuGetFullName(m_gpus[2], name), NvApiStatus::Ok);
        QCOMPARE(QByteArray(name), QByteArray("NVIDIA RTX A2000"));
        NvU32 device = 0, subsystem = 0, revision = 0, external = 0;
        QCOMPARE(BridgeEntries::gpuGetPciIdentifiers(m_gpus[1], &device, &subsystem, &revision, &external),
            NvApiStatus::Ok);
        QCOMPARE(device, 0x278610DEu);
        QCOMPARE(subsystem, 0x31611D17u);
        QCOMPARE(revision, 0xA2u); // from the sysfs folder of bus 02
        QCOMPARE(external, 0x2786u);
        QCOMPARE(BridgeEntries::gpuGetVbiosVersionString(m_gpus[0], name), NvApiStatus::Ok);
        QCOMPARE(QByteArray(name), QByteArray("95.04.31.00.3d"));

        // A handle the bridge never gave out reaches nothing.
        int local = 0;
        QCOMPARE(BridgeEntries::gpuGetFullName(reinterpret_cast<NvPhysicalGpuHandle>(&local), name),
            NvApiStatus::InvalidHandle);
        QCOMPARE(BridgeEntries::gpuGetFullName(nullptr, name), NvApiStatus::InvalidHandle);
        QCOMPARE(BridgeEntries::gpuGetFullName(m_gpus[0], nullptr), NvApiStatus::InvalidArgument);
    }

    void noGpuIsNoDevice()
    {
        fake().reset(0);
        QCOMPARE(BridgeEntries::initialize(), NvApiStatus::Ok);
        QCOMPARE(BridgeEntries::enumPhysicalGpus(m_gpus, &m_count), NvApiStatus::NvidiaDeviceNotFound);
        QCOMPARE(m_count, 0u);
    }

    void longNamesAreCut()
    {
        start();
        fake().setName(0, std::string(90, 'N'));
        char name[64];
        std::memset(name, 'x', sizeof name);
        QCOMPARE(BridgeEntries::gpuGetFullName(gpu(), name), NvApiStatus::Ok);
        QCOMPARE(std::strlen(name), std::size_t(63));
    }

    void driverVersionAndBranch()
    {
        start();
        NvU32 number = 0;
        char branch[64] = {};
        QCOMPARE(BridgeEntries::sysGetDriverAndBranchVersion(&number, branch), NvApiStatus::Ok);
        QCOMPARE(number, 55016u);
        // The branch call came with R560; before it the branch text is the whole version.
        QCOMPARE(QByteArray(branch), m_r550 ? QByteArray("550.163.01") : QByteArray("r550_00"));
    }

    void memoryInKilobytes()
    {
        start();
        NvMemoryInfo info {};
        info.version = NvApiVersion::memoryInfoV3;
        QCOMPARE(BridgeEntries::gpuGetMemoryInfo(gpu(), &info), NvApiStatus::Ok);
        QCOMPARE(info.version, NvApiVersion::memoryInfoV3);
        QCOMPARE(info.dedicatedVideoMemory, 12582912u);
        QCOMPARE(info.dedicatedVideoMemory - info.curAvailableDedicatedVideoMemory, 1048576u);
        QCOMPARE(fake().calls("nvmlDeviceGetMemoryInfo_v2"), 1);
        QCOMPARE(fake().calls("nvmlDeviceGetMemoryInfo"), 0);

        // Without version 2, the old call: it counts the reserved memory as used.
        fake().failCall("nvmlDeviceGetMemoryInfo_v2", 13);
        QCOMPARE(BridgeEntries::gpuGetMemoryInfo(gpu(), &info), NvApiStatus::Ok);
        QCOMPARE(fake().calls("nvmlDeviceGetMemoryInfo"), 1);
        QCOMPARE(info.dedicatedVideoMemory - info.curAvailableDedicatedVideoMemory, 1048576u + 353856u);

        // Version 1 of the record gets its own size filled, nothing beyond.
        unsigned char small[0x20];
        std::memset(small, 0xEE, sizeof small);
        const NvU32 v1 = NvApiVersion::memoryInfoV1;
        std::memcpy(small, &v1, sizeof v1);
        QCOMPARE(
            BridgeEntries::gpuGetMemoryInfo(gpu(), reinterpret_cast<NvMemoryInfo *>(small)), NvApiStatus::Ok);
        QCOMPARE(small[0x14], 0xEE);
    }

    // Every versioned entry answers -9 to a word outside the program's ladder,
    // before it asks NVML anything, as the simulated driver does.
    void foreignVersionWordsAreRefused()
    {
        start();
        const NvU32 wrong = 0x50558;
        std::vector<unsigned char> buffer(0x2000, 0);
        std::memcpy(buffer.data(), &wrong, sizeof wrong);
        void *record = buffer.data();
        const NvPhysicalGpuHandle g = gpu();
        const std::vector<NvStatus> answers = {
            BridgeEntries::gpuGetMemoryInfo(g, static_cast<NvMemoryInfo *>(record)),
            BridgeEntries::gpuGetAllClockFrequencies(g, static_cast<NvClockFrequencies *>(record)),
            BridgeEntries::gpuGetPstates20(g, static_cast<NvPstates20Info *>(record)),
            BridgeEntries::gpuSetPstates20(g, static_cast<NvPstates20Info *>(record)),
            BridgeEntries::gpuGetDynamicPstatesInfoEx(g, static_cast<NvDynamicPstatesInfoEx *>(record)),
            BridgeEntries::gpuGetThermalSettings(g, 0, static_cast<NvThermalSettings *>(record)),
            BridgeEntries::gpuGetCoolerSettings(g, 7, static_cast<NvCoolerSettings *>(record)),
            BridgeEntries::gpuSetCoolerLevels(g, 7, static_cast<NvCoolerLevels *>(record)),
            BridgeEntries::gpuThermalPoliciesGetInfo(g, static_cast<NvThermalPoliciesInfo *>(record)),
            BridgeEntries::gpuThermalPoliciesGetStatus(g, static_cast<NvThermalPoliciesStatus *>(record)),
            BridgeEntries::gpuThermalPoliciesSetStatus(g, static_cast<NvThermalPoliciesStatus *>(record)),
            BridgeEntries::gpuPowerTopologyGetInfo(g, static_cast<NvPowerTopologyInfo *>(record)),
            BridgeEntries::gpuPowerTopologyGetStatus(g, static_cast<NvPowerTopologyStatus *>(record)),
            BridgeEntries::gpuPowerPoliciesGetInfo(g, static_cast<NvPowerPoliciesInfo *>(record)),
            BridgeEntries::gpuPowerPoliciesGetStatus(g, static_cast<NvPowerPoliciesStatus *>(record)),
            BridgeEntries::gpuPowerPoliciesSetStatus(g, static_cast<NvPowerPoliciesStatus *>(record)),
        };
        for (NvStatus status : answers)
            QCOMPARE(status, NvApiStatus::IncompatibleStructVersion);
        QCOMPARE(fake().totalCalls(), 0);
        QCOMPARE(BridgeEntries::gpuGetMemoryInfo(g, nullptr), NvApiStatus::InvalidArgument);
    }

    void clocksOfEachKind()
    {
        start();
        NvClockFrequencies f {};
        f.version = NvApiVersion::clockFrequenciesV3;
        f.clockType = 0;
        QCOMPARE(BridgeEntries::gpuGetAllClockFrequencies(gpu(), &f), NvApiStatus::Ok);
        QCOMPARE(f.domain[NvClockDomainId::Graphics].frequency_kHz, 2475000u);
        QCOMPARE(f.domain[NvClockDomainId::Memory].frequency_kHz, 10501000u);
        QCOMPARE(f.domain[NvClockDomainId::Processor].frequency_kHz, 2475000u);
        QCOMPARE(f.domain[8].frequency_kHz, 1965000u);

        // GeForce cards answer no application clock: the base is the highest clock, not an invented one.
        f.clockType = 1;
        QCOMPARE(BridgeEntries::gpuGetAllClockFrequencies(gpu(), &f), NvApiStatus::Ok);
        QCOMPARE(f.domain[NvClockDomainId::Graphics].frequency_kHz, 3105000u);
        // A card with an application clock (read once a session: a new one).
        QCOMPARE(BridgeEntries::unload(), NvApiStatus::Ok);
        start();
        fake().setValue(0, "appGraphics", 1920);
        QCOMPARE(BridgeEntries::gpuGetAllClockFrequencies(gpu(), &f), NvApiStatus::Ok);
        QCOMPARE(f.domain[NvClockDomainId::Graphics].frequency_kHz, 1920000u);

        f.clockType = 2;
        fake().setValue(0, "boostGraphics", 2610);
        QCOMPARE(BridgeEntries::gpuGetAllClockFrequencies(gpu(), &f), NvApiStatus::Ok);
        QCOMPARE(f.domain[NvClockDomainId::Graphics].frequency_kHz, 2610000u);

        f.clockType = 3;
        QCOMPARE(BridgeEntries::gpuGetAllClockFrequencies(gpu(), &f), NvApiStatus::InvalidArgument);
        f.clockType = 0x10;
        QCOMPARE(BridgeEntries::gpuGetAllClockFrequencies(gpu(), &f), NvApiStatus::InvalidArgument);
    }

    void offsetsReadNewestCallFirst()
    {
        start();
        fake().setValue(0, "gpcOffset", 120);
        fake().setValue(0, "memOffset", 1500);
        const NvPstates20Info info = readPstates();
        QCOMPARE(info.pstates[0].clocks[0].freqDelta_kHz.value, 120000);
        QCOMPARE(info.pstates[0].clocks[0].freqDelta_kHz.max, 1000000);
        // The memory offset in NVML's own unit, so the page shows what nvidia-settings shows.
        QCOMPARE(info.pstates[0].clocks[1].freqDelta_kHz.value, 1500000);
        QCOMPARE(info.pstates[0].clocks[1].freqDelta_kHz.min, -2000000);
        QCOMPARE(info.pstates[0].clocks[1].flags, 1u);
        QCOMPARE(fake().calls("nvmlDeviceGetClockOffsets"), m_r550 ? 0 : 2);
        QCOMPARE(fake().calls("nvmlDeviceGetGpcClkVfOffset"), m_r550 ? 1 : 0);
        QCOMPARE(fake().calls("nvmlDeviceGetMemClkVfOffset"), m_r550 ? 1 : 0);
    }

    // The program reads the P-state table twice a cycle: NVML is asked once.
    void offsetStateIsAskedOnceACycle()
    {
        start();
        readPstates();
        readPstates();
        QCOMPARE(fake().calls(m_r550 ? "nvmlDeviceGetGpcClkVfOffset" : "nvmlDeviceGetClockOffsets"),
            m_r550 ? 1 : 2);
        QCOMPARE(fake().calls("nvmlDeviceGetMinMaxClockOfPState"), 2);
        // A write through the library is seen at once.
        NvPstates20Info write = offsetRecord(NvClockDomainId::Graphics, 90);
        QCOMPARE(BridgeEntries::gpuSetPstates20(gpu(), &write), NvApiStatus::Ok);
        QCOMPARE(readPstates().pstates[0].clocks[0].freqDelta_kHz.value, 90000);

        NvClockFrequencies f {};
        f.version = NvApiVersion::clockFrequenciesV3;
        f.clockType = 1;
        QCOMPARE(BridgeEntries::gpuGetAllClockFrequencies(gpu(), &f), NvApiStatus::Ok);
        QCOMPARE(BridgeEntries::gpuGetAllClockFrequencies(gpu(), &f), NvApiStatus::Ok);
        QCOMPARE(fake().calls("nvmlDeviceGetMaxClockInfo"), 4);
        // Current clocks are never kept.
        f.clockType = 0;
        QCOMPARE(BridgeEntries::gpuGetAllClockFrequencies(gpu(), &f), NvApiStatus::Ok);
        fake().setValue(0, "clockGraphics", 1111);
        QCOMPARE(BridgeEntries::gpuGetAllClockFrequencies(gpu(), &f), NvApiStatus::Ok);
        QCOMPARE(f.domain[NvClockDomainId::Graphics].frequency_kHz, 1111000u);
    }

    void offsetsFallBackWhenTheNewCallIsNotSupported()
    {
        if (m_r550)
            QSKIP("the R550 variant has no newer call to fall back from");
        start();
        fake().failCall("nvmlDeviceGetClockOffsets", 3);
        fake().setValue(0, "gpcOffset", -50);
        QCOMPARE(readPstates().pstates[0].clocks[0].freqDelta_kHz.value, -50000);
        QCOMPARE(fake().calls("nvmlDeviceGetGpcClkVfOffset"), 1);
    }

    void offsetsUnsupportedLeaveTheRowsLocked()
    {
        start();
        fake().setValue(0, "offsetsSupported", 0);
        const NvPstates20Info info = readPstates();
        QCOMPARE(info.pstates[0].clocks[0].flags, 0u);
        QCOMPARE(info.pstates[0].clocks[1].flags, 0u);
        NvPstates20Info write = offsetRecord(NvClockDomainId::Graphics, 100);
        QCOMPARE(BridgeEntries::gpuSetPstates20(gpu(), &write), NvApiStatus::NotSupported);
    }

    void offsetsSetClampedAndOnlyWhenChanged()
    {
        start();
        NvPstates20Info write = offsetRecord(NvClockDomainId::Graphics, 150);
        QCOMPARE(BridgeEntries::gpuSetPstates20(gpu(), &write), NvApiStatus::Ok);
        QCOMPARE(fake().value(0, "gpcOffset"), 150);
        write = offsetRecord(NvClockDomainId::Memory, 1000, NvApiVersion::pstates20V1);
        QCOMPARE(BridgeEntries::gpuSetPstates20(gpu(), &write), NvApiStatus::Ok);
        QCOMPARE(fake().value(0, "memOffset"), 1000);
        const QString setter = m_r550 ? QStringLiteral("nvmlDeviceSetGpcClkVfOffset 0 graphics 150")
                                      : QStringLiteral("nvmlDeviceSetClockOffsets 0 graphics 150");
        QCOMPARE(QString::fromStdString(fake().writes().front()), setter);

        write = offsetRecord(NvClockDomainId::Graphics, 5000);
        QCOMPARE(BridgeEntries::gpuSetPstates20(gpu(), &write), NvApiStatus::Ok);
        QCOMPARE(fake().value(0, "gpcOffset"), 1000);
        fake().clearCalls();
        QCOMPARE(BridgeEntries::gpuSetPstates20(gpu(), &write), NvApiStatus::Ok);
        QVERIFY(fake().writes().empty());
    }

    void voltageAndOtherStatesAreRefusedWhole()
    {
        start();
        NvPstates20Info write = offsetRecord(NvClockDomainId::Graphics, 100);
        write.numBaseVoltages = 1;
        write.pstates[0].baseVoltages[0].voltDelta_uV.value = 25000;
        QCOMPARE(BridgeEntries::gpuSetPstates20(gpu(), &write), NvApiStatus::NotSupported);
        write = offsetRecord(NvClockDomainId::Graphics, 100);
        write.ov.numVoltages = 1;
        write.ov.voltages[0].voltDelta_uV.value = 10000;
        QCOMPARE(BridgeEntries::gpuSetPstates20(gpu(), &write), NvApiStatus::NotSupported);
        write = offsetRecord(NvClockDomainId::Graphics, 100);
        write.pstates[0].pstateId = 8;
        QCOMPARE(BridgeEntries::gpuSetPstates20(gpu(), &write), NvApiStatus::NotSupported);
        write = offsetRecord(NvClockDomainId::Processor, 100);
        QCOMPARE(BridgeEntries::gpuSetPstates20(gpu(), &write), NvApiStatus::InvalidArgument);
        write = offsetRecord(NvClockDomainId::Graphics, 100);
        write.numClocks = 9;
        QCOMPARE(BridgeEntries::gpuSetPstates20(gpu(), &write), NvApiStatus::InvalidArgument);
        QVERIFY(fake().writes().empty());
        // A zero voltage delta is "no change", so restoring the defaults succeeds.
        write = offsetRecord(NvClockDomainId::Graphics, 0);
        write.numClocks = 0;
        write.numBaseVoltages = 1;
        QCOMPARE(BridgeEntries::gpuSetPstates20(gpu(), &write), NvApiStatus::Ok);
        QVERIFY(fake().writes().empty());
    }

    void offsetReadBackOfZeroShowsWhatWasSet()
    {
        start();
        fake().setValue(0, "readBackZero", 1);
        NvPstates20Info write = offsetRecord(NvClockDomainId::Graphics, 150);
        QCOMPARE(BridgeEntries::gpuSetPstates20(gpu(), &write), NvApiStatus::Ok);
        QCOMPARE(readPstates().pstates[0].clocks[0].freqDelta_kHz.value, 150000);
        // The memory survives the process: it lives in the per-boot folder.
        RuntimeState::instance().clearMemory();
        QCOMPARE(readPstates().pstates[0].clocks[0].freqDelta_kHz.value, 150000);
    }

    void offsetResetElsewhereIsShownAsReset()
    {
        start();
        NvPstates20Info write = offsetRecord(NvClockDomainId::Graphics, 150);
        QCOMPARE(BridgeEntries::gpuSetPstates20(gpu(), &write), NvApiStatus::Ok);
        // Another tool puts the offset back; a driver that reads back honestly is believed.
        fake().setValue(0, "gpcOffset", 0);
        QCOMPARE(readPstates().pstates[0].clocks[0].freqDelta_kHz.value, 0);
    }

    void refusedWritesChangeNothing_data()
    {
        QTest::addColumn<QString>("function");
        QTest::newRow("offsets") << (m_r550 ? "nvmlDeviceSetGpcClkVfOffset" : "nvmlDeviceSetClockOffsets");
        QTest::newRow("power") << "nvmlDeviceSetPowerManagementLimit_v2";
        QTest::newRow("temperature target") << "nvmlDeviceSetTemperatureThreshold";
        QTest::newRow("fan") << "nvmlDeviceSetFanSpeed_v2";
    }
    void refusedWritesChangeNothing()
    {
        QFETCH(QString, function);
        start();
        fake().failCall(function.toStdString(), 4);
        NvPstates20Info write = offsetRecord(NvClockDomainId::Graphics, 100);
        const NvStatus status = function.contains("Offset") ? BridgeEntries::gpuSetPstates20(gpu(), &write)
            : function.contains("Power")                    ? setPower(110000)
            : function.contains("Temperature")              ? setThermal(70)
                                                            : setCooler(80, 1);
        QCOMPARE(status, -137);
        QVERIFY(fake().writes().empty());
        QCOMPARE(fake().value(0, "gpcOffset"), 0);
        QCOMPARE(fake().value(0, "powerLimit"), 200000);
        QCOMPARE(fake().value(0, "thrAcousticCurrent"), 83);
        QCOMPARE(fake().value(0, "fanPolicy0"), 0);
    }

    void temperatureAndUsage()
    {
        start();
        NvThermalSettings t {};
        t.version = NvApiVersion::thermalSettingsV2;
        QCOMPARE(BridgeEntries::gpuGetThermalSettings(gpu(), 0, &t), NvApiStatus::Ok);
        QCOMPARE(t.sensor[0].currentTemp, 55);
        QCOMPARE(t.sensor[0].defaultMaxTemp, 90);
        QCOMPARE(fake().calls("nvmlDeviceGetTemperatureV"), m_r550 ? 0 : 1);
        QCOMPARE(fake().calls("nvmlDeviceGetTemperature"), m_r550 ? 1 : 0);
        fake().setValue(0, "thrGpuMax", -1);
        QCOMPARE(BridgeEntries::gpuGetThermalSettings(gpu(), 15, &t), NvApiStatus::Ok);
        QCOMPARE(t.sensor[0].defaultMaxTemp, 95);
        QCOMPARE(BridgeEntries::gpuGetThermalSettings(gpu(), 5, &t), NvApiStatus::InvalidArgument);

        NvDynamicPstatesInfoEx d {};
        d.version = NvApiVersion::dynamicPstatesV1;
        QCOMPARE(BridgeEntries::gpuGetDynamicPstatesInfoEx(gpu(), &d), NvApiStatus::Ok);
        QCOMPARE(d.utilization[0].percentage, 37u);
        QCOMPARE(d.utilization[1].percentage, 21u);
        QCOMPARE(d.utilization[2].percentage, 12u);

        fake().failCall("nvmlDeviceGetUtilizationRates", 15);
        QCOMPARE(BridgeEntries::gpuGetDynamicPstatesInfoEx(gpu(), &d), NvApiStatus::Error);
        fake().failCall(m_r550 ? "nvmlDeviceGetTemperature" : "nvmlDeviceGetTemperatureV", 10);
        QCOMPARE(BridgeEntries::gpuGetThermalSettings(gpu(), 0, &t), -191);
    }

    void temperatureTarget()
    {
        start();
        NvThermalPoliciesInfo info;
        info.setVersion(0x20068);
        QCOMPARE(BridgeEntries::gpuThermalPoliciesGetInfo(gpu(), &info), NvApiStatus::Ok);
        const std::size_t e = NvThermalPoliciesInfo::entry(0);
        QCOMPARE(info.s32(e + NvThermalPoliciesInfo::minLimit), 65 * 256);
        QCOMPARE(info.s32(e + NvThermalPoliciesInfo::defaultLimit), 83 * 256);

        QCOMPARE(setThermal(120, true), NvApiStatus::Ok);
        QCOMPARE(fake().value(0, "thrAcousticCurrent"), 90);
        QCOMPARE(setThermal(7, false, 3), NvApiStatus::InvalidArgument);

        // The default stays the target first seen in this boot, not the one just set.
        QCOMPARE(BridgeEntries::gpuThermalPoliciesGetInfo(gpu(), &info), NvApiStatus::Ok);
        QCOMPARE(info.s32(e + NvThermalPoliciesInfo::defaultLimit), 83 * 256);

        NvThermalPoliciesStatus status;
        status.setVersion(0x10028);
        QCOMPARE(BridgeEntries::gpuThermalPoliciesGetStatus(gpu(), &status), NvApiStatus::Ok);
        QCOMPARE(status.s32(NvThermalPoliciesStatus::entry(0) + NvThermalPoliciesStatus::limit), 90 * 256);
        QCOMPARE(status.u8(NvThermalPoliciesStatus::entry(0) + NvThermalPoliciesStatus::flags), 1);

        fake().clearCalls();
        QCOMPARE(setThermal(90, false), NvApiStatus::Ok);
        QVERIFY(fake().writes().empty());

        fake().setValue(0, "thrAcousticMin", -1);
        QCOMPARE(BridgeEntries::gpuThermalPoliciesGetInfo(gpu(), &info), NvApiStatus::NotSupported);
    }

    void powerTarget()
    {
        start();
        NvPowerTopologyInfo topology;
        topology.setVersion(NvApiVersion::powerTopologyInfoV1);
        QCOMPARE(BridgeEntries::gpuPowerTopologyGetInfo(gpu(), &topology), NvApiStatus::Ok);
        NvPowerTopologyStatus draw;
        draw.setVersion(NvApiVersion::powerTopologyStatusV1);
        QCOMPARE(BridgeEntries::gpuPowerTopologyGetStatus(gpu(), &draw), NvApiStatus::Ok);
        QCOMPARE(draw.u32(NvPowerTopologyStatus::entry(0) + NvPowerTopologyStatus::power), 61728u);
        NvPowerPoliciesInfo policies;
        policies.setVersion(NvApiVersion::powerPoliciesInfoV1);
        QCOMPARE(BridgeEntries::gpuPowerPoliciesGetInfo(gpu(), &policies), NvApiStatus::Ok);
        QCOMPARE(policies.u32(NvPowerPoliciesInfo::entry(0) + NvPowerPoliciesInfo::maxLimit), 110000u);

        QCOMPARE(setPower(105000), NvApiStatus::Ok);
        QCOMPARE(fake().value(0, "powerLimit"), 210000);
        QCOMPARE(fake().calls("nvmlDeviceSetPowerManagementLimit_v2"), 1);
        QCOMPARE(setPower(0), NvApiStatus::Ok);
        QCOMPARE(fake().value(0, "powerLimit"), 100000);

        // A driver without the version-2 call takes the old one.
        fake().failCall("nvmlDeviceSetPowerManagementLimit_v2", 13);
        QCOMPARE(setPower(100000), NvApiStatus::Ok);
        QCOMPARE(fake().value(0, "powerLimit"), 200000);
        QCOMPARE(fake().calls("nvmlDeviceSetPowerManagementLimit"), 1);
        fake().clearCalls();
        QCOMPARE(setPower(100000), NvApiStatus::Ok);
        QVERIFY(fake().writes().empty());

        // A board that cannot measure its power has no power row.
        fake().setValue(0, "powerUsage", -1);
        QCOMPARE(BridgeEntries::gpuPowerTopologyGetInfo(gpu(), &topology), NvApiStatus::NotSupported);
    }

    void fansAndTheirHandback()
    {
        start();
        NvStatus status = NvApiStatus::Error;
        NvCoolerSettings settings = readCooler(status);
        QCOMPARE(status, NvApiStatus::Ok);
        QCOMPARE(settings.u32(NvCoolerSettings::count), 2u);
        const std::size_t e = NvCoolerSettings::entry(0);
        QCOMPARE(settings.u32(e + NvCoolerSettings::levelLowPercent), 30u);
        QCOMPARE(settings.u32(e + NvCoolerSettings::currentLevelPercent), 45u);
        QCOMPARE(settings.u32(e + NvCoolerSettings::currentPolicy), 32u);

        QCOMPARE(setCooler(150, 1), NvApiStatus::Ok);
        QCOMPARE(fake().value(0, "fanSpeed0"), 100);
        QCOMPARE(fake().value(0, "fanSpeed1"), 100);
        settings = readCooler(status, 0x10098);
        QCOMPARE(settings.u32(e + NvCoolerSettings::currentPolicy), 1u);

        QCOMPARE(setCooler(0, 32), NvApiStatus::Ok);
        QCOMPARE(fake().value(0, "fanPolicy0"), 0);
        QCOMPARE(fake().value(0, "fanPolicy1"), 0);

        // Manual again, then the last unload hands both fans back.
        QCOMPARE(setCooler(60, 1), NvApiStatus::Ok);
        fake().clearCalls();
        QCOMPARE(BridgeEntries::unload(), NvApiStatus::Ok);
        const std::vector<std::string> writes = fake().writes();
        QCOMPARE(writes.size(), std::size_t(2));
        QCOMPARE(QString::fromStdString(writes[0]), QStringLiteral("nvmlDeviceSetDefaultFanSpeed_v2 0 0"));
        QCOMPARE(QString::fromStdString(writes[1]), QStringLiteral("nvmlDeviceSetDefaultFanSpeed_v2 0 1"));
    }

    void automaticFansNeedNoPrivileges()
    {
        start();
        fake().failCall("nvmlDeviceSetDefaultFanSpeed_v2", 4);
        QCOMPARE(setCooler(0, 32), NvApiStatus::Ok);
        QVERIFY(fake().writes().empty());
    }

    void boardsWithoutFans()
    {
        start();
        fake().setValue(0, "fans", 0);
        NvStatus status = NvApiStatus::Ok;
        readCooler(status);
        QCOMPARE(status, NvApiStatus::NotSupported);
        QCOMPARE(setCooler(50, 1), NvApiStatus::NotSupported);
        NvU32 rpm = 7;
        QCOMPARE(BridgeEntries::gpuGetTachReading(gpu(), &rpm),
            m_r550 ? NvApiStatus::NotSupported : NvApiStatus::InvalidArgument);
    }

    void tachometer()
    {
        start();
        NvU32 rpm = 0;
        QCOMPARE(BridgeEntries::gpuGetTachReading(gpu(), &rpm),
            m_r550 ? NvApiStatus::NotSupported : NvApiStatus::Ok);
        QCOMPARE(rpm, m_r550 ? 0u : 1480u);
    }

    // A card whose PCI device has no NVIDIA adapter (none in this test's sysfs)
    // has no reachable devices; the call hooks have no counterpart at all.
    void i2cWithoutAnAdapterAndNoHooks()
    {
        start();
        NvU8 reg = 0;
        NvU8 data[27] = {};
        NvI2cInfo info {};
        info.version = NvApiVersion::i2cV3;
        info.i2cDevAddress = 0xA1;
        info.pbI2cRegAddress = &reg;
        info.pbData = data;
        info.cbSize = sizeof data;
        info.i2cSpeed = 0xFFFF;
        info.i2cSpeedKhz = 6;
        NvU32 pair[2] = {};
        QCOMPARE(BridgeEntries::i2cRead(gpu(), &info), NvApiStatus::NotSupported);
        QCOMPARE(BridgeEntries::i2cReadEx(gpu(), &info, pair), NvApiStatus::NotSupported);
        QVERIFY(!BridgeEntries::entryFor(NvApiId::PreCallHook));
        QVERIFY(!BridgeEntries::entryFor(NvApiId::PostCallHook));
        QVERIFY(!BridgeEntries::entryFor(0x12345678));
        for (NvU32 id : NvApiEntryIds)
            QVERIFY2(BridgeEntries::entryFor(id), qPrintable(QString::number(id, 16)));
    }

    void referenceCountedInitialisation()
    {
        start();
        QCOMPARE(BridgeEntries::initialize(), NvApiStatus::Ok);
        QCOMPARE(fake().m_inits, 1);
        QCOMPARE(BridgeEntries::unload(), NvApiStatus::Ok);
        QVERIFY(fake().initialized());
        QCOMPARE(BridgeEntries::unload(), NvApiStatus::Ok);
        QVERIFY(!fake().initialized());
    }

    // The sampler, the fan curve thread and the pages call at once; NVML is
    // thread-safe and so must the bridge's own state be.
    void concurrentCallers()
    {
        start(2);
        std::atomic<int> failures { 0 };
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([this, t, &failures] {
                for (int i = 0; i < 200; ++i) {
                    NvThermalSettings s {};
                    s.version = NvApiVersion::thermalSettingsV2;
                    if (BridgeEntries::gpuGetThermalSettings(m_gpus[t % 2], 0, &s) != NvApiStatus::Ok)
                        ++failures;
                    if (t == 3 && setCooler(40 + i % 20, 1) != NvApiStatus::Ok)
                        ++failures;
                }
            });
        }
        for (std::thread &thread : threads)
            thread.join();
        QCOMPARE(failures.load(), 0);
    }
};

QTEST_GUILESS_MAIN(TestNvapiLinux)
#include "tst_nvapilinux.moc"
