// Tests of the simulated driver, called the way the binding calls a driver:
// entries fetched from the query function by interface id, records passed
// with a version word.

#include "ledtestsupport.h"
#include "simboardsensor.h"
#include "simdriver.h"

#include "nvapientrytypes.h"
#include "nvapiids.h"
#include "nvapiversions.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <dlfcn.h>

#include <cstring>
#include <functional>
#include <thread>
#include <vector>

namespace {

SimDriver &driver()
{
    return SimDriver::instance();
}

template <typename Fn> Fn entry(NvU32 id)
{
    return reinterpret_cast<Fn>(SimDriver::queryInterface(id));
}

std::vector<NvPhysicalGpuHandle> enumerate(NvU32 id)
{
    NvPhysicalGpuHandle handles[NvApiLimits::MaxPhysicalGpus] = {};
    NvU32 count = 0;
    entry<NvApiFn::EnumGpus>(id)(handles, &count);
    return std::vector<NvPhysicalGpuHandle>(handles, handles + count);
}

NvPhysicalGpuHandle gpu(int index = 0)
{
    const std::vector<NvPhysicalGpuHandle> handles = enumerate(NvApiId::EnumPhysicalGpus);
    return index < int(handles.size()) ? handles[index] : nullptr;
}

// An I2C transport record filled as the controller fills it.
struct I2cRequest
{
    NvI2cInfo info {};
    NvU8 registerByte = 0;
    std::vector<NvU8> data;

    I2cRequest(NvU8 address, bool withRegister, std::vector<NvU8> bytes, NvU32 version = NvApiVersion::i2cV3)
        : data(std::move(bytes))
    {
        info.version = version;
        info.i2cDevAddress = address;
        info.pbI2cRegAddress = &registerByte;
        info.regAddrSize = withRegister ? 1 : 0;
        info.pbData = data.data();
        info.cbSize = static_cast<NvU32>(data.size());
        info.i2cSpeed = 0xFFFF;
        info.i2cSpeedKhz = 6;
        info.portId = 1;
        info.bIsPortIdSet = 1;
    }
};

NvStatus i2cWrite(NvU8 address, const std::vector<NvU8> &bytes, NvPhysicalGpuHandle handle = gpu())
{
    I2cRequest request(address, false, bytes);
    return entry<NvApiFn::I2c>(NvApiId::I2cWrite)(handle, &request.info);
}

NvStatus i2cRead(NvU8 address, bool withRegister, std::size_t count, std::vector<NvU8> &answer,
    NvPhysicalGpuHandle handle = gpu())
{
    I2cRequest request(address, withRegister, std::vector<NvU8>(count, 0xCC));
    const NvStatus status = entry<NvApiFn::I2c>(NvApiId::I2cRead)(handle, &request.info);
    answer = request.data;
    return status;
}

std::vector<NvU8> lcdFrame(NvU8 sequence)
{
    std::vector<NvU8> frame(35, 0);
    frame[0] = 0xAA;
    frame[1] = 0x88;
    frame[2] = sequence;
    frame[3] = 0x80;
    frame[8] = 0x47; // 1607 MHz
    frame[9] = 0x06;
    unsigned sum = 0;
    for (int i = 0; i < 33; ++i)
        sum += frame[i];
    frame[33] = static_cast<NvU8>(sum & 0xFF);
    frame[34] = static_cast<NvU8>(sum >> 8);
    return frame;
}

NvStatus readPstates(NvPstates20Info &info, NvU32 version = NvApiVersion::pstates20V3)
{
    info = NvPstates20Info {};
    info.version = version;
    return entry<NvApiFn::GpuPstates20>(NvApiId::GpuGetPstates20)(gpu(), &info);
}

NvStatus writeClockOffset(NvU32 domain, int deltaKhz, NvU32 version = NvApiVersion::pstates20V3)
{
    NvPstates20Info info {};
    info.version = version;
    info.numPstates = 1;
    info.numClocks = 1;
    info.pstates[0].pstateId = 0;
    info.pstates[0].clocks[0].domainId = domain;
    info.pstates[0].clocks[0].freqDelta_kHz.value = deltaKhz;
    return entry<NvApiFn::GpuPstates20>(NvApiId::GpuSetPstates20)(gpu(), &info);
}

NvClockFrequencies readClocks(NvU32 clockType, NvStatus *status = nullptr)
{
    NvClockFrequencies frequencies {};
    frequencies.version = NvApiVersion::clockFrequenciesV3;
    frequencies.clockType = clockType;
    const NvStatus result
        = entry<NvApiFn::GpuGetAllClockFrequencies>(NvApiId::GpuGetAllClockFrequencies)(gpu(), &frequencies);
    if (status)
        *status = result;
    return frequencies;
}

NvCoolerSettings readCooler(NvStatus *status = nullptr, NvU32 version = 0x40558)
{
    NvCoolerSettings settings;
    settings.setVersion(version);
    const NvStatus result
        = entry<NvApiFn::GpuGetCoolerSettings>(NvApiId::GpuGetCoolerSettings)(gpu(), 7, &settings);
    if (status)
        *status = result;
    return settings;
}

NvStatus setCooler(NvU32 level, NvU32 policy, NvU32 version = NvApiVersion::coolerLevelsV1)
{
    NvCoolerLevels levels;
    levels.setVersion(version);
    levels.setU32(NvCoolerLevels::level(0), level);
    levels.setU32(NvCoolerLevels::policy(0), policy);
    return entry<NvApiFn::GpuSetCoolerLevels>(NvApiId::GpuSetCoolerLevels)(gpu(), 7, &levels);
}

NvStatus setPowerLimit(NvU32 policyId, NvU32 limit)
{
    NvPowerPoliciesStatus status;
    status.setVersion(NvApiVersion::powerPoliciesStatusV1);
    status.setU8(NvPowerPoliciesStatus::count, 1);
    status.setU32(NvPowerPoliciesStatus::entry(0) + NvPowerPoliciesStatus::policyId, policyId);
    status.setU32(NvPowerPoliciesStatus::entry(0) + NvPowerPoliciesStatus::limit, limit);
    return entry<NvApiFn::GpuPowerPoliciesStatus>(NvApiId::GpuPowerPoliciesSetStatus)(gpu(), &status);
}

NvU32 readPowerLimit()
{
    NvPowerPoliciesStatus status;
    status.setVersion(NvApiVersion::powerPoliciesStatusV1);
    entry<NvApiFn::GpuPowerPoliciesStatus>(NvApiId::GpuPowerPoliciesGetStatus)(gpu(), &status);
    return status.u32(NvPowerPoliciesStatus::entry(0) + NvPowerPoliciesStatus::limit);
}

NvStatus setThermalLimit(NvU32 policyId, NvS32 limitRaw, bool priority)
{
    NvThermalPoliciesStatus status;
    status.setVersion(0x20038);
    status.setU8(NvThermalPoliciesStatus::count, 1);
    const std::size_t e = NvThermalPoliciesStatus::entry(0);
    status.setU32(e + NvThermalPoliciesStatus::policyId, policyId);
    status.setS32(e + NvThermalPoliciesStatus::limit, limitRaw);
    status.setU8(e + NvThermalPoliciesStatus::flags, priority ? 1 : 0);
    return entry<NvApiFn::GpuThermalPoliciesStatus>(NvApiId::GpuThermalPoliciesSetStatus)(gpu(), &status);
}

NvThermalPoliciesStatus readThermalStatus()
{
    NvThermalPoliciesStatus status;
    status.setVersion(0x20038);
    entry<NvApiFn::GpuThermalPoliciesStatus>(NvApiId::GpuThermalPoliciesGetStatus)(gpu(), &status);
    return status;
}

// One versioned entry, called with a version word on the default card.
struct VersionedEntry
{
    const char *name;
    std::vector<NvU32> ladder;
    std::function<NvStatus(NvU32)> call;
};

std::vector<VersionedEntry> versionedEntries()
{
    using namespace NvApiVersion;
    std::vector<VersionedEntry> entries;
    entries.push_back({ "pstates20 get", { pstates20Ladder.begin(), pstates20Ladder.end() }, [](NvU32 word) {
                           NvPstates20Info info {};
                           info.version = word;
                           return entry<NvApiFn::GpuPstates20>(NvApiId::GpuGetPstates20)(gpu(), &info);
                       } });
    entries.push_back({ "pstates20 set", { pstates20Ladder.begin(), pstates20Ladder.end() },
        [](NvU32 word) { return writeClockOffset(0, 0, word); } });
    entries.push_back({ "clock frequencies", { clockFrequenciesLadder.begin(), clockFrequenciesLadder.end() },
        [](NvU32 word) {
            NvClockFrequencies record {};
            record.version = word;
            return entry<NvApiFn::GpuGetAllClockFrequencies>(NvApiId::GpuGetAllClockFrequencies)(
                gpu(), &record);
        } });
    entries.push_back({ "memory info", { memoryInfoLadder.begin(), memoryInfoLadder.end() }, [](NvU32 word) {
                           NvMemoryInfo record {};
                           record.version = word;
                           return entry<NvApiFn::GpuGetMemoryInfo>(NvApiId::GpuGetMemoryInfo)(gpu(), &record);
                       } });
    entries.push_back(
        { "thermal settings", { thermalSettingsLadder.begin(), thermalSettingsLadder.end() }, [](NvU32 word) {
             NvThermalSettings record {};
             record.version = word;
             return entry<NvApiFn::GpuGetThermalSettings>(NvApiId::GpuGetThermalSettings)(gpu(), 0, &record);
         } });
    entries.push_back({ "dynamic pstates", { dynamicPstatesV1 }, [](NvU32 word) {
                           NvDynamicPstatesInfoEx record {};
                           record.version = word;
                           return entry<NvApiFn::GpuGetDynamicPstatesInfoEx>(
                               NvApiId::GpuGetDynamicPstatesInfoEx)(gpu(), &record);
                       } });
    entries.push_back(
        { "cooler settings", { coolerSettingsLadder.begin(), coolerSettingsLadder.end() }, [](NvU32 word) {
             NvStatus status = 0;
             readCooler(&status, word);
             return status;
         } });
    entries.push_back({ "cooler levels", { coolerLevelsV1, coolerLevelsV1Short },
        [](NvU32 word) { return setCooler(0, 32, word); } });
    entries.push_back({ "thermal policies info",
        { thermalPoliciesInfoLadder.begin(), thermalPoliciesInfoLadder.end() }, [](NvU32 word) {
            NvThermalPoliciesInfo record;
            record.setVersion(word);
            return entry<NvApiFn::GpuThermalPoliciesInfo>(NvApiId::GpuThermalPoliciesGetInfo)(gpu(), &record);
        } });
    entries.push_back({ "thermal policies status get",
        { thermalPoliciesStatusLadder.begin(), thermalPoliciesStatusLadder.end() }, [](NvU32 word) {
            NvThermalPoliciesStatus record;
            record.setVersion(word);
            return entry<NvApiFn::GpuThermalPoliciesStatus>(NvApiId::GpuThermalPoliciesGetStatus)(
                gpu(), &record);
        } });
    entries.push_back({ "power topology info", { powerTopologyInfoV1 }, [](NvU32 word) {
                           NvPowerTopologyInfo record;
                           record.setVersion(word);
                           return entry<NvApiFn::GpuPowerTopologyInfo>(NvApiId::GpuPowerTopologyGetInfo)(
                               gpu(), &record);
                       } });
    entries.push_back({ "power topology status", { powerTopologyStatusV1 }, [](NvU32 word) {
                           NvPowerTopologyStatus record;
                           record.setVersion(word);
                           return entry<NvApiFn::GpuPowerTopologyStatus>(NvApiId::GpuPowerTopologyGetStatus)(
                               gpu(), &record);
                       } });
    entries.push_back({ "power policies info", { powerPoliciesInfoV1 }, [](NvU32 word) {
                           NvPowerPoliciesInfo record;
                           record.setVersion(word);
                           return entry<NvApiFn::GpuPowerPoliciesInfo>(NvApiId::GpuPowerPoliciesGetInfo)(
                               gpu(), &record);
                       } });
    entries.push_back({ "power policies status get", { powerPoliciesStatusV1 }, [](NvU32 word) {
                           NvPowerPoliciesStatus record;
                           record.setVersion(word);
                           return entry<NvApiFn::GpuPowerPoliciesStatus>(NvApiId::GpuPowerPoliciesGetStatus)(
                               gpu(), &record);
                       } });
    entries.push_back({ "i2c read", { i2cV3, i2cV2, i2cV1 }, [](NvU32 word) {
                           I2cRequest request(0x9E, true, std::vector<NvU8>(2), word);
                           return entry<NvApiFn::I2c>(NvApiId::I2cRead)(gpu(), &request.info);
                       } });
    entries.push_back({ "extended i2c write", { i2cV3, i2cV2, i2cV1 }, [](NvU32 word) {
                           I2cRequest request(0xA0, false, ledPacket(10, 0, 0, {}, false), word);
                           NvU32 pair[2] = {};
                           return entry<NvApiFn::I2cEx>(NvApiId::I2cWriteEx)(gpu(), &request.info, pair);
                       } });
    return entries;
}

} // namespace

class TestSimDriver : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanupTestCase();

    void queryAnswersEveryTableIdAndNothingElse();
    void queryCanLoseOneIdAndTheHooks();
    void defaultCardIdentity();
    void everyLadderWordAcceptedAndNothingElse();
    void olderVersionsFillOnlyTheirBytes();
    void restrictedVersionsAnswerIncompatible();
    void pstatesDescribeP0();
    void clockFrequenciesByClockType();
    void memoryInfoFollowsUsedMemory();
    void thermalSensorTargetsTheGpu();
    void usageDomainsArePresent();
    void coolerRecordLayout();
    void missingCoolerFailsItsQueries();
    void handlesAreCheckedAndTccCardsSeparate();
    void injectedStatusesFireWhenTold();
    void callLogShowsTheVersionsPassed();
    void latchHoldsACallWithoutBlockingOthers();
    void initializeAndUnloadFollowTheirSettings();
    void gpuOffsetClampedAndReadBack();
    void memoryAndVoltageOffsets();
    void rejectedPstateWriteChangesNothing();
    void powerTargetKeptInRange();
    void thermalTargetKeptInRangeWithPriority();
    void coolerLevelsMoveTheFan();
    void ledControllerChecksLengthAndChecksum();
    void ledStateAnswersTheLastCommand();
    void lcdAcceptsOnlyWellFormedFrames();
    void boardSensorBytes();
    void boardSensorsFollowTheirSettings();
    void absentDeviceFailsTheTransaction();
    void i2cTransportIsChecked();
    void extendedI2cAndItsLog();
    void cardFileExampleLoads();
    void brokenCardFileGivesNoCards();
    void environmentNamesTheCardFile();
    void frozenCardsReadTheSameInEveryProcess();
    void dynamicsMoveUnlessFrozen();
    void readingsStayRealistic();
    void sharedLibraryExportsOnlyTheQuery();
    void concurrentCallsLoseNothing();
};

void TestSimDriver::init()
{
    driver().reset();
    driver().setManualTime(1000.0);
}

void TestSimDriver::cleanupTestCase()
{
    driver().reset();
}

void TestSimDriver::queryAnswersEveryTableIdAndNothingElse()
{
    for (NvU32 id : NvApiEntryIds)
        QVERIFY2(SimDriver::queryInterface(id), qPrintable(QString::number(id, 16)));
    QVERIFY(SimDriver::queryInterface(NvApiId::PreCallHook));
    QVERIFY(SimDriver::queryInterface(NvApiId::PostCallHook));
    QVERIFY(!SimDriver::queryInterface(0x12345678));
    QVERIFY(!SimDriver::queryInterface(0));
    // Every id has its own function: a shared one would answer the wrong call.
    QSet<void *> entries;
    for (NvU32 id : NvApiEntryIds)
        entries.insert(SimDriver::queryInterface(id));
    QCOMPARE(entries.size(), NvApiEntryCount);
    QCOMPARE(driver().queryCount(NvApiId::GpuGetFullName), 2);
    QCOMPARE(driver().queryCount(0x12345678), 1);
}

void TestSimDriver::queryCanLoseOneIdAndTheHooks()
{
    driver().setQueryNull(NvApiId::GpuGetTachReading);
    QVERIFY(!SimDriver::queryInterface(NvApiId::GpuGetTachReading));
    QVERIFY(SimDriver::queryInterface(NvApiId::GpuGetFullName));
    driver().setQueryNull(NvApiId::GpuGetTachReading, false);
    QVERIFY(SimDriver::queryInterface(NvApiId::GpuGetTachReading));

    driver().setHooks(true, false);
    QVERIFY(SimDriver::queryInterface(NvApiId::PreCallHook));
    QVERIFY(!SimDriver::queryInterface(NvApiId::PostCallHook));
    driver().setHooks(false, true);
    QVERIFY(!SimDriver::queryInterface(NvApiId::PreCallHook));
    QVERIFY(SimDriver::queryInterface(NvApiId::PostCallHook));

    driver().setHooks(true, true);
    NvU32 scratch[2] = { 0, 0 };
    entry<NvApiFn::PreCallHook>(NvApiId::PreCallHook)(NvApiId::GpuGetFullName, scratch);
    entry<NvApiFn::PostCallHook>(NvApiId::PostCallHook)(NvApiId::GpuGetFullName, scratch, 0);
    QCOMPARE(driver().hookCount(NvApiId::PreCallHook), 1);
    QCOMPARE(driver().hookCount(NvApiId::PostCallHook), 1);
}

void TestSimDriver::defaultCardIdentity()
{
    QCOMPARE(entry<NvApiFn::Initialize>(NvApiId::Initialize)(), NvApiStatus::Ok);
    QCOMPARE(int(enumerate(NvApiId::EnumPhysicalGpus).size()), 1);
    QCOMPARE(int(enumerate(NvApiId::EnumTccPhysicalGpus).size()), 0);

    char text[64];
    std::memset(text, 'x', sizeof text);
    QCOMPARE(entry<NvApiFn::GpuGetText>(NvApiId::GpuGetFullName)(gpu(), text), NvApiStatus::Ok);
    QCOMPARE(QString(text), QString("GeForce GTX 1070 Ti"));
    QCOMPARE(entry<NvApiFn::GpuGetText>(NvApiId::GpuGetVbiosVersionString)(gpu(), text), NvApiStatus::Ok);
    QCOMPARE(QString(text).toUpper(), QString("86.04.50.00.7A"));
    QVERIFY(QString(text) != QString(text).toUpper()); // the controller must do the upper-casing

    NvU32 device = 0, subsystem = 0, revision = 0, ext = 0;
    QCOMPARE(entry<NvApiFn::GpuGetPciIdentifiers>(NvApiId::GpuGetPciIdentifiers)(
                 gpu(), &device, &subsystem, &revision, &ext),
        NvApiStatus::Ok);
    QCOMPARE(device, 0x1B8210DEu);
    QCOMPARE(subsystem, 0x111E0000u | MakerSubsystemVendorId);
    QCOMPARE(subsystem & 0xFFFFu, 0x1D17u);

    NvU32 memoryType = 0, width = 0, location = 0;
    QCOMPARE(entry<NvApiFn::GpuGetU32>(NvApiId::GpuGetMemoryType)(gpu(), &memoryType), NvApiStatus::Ok);
    QCOMPARE(memoryType, 8u);
    QCOMPARE(
        entry<NvApiFn::GpuGetFbWidthAndLocation>(NvApiId::GpuGetFbWidthAndLocation)(gpu(), &width, &location),
        NvApiStatus::Ok);
    QCOMPARE(width, 256u);

    NvU32 version = 0;
    QCOMPARE(
        entry<NvApiFn::SysGetDriverAndBranchVersion>(NvApiId::SysGetDriverAndBranchVersion)(&version, text),
        NvApiStatus::Ok);
    QCOMPARE(version, 41109u);
    QVERIFY(QString(text).startsWith("r410"));

    NvMemoryInfo memory {};
    memory.version = NvApiVersion::memoryInfoV3;
    QCOMPARE(entry<NvApiFn::GpuGetMemoryInfo>(NvApiId::GpuGetMemoryInfo)(gpu(), &memory), NvApiStatus::Ok);
    QCOMPARE(memory.dedicatedVideoMemory, 8388608u);

    // What the controller computes from these: 2 x 4004 x 256 x 0.125 / 1000.
    const NvClockFrequencies base = readClocks(1);
    QCOMPARE(base.domain[4].frequency_kHz, 4004000u);
    const float bandwidth = 2 * int(base.domain[4].frequency_kHz / 1000) * int(width) * 0.125f / 1000;
    QCOMPARE(QString::asprintf("%.1f", bandwidth), QString("256.3"));
}

void TestSimDriver::everyLadderWordAcceptedAndNothingElse()
{
    for (const VersionedEntry &versioned : versionedEntries()) {
        for (NvU32 word : versioned.ladder) {
            const NvStatus status = versioned.call(word);
            QVERIFY2(status == NvApiStatus::Ok,
                qPrintable(QString("%1 refused 0x%2: %3").arg(versioned.name).arg(word, 0, 16).arg(status)));
        }
        const NvU32 newest = versioned.ladder.front();
        // A newer version of the same size, a wrong size, and no word at all.
        const std::vector<NvU32> wrong = { newest + 0x10000, newest + 4, newest - 4, 0 };
        for (NvU32 word : wrong) {
            const NvStatus status = versioned.call(word);
            QVERIFY2(status == NvApiStatus::IncompatibleStructVersion,
                qPrintable(QString("%1 took 0x%2: %3").arg(versioned.name).arg(word, 0, 16).arg(status)));
        }
    }
    // A 64-bit driver does not take the 32-bit transport words, and the other way round.
    const std::vector<NvU32> otherBuild = sizeof(void *) == 8
        ? std::vector<NvU32> { 0x3002C, 0x20024, 0x10020 }
        : std::vector<NvU32> { 0x30040, 0x20038, 0x10030 };
    for (NvU32 word : otherBuild) {
        I2cRequest request(0x9E, true, std::vector<NvU8>(2), word);
        QCOMPARE(entry<NvApiFn::I2c>(NvApiId::I2cRead)(gpu(), &request.info),
            NvApiStatus::IncompatibleStructVersion);
    }
}

void TestSimDriver::olderVersionsFillOnlyTheirBytes()
{
    NvMemoryInfo memory;
    std::memset(&memory, 0xAB, sizeof memory);
    memory.version = NvApiVersion::memoryInfoV1;
    QCOMPARE(entry<NvApiFn::GpuGetMemoryInfo>(NvApiId::GpuGetMemoryInfo)(gpu(), &memory), NvApiStatus::Ok);
    QCOMPARE(memory.dedicatedVideoMemory, 8388608u);
    QCOMPARE(memory.curAvailableDedicatedVideoMemory, 0xABABABABu);

    NvPstates20Info pstates;
    std::memset(&pstates, 0xAB, sizeof pstates);
    pstates.version = NvApiVersion::pstates20V1;
    QCOMPARE(entry<NvApiFn::GpuPstates20>(NvApiId::GpuGetPstates20)(gpu(), &pstates), NvApiStatus::Ok);
    QCOMPARE(pstates.pstates[0].pstateId, 0u);
    QCOMPARE(pstates.ov.numVoltages, 0xABABABABu);

    NvCoolerSettings cooler;
    for (std::size_t i = 0; i < NvCoolerSettings::size; ++i)
        cooler.setU8(i, 0xAB);
    cooler.setVersion(0x10098);
    QCOMPARE(entry<NvApiFn::GpuGetCoolerSettings>(NvApiId::GpuGetCoolerSettings)(gpu(), 7, &cooler),
        NvApiStatus::Ok);
    QCOMPARE(cooler.u32(NvCoolerSettings::count), 1u);
    QCOMPARE(cooler.u8(0x97), NvU8(0));
    QCOMPARE(cooler.u8(0x98), NvU8(0xAB));
    QCOMPARE(cooler.version(), 0x10098u);
}

void TestSimDriver::restrictedVersionsAnswerIncompatible()
{
    driver().acceptOnlyVersions(0, NvRecordKind::MemoryInfo, { NvApiVersion::memoryInfoV1 });
    NvMemoryInfo memory {};
    memory.version = NvApiVersion::memoryInfoV3;
    auto getMemory = entry<NvApiFn::GpuGetMemoryInfo>(NvApiId::GpuGetMemoryInfo);
    QCOMPARE(getMemory(gpu(), &memory), NvApiStatus::IncompatibleStructVersion);
    QCOMPARE(memory.dedicatedVideoMemory, 0u);
    memory.version = NvApiVersion::memoryInfoV2;
    QCOMPARE(getMemory(gpu(), &memory), NvApiStatus::IncompatibleStructVersion);
    memory.version = NvApiVersion::memoryInfoV1;
    QCOMPARE(getMemory(gpu(), &memory), NvApiStatus::Ok);

    // Nothing at all: every word of the ladder fails.
    driver().acceptOnlyVersions(0, NvRecordKind::ThermalSettings, {});
    NvThermalSettings thermal {};
    for (NvU32 word : NvApiVersion::thermalSettingsLadder) {
        thermal.version = word;
        QCOMPARE(entry<NvApiFn::GpuGetThermalSettings>(NvApiId::GpuGetThermalSettings)(gpu(), 0, &thermal),
            NvApiStatus::IncompatibleStructVersion);
    }
}

void TestSimDriver::pstatesDescribeP0()
{
    NvPstates20Info info;
    QCOMPARE(readPstates(info), NvApiStatus::Ok);
    QVERIFY(info.numPstates >= 1);
    QCOMPARE(info.numClocks, 2u);
    QCOMPARE(info.numBaseVoltages, 1u);
    const NvPstates20Pstate &p0 = info.pstates[0];
    QCOMPARE(p0.pstateId, 0u);

    const NvPstates20ClockEntry &graphics = p0.clocks[0];
    QCOMPARE(graphics.domainId, 0u);
    QCOMPARE(graphics.typeId, 1u);
    QCOMPARE(graphics.flags & 1, 1u);
    QCOMPARE(graphics.freqDelta_kHz.value, 0);
    QCOMPARE(graphics.freqDelta_kHz.min, -200000);
    QCOMPARE(graphics.freqDelta_kHz.max, 1000000);
    QVERIFY(graphics.data.range.maxFreq_kHz >= 1683000u);
    QVERIFY(graphics.data.range.minFreq_kHz < graphics.data.range.maxFreq_kHz);

    const NvPstates20ClockEntry &memory = p0.clocks[1];
    QCOMPARE(memory.domainId, 4u);
    QCOMPARE(memory.typeId, 0u);
    QCOMPARE(memory.flags & 1, 1u);
    QCOMPARE(memory.freqDelta_kHz.min, -500000);
    QCOMPARE(memory.freqDelta_kHz.max, 1500000);
    QCOMPARE(memory.data.single.freq_kHz, 4004000u);

    const NvPstates20BaseVoltageEntry &core = p0.baseVoltages[0];
    QCOMPARE(core.domainId, 0u);
    QCOMPARE(core.flags & 1, 1u);
    QVERIFY(core.volt_uV >= 600000u && core.volt_uV <= 1200000u);
    QCOMPARE(core.voltDelta_uV.value, 0);
    QVERIFY(core.voltDelta_uV.max > core.voltDelta_uV.min);

    QCOMPARE(info.ov.numVoltages, 1u);
    QCOMPARE(info.ov.voltages[0].domainId, 0u);

    // A P-state other than P0 sits further down the table and is not editable.
    QCOMPARE(info.pstates[1].pstateId, 8u);
    QCOMPARE(info.pstates[1].flags & 1, 0u);
}

void TestSimDriver::clockFrequenciesByClockType()
{
    driver().setGpuClockMhz(0, 1800);
    driver().setMemoryClockMhz(0, 4004);
    NvStatus status = -1;
    const NvClockFrequencies current = readClocks(0, &status);
    QCOMPARE(status, NvApiStatus::Ok);
    QCOMPARE(current.domain[0].flags & 1, 1u);
    QCOMPARE(current.domain[0].frequency_kHz, 1800000u);
    QCOMPARE(current.domain[4].frequency_kHz, 4004000u);
    QCOMPARE(current.domain[7].flags & 1, 0u);

    const NvClockFrequencies base = readClocks(1);
    QCOMPARE(base.domain[0].frequency_kHz, 1607000u);
    QCOMPARE(base.domain[4].frequency_kHz, 4004000u);
    QCOMPARE(base.clockType & 0xF, 1u);
    const NvClockFrequencies boost = readClocks(2);
    QCOMPARE(boost.domain[0].frequency_kHz, 1683000u);

    readClocks(3, &status);
    QCOMPARE(status, NvApiStatus::InvalidArgument);

    // Version 1 has no clock type and reports the current clocks.
    NvClockFrequencies v1 {};
    v1.version = NvApiVersion::clockFrequenciesV1;
    v1.clockType = 1;
    QCOMPARE(entry<NvApiFn::GpuGetAllClockFrequencies>(NvApiId::GpuGetAllClockFrequencies)(gpu(), &v1),
        NvApiStatus::Ok);
    QCOMPARE(v1.domain[0].frequency_kHz, 1800000u);
}

void TestSimDriver::memoryInfoFollowsUsedMemory()
{
    driver().setMemoryUsedKb(0, 1048576);
    NvMemoryInfo memory {};
    memory.version = NvApiVersion::memoryInfoV3;
    QCOMPARE(entry<NvApiFn::GpuGetMemoryInfo>(NvApiId::GpuGetMemoryInfo)(gpu(), &memory), NvApiStatus::Ok);
    QCOMPARE(memory.dedicatedVideoMemory - memory.curAvailableDedicatedVideoMemory, 1048576u);
    QCOMPARE(memory.availableDedicatedVideoMemory, 8388608u);

    driver().setDedicatedMemoryKb(0, 0);
    QCOMPARE(entry<NvApiFn::GpuGetMemoryInfo>(NvApiId::GpuGetMemoryInfo)(gpu(), &memory), NvApiStatus::Ok);
    QCOMPARE(memory.dedicatedVideoMemory, 0u);
    QCOMPARE(memory.curAvailableDedicatedVideoMemory, 0u);
}

void TestSimDriver::thermalSensorTargetsTheGpu()
{
    driver().setTemperature(0, 67.6);
    NvThermalSettings thermal {};
    thermal.version = NvApiVersion::thermalSettingsV2;
    auto getThermal = entry<NvApiFn::GpuGetThermalSettings>(NvApiId::GpuGetThermalSettings);
    QCOMPARE(getThermal(gpu(), 0, &thermal), NvApiStatus::Ok);
    QCOMPARE(thermal.count, 1u);
    QCOMPARE(thermal.sensor[0].target, 1);
    QCOMPARE(thermal.sensor[0].currentTemp, 67);
    QVERIFY(thermal.sensor[0].defaultMaxTemp > thermal.sensor[0].defaultMinTemp);
    QCOMPARE(getThermal(gpu(), 15, &thermal), NvApiStatus::Ok);
    QCOMPARE(getThermal(gpu(), 2, &thermal), NvApiStatus::InvalidArgument);

    driver().setGpuSensor(0, false);
    thermal = NvThermalSettings {};
    thermal.version = NvApiVersion::thermalSettingsV2;
    QCOMPARE(getThermal(gpu(), 0, &thermal), NvApiStatus::Ok);
    for (NvU32 i = 0; i < thermal.count; ++i)
        QVERIFY(thermal.sensor[i].target != 1);
}

void TestSimDriver::usageDomainsArePresent()
{
    driver().setGpuUsage(0, 73);
    NvDynamicPstatesInfoEx info {};
    info.version = NvApiVersion::dynamicPstatesV1;
    auto getUsage = entry<NvApiFn::GpuGetDynamicPstatesInfoEx>(NvApiId::GpuGetDynamicPstatesInfoEx);
    QCOMPARE(getUsage(gpu(), &info), NvApiStatus::Ok);
    for (int domain = 0; domain < 4; ++domain)
        QCOMPARE(info.utilization[domain].flags & 1, 1u);
    QCOMPARE(info.utilization[0].percentage, 73u);
    QCOMPARE(info.utilization[4].flags & 1, 0u);

    driver().editCard(0, [](SimCardConfig &config) { config.usagePresent = false; });
    QCOMPARE(getUsage(gpu(), &info), NvApiStatus::Ok);
    for (int domain = 0; domain < 4; ++domain)
        QCOMPARE(info.utilization[domain].flags & 1, 0u);
}

void TestSimDriver::coolerRecordLayout()
{
    driver().setTemperature(0, 40.0);
    NvStatus status = -1;
    const NvCoolerSettings cooler = readCooler(&status);
    QCOMPARE(status, NvApiStatus::Ok);
    QCOMPARE(cooler.u32(NvCoolerSettings::count), 1u);
    const std::size_t e = NvCoolerSettings::entry(0);
    QCOMPARE(e, std::size_t(8));
    QCOMPARE(cooler.u32(e + NvCoolerSettings::levelLowPercent), 0u);
    QCOMPARE(cooler.u32(e + NvCoolerSettings::levelHighPercent), 100u);
    QCOMPARE(cooler.u32(e + NvCoolerSettings::defaultPolicy), 32u);
    QCOMPARE(cooler.u32(e + NvCoolerSettings::currentPolicy), 32u);
    const NvU32 level = cooler.u32(e + NvCoolerSettings::currentLevelPercent);
    QVERIFY(level >= 30u && level <= 100u);
    QCOMPARE(int(cooler.u8(e + NvCoolerSettings::tachRangeValid)), 1);
    QCOMPARE(cooler.u32(e + NvCoolerSettings::tachRangeLow), 3500u);
    QCOMPARE(cooler.u32(e + NvCoolerSettings::tachRangeHigh), 600u);
    // Nothing of a second cooler on a one-fan card.
    QCOMPARE(cooler.u32(NvCoolerSettings::entry(1) + NvCoolerSettings::levelHighPercent), 0u);

    driver().editCard(0, [](SimCardConfig &config) { config.tachRangeValid = false; });
    const NvCoolerSettings noRange = readCooler();
    QCOMPARE(int(noRange.u8(e + NvCoolerSettings::tachRangeValid)), 0);
    QCOMPARE(noRange.u32(e + NvCoolerSettings::tachRangeLow), 0u);

    auto getCooler = entry<NvApiFn::GpuGetCoolerSettings>(NvApiId::GpuGetCoolerSettings);
    NvCoolerSettings other;
    other.setVersion(0x40558);
    QCOMPARE(getCooler(gpu(), 3, &other), NvApiStatus::InvalidArgument);
}

void TestSimDriver::missingCoolerFailsItsQueries()
{
    driver().setCoolerPresent(0, false);
    NvStatus status = 0;
    readCooler(&status);
    QCOMPARE(status, NvApiStatus::NotSupported);
    NvU32 rpm = 1234;
    QCOMPARE(entry<NvApiFn::GpuGetU32>(NvApiId::GpuGetTachReading)(gpu(), &rpm), NvApiStatus::NotSupported);
    QCOMPARE(setCooler(50, 1), NvApiStatus::NotSupported);
}

void TestSimDriver::handlesAreCheckedAndTccCardsSeparate()
{
    char text[64];
    auto getName = entry<NvApiFn::GpuGetText>(NvApiId::GpuGetFullName);
    QCOMPARE(getName(nullptr, text), NvApiStatus::InvalidHandle);
    QCOMPARE(getName(reinterpret_cast<NvPhysicalGpuHandle>(0x1000), text), NvApiStatus::InvalidHandle);

    SimCardConfig display;
    SimCardConfig compute;
    compute.name = "Tesla P100";
    compute.tcc = true;
    SimCardConfig second;
    second.name = "GeForce GTX 1080";
    driver().setCards({ compute, display, second });
    const std::vector<NvPhysicalGpuHandle> physical = enumerate(NvApiId::EnumPhysicalGpus);
    const std::vector<NvPhysicalGpuHandle> tcc = enumerate(NvApiId::EnumTccPhysicalGpus);
    QCOMPARE(int(physical.size()), 2);
    QCOMPARE(int(tcc.size()), 1);
    QCOMPARE(getName(tcc[0], text), NvApiStatus::Ok);
    QCOMPARE(QString(text), QString("Tesla P100"));
    QCOMPARE(getName(physical[1], text), NvApiStatus::Ok);
    QCOMPARE(QString(text), QString("GeForce GTX 1080"));
    QCOMPARE(driver().handleOf(0), tcc[0]);

    // After the cards change, old handles are invalidated rather than
    // pointing at another card.
    driver().reset();
    QCOMPARE(getName(physical[0], text), NvApiStatus::HandleInvalidated);

    driver().clearCards();
    NvPhysicalGpuHandle handles[64];
    NvU32 count = 7;
    QCOMPARE(entry<NvApiFn::EnumGpus>(NvApiId::EnumPhysicalGpus)(handles, &count),
        NvApiStatus::NvidiaDeviceNotFound);
    QCOMPARE(count, 0u);
    QCOMPARE(entry<NvApiFn::EnumGpus>(NvApiId::EnumTccPhysicalGpus)(handles, &count), NvApiStatus::Ok);
    QCOMPARE(count, 0u);
}

void TestSimDriver::injectedStatusesFireWhenTold()
{
    char text[64];
    auto getName = entry<NvApiFn::GpuGetText>(NvApiId::GpuGetFullName);
    driver().failNthCall(NvApiId::GpuGetFullName, -104, 2);
    QCOMPARE(getName(gpu(), text), NvApiStatus::Ok);
    QCOMPARE(getName(gpu(), text), -104);
    QCOMPARE(getName(gpu(), text), NvApiStatus::Ok);

    driver().failNextCalls(NvApiId::GpuGetFullName, -5, 2);
    QCOMPARE(getName(gpu(), text), -5);
    QCOMPARE(getName(gpu(), text), -5);
    QCOMPARE(getName(gpu(), text), NvApiStatus::Ok);

    driver().queueStatuses(NvApiId::GpuGetFullName, { -9, 0, -1 });
    QCOMPARE(getName(gpu(), text), -9);
    QCOMPARE(getName(gpu(), text), NvApiStatus::Ok);
    QCOMPARE(getName(gpu(), text), -1);
    QCOMPARE(getName(gpu(), text), NvApiStatus::Ok);

    // A failure on one card leaves the other alone.
    driver().setCards({ SimCardConfig {}, SimCardConfig {} });
    driver().failCalls(NvApiId::GpuGetFullName, -101, 1);
    QCOMPARE(getName(gpu(0), text), NvApiStatus::Ok);
    QCOMPARE(getName(gpu(1), text), -101);

    // A status for one version word of the transport only.
    driver().failVersion(NvApiId::I2cRead, NvApiVersion::i2cV3, -9);
    I2cRequest v3(0x9E, true, std::vector<NvU8>(2));
    QCOMPARE(entry<NvApiFn::I2c>(NvApiId::I2cRead)(gpu(), &v3.info), -9);
    I2cRequest v2(0x9E, true, std::vector<NvU8>(2), NvApiVersion::i2cV2);
    QCOMPARE(entry<NvApiFn::I2c>(NvApiId::I2cRead)(gpu(), &v2.info), NvApiStatus::Ok);

    driver().clearFaults();
    QCOMPARE(entry<NvApiFn::I2c>(NvApiId::I2cRead)(gpu(), &v3.info), NvApiStatus::Ok);
}

void TestSimDriver::callLogShowsTheVersionsPassed()
{
    driver().acceptOnlyVersions(0, NvRecordKind::Pstates20, { NvApiVersion::pstates20V1 });
    NvPstates20Info info;
    for (NvU32 word : NvApiVersion::pstates20Ladder) {
        if (readPstates(info, word) == NvApiStatus::Ok)
            break;
    }
    const std::vector<NvU32> passed = driver().versionsPassed(NvApiId::GpuGetPstates20);
    QCOMPARE(passed, std::vector<NvU32>({ 0x31CF8, 0x21CF8, 0x11C94 }));
    QCOMPARE(driver().callCount(NvApiId::GpuGetPstates20), 3);
    std::vector<SimCallRecord> log;
    for (const SimCallRecord &call : driver().callLog()) {
        if (call.id == NvApiId::GpuGetPstates20)
            log.push_back(call);
    }
    QCOMPARE(int(log.size()), 3);
    QCOMPARE(log[0].status, NvApiStatus::IncompatibleStructVersion);
    QCOMPARE(log[1].status, NvApiStatus::IncompatibleStructVersion);
    QCOMPARE(log[2].status, NvApiStatus::Ok);
    QCOMPARE(log[2].card, 0);
}

void TestSimDriver::latchHoldsACallWithoutBlockingOthers()
{
    const NvPhysicalGpuHandle handle = gpu();
    driver().holdNextCall(NvApiId::GpuGetFullName);
    NvStatus heldStatus = -1;
    char heldText[64] = {};
    std::thread caller(
        [&] { heldStatus = entry<NvApiFn::GpuGetText>(NvApiId::GpuGetFullName)(handle, heldText); });
    QVERIFY(driver().waitUntilHeld(NvApiId::GpuGetFullName, 5000));
    // While it is held, the driver still answers other calls.
    char text[64];
    QCOMPARE(entry<NvApiFn::GpuGetText>(NvApiId::GpuGetVbiosVersionString)(handle, text), NvApiStatus::Ok);
    QCOMPARE(driver().callCount(NvApiId::GpuGetFullName), 1);
    QCOMPARE(heldStatus, -1);
    driver().releaseHeldCall(NvApiId::GpuGetFullName);
    caller.join();
    QCOMPARE(heldStatus, NvApiStatus::Ok);
    QCOMPARE(QString(heldText), QString("GeForce GTX 1070 Ti"));
    // Only the next call was held.
    QCOMPARE(entry<NvApiFn::GpuGetText>(NvApiId::GpuGetFullName)(handle, text), NvApiStatus::Ok);
    QVERIFY(!driver().waitUntilHeld(NvApiId::GpuGetFullName, 10));
}

void TestSimDriver::initializeAndUnloadFollowTheirSettings()
{
    auto initialize = entry<NvApiFn::Initialize>(NvApiId::Initialize);
    auto unload = entry<NvApiFn::Unload>(NvApiId::Unload);
    QCOMPARE(initialize(), NvApiStatus::Ok);
    QVERIFY(driver().isInitialized());
    driver().setUnloadStatus(-1);
    QCOMPARE(unload(), -1);
    QVERIFY(driver().isInitialized());
    driver().setUnloadStatus(0);
    driver().setUnloadDelayMs(150);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(unload(), NvApiStatus::Ok);
    QVERIFY(timer.elapsed() >= 140);
    QVERIFY(!driver().isInitialized());

    driver().setInitializeStatus(-6);
    QCOMPARE(initialize(), -6);
    QVERIFY(!driver().isInitialized());
    QCOMPARE(driver().callCount(NvApiId::Initialize), 2);
    QCOMPARE(driver().callCount(NvApiId::Unload), 2);
}

void TestSimDriver::gpuOffsetClampedAndReadBack()
{
    driver().setGpuClockMhz(0, 1800);
    QCOMPARE(writeClockOffset(0, 150000), NvApiStatus::Ok);
    NvPstates20Info info;
    readPstates(info);
    QCOMPARE(info.pstates[0].clocks[0].freqDelta_kHz.value, 150000);
    QCOMPARE(readClocks(0).domain[0].frequency_kHz, 1950000u);
    QCOMPARE(readClocks(2).domain[0].frequency_kHz, 1833000u);
    // The base clock stays the stock one: the offset reaches the controller's
    // current base clock through the P0 delta.
    QCOMPARE(readClocks(1).domain[0].frequency_kHz, 1607000u);
    QCOMPARE(driver().tuning(0).gpuOffsetKhz, 150000);

    QCOMPARE(writeClockOffset(0, 5000000), NvApiStatus::Ok);
    readPstates(info);
    QCOMPARE(info.pstates[0].clocks[0].freqDelta_kHz.value, 1000000);
    QCOMPARE(writeClockOffset(0, -900000), NvApiStatus::Ok);
    readPstates(info);
    QCOMPARE(info.pstates[0].clocks[0].freqDelta_kHz.value, -200000);

    // An idle card stays at its idle clock whatever the offset.
    driver().setGpuClockMhz(0, 139);
    QCOMPARE(writeClockOffset(0, 300000), NvApiStatus::Ok);
    QCOMPARE(readClocks(0).domain[0].frequency_kHz, 139000u);

    NvU32 enable = 1;
    QCOMPARE(entry<NvApiFn::GpuEnableOverclockedPstates>(NvApiId::GpuEnableOverclockedPstates)(gpu(), enable),
        NvApiStatus::Ok);
    QVERIFY(driver().tuning(0).overclockedPstatesEnabled);
    QCOMPARE(entry<NvApiFn::GpuEnableOverclockedPstates>(NvApiId::GpuEnableOverclockedPstates)(gpu(), 2),
        NvApiStatus::InvalidArgument);
}

void TestSimDriver::memoryAndVoltageOffsets()
{
    driver().setMemoryClockMhz(0, 4004);
    // The memory offset is written with version 1 first.
    QCOMPARE(writeClockOffset(4, 400000, NvApiVersion::pstates20V1), NvApiStatus::Ok);
    NvPstates20Info info;
    readPstates(info);
    QCOMPARE(info.pstates[0].clocks[1].freqDelta_kHz.value, 400000);
    QCOMPARE(info.pstates[0].clocks[1].data.single.freq_kHz, 4404000u);
    QCOMPARE(readClocks(0).domain[4].frequency_kHz, 4404000u);
    // The base memory clock carries the offset; the controller's stock
    // reading takes the delta of the single-frequency entry off again.
    QCOMPARE(readClocks(1).domain[4].frequency_kHz, 4404000u);
    QCOMPARE(writeClockOffset(4, 2000000), NvApiStatus::Ok);
    readPstates(info);
    QCOMPARE(info.pstates[0].clocks[1].freqDelta_kHz.value, 1500000);

    const NvU32 stockVolt = info.pstates[0].baseVoltages[0].volt_uV;
    NvPstates20Info voltage {};
    voltage.version = NvApiVersion::pstates20V3;
    voltage.numPstates = 1;
    voltage.numBaseVoltages = 1;
    voltage.pstates[0].baseVoltages[0].domainId = 0;
    voltage.pstates[0].baseVoltages[0].voltDelta_uV.value = 50000;
    QCOMPARE(entry<NvApiFn::GpuPstates20>(NvApiId::GpuSetPstates20)(gpu(), &voltage), NvApiStatus::Ok);
    readPstates(info);
    const NvPstates20BaseVoltageEntry &core = info.pstates[0].baseVoltages[0];
    QCOMPARE(core.voltDelta_uV.value, 50000);
    QCOMPARE(core.volt_uV, stockVolt + 50000);
    // The record's stock voltage is what the controller derives: volt - delta.
    QCOMPARE(int(core.volt_uV) - core.voltDelta_uV.value, int(stockVolt));

    NvPstates20Info over {};
    over.version = NvApiVersion::pstates20V3;
    over.ov.numVoltages = 1;
    over.ov.voltages[0].domainId = 0;
    over.ov.voltages[0].voltDelta_uV.value = 37500;
    QCOMPARE(entry<NvApiFn::GpuPstates20>(NvApiId::GpuSetPstates20)(gpu(), &over), NvApiStatus::Ok);
    QCOMPARE(driver().tuning(0).overVoltageDeltaUv, 37500);
    // Version 1 carries no over-voltage block, so nothing of it is read.
    over.version = NvApiVersion::pstates20V1;
    over.ov.voltages[0].voltDelta_uV.value = 0;
    QCOMPARE(entry<NvApiFn::GpuPstates20>(NvApiId::GpuSetPstates20)(gpu(), &over), NvApiStatus::Ok);
    QCOMPARE(driver().tuning(0).overVoltageDeltaUv, 37500);
}

void TestSimDriver::rejectedPstateWriteChangesNothing()
{
    NvPstates20Info info {};
    info.version = NvApiVersion::pstates20V3;
    info.numPstates = 1;
    info.numClocks = 2;
    info.pstates[0].clocks[0].domainId = 0;
    info.pstates[0].clocks[0].freqDelta_kHz.value = 100000;
    info.pstates[0].clocks[1].domainId = 7; // not a tunable domain
    QCOMPARE(
        entry<NvApiFn::GpuPstates20>(NvApiId::GpuSetPstates20)(gpu(), &info), NvApiStatus::InvalidArgument);
    QCOMPARE(driver().tuning(0).gpuOffsetKhz, 0);

    info.numClocks = 1;
    info.pstates[0].pstateId = 8;
    QCOMPARE(
        entry<NvApiFn::GpuPstates20>(NvApiId::GpuSetPstates20)(gpu(), &info), NvApiStatus::InvalidArgument);
    info.pstates[0].pstateId = 0;
    info.numPstates = 17;
    QCOMPARE(
        entry<NvApiFn::GpuPstates20>(NvApiId::GpuSetPstates20)(gpu(), &info), NvApiStatus::InvalidArgument);

    driver().editCard(0, [](SimCardConfig &config) { config.gpuEditable = false; });
    info.numPstates = 1;
    QCOMPARE(entry<NvApiFn::GpuPstates20>(NvApiId::GpuSetPstates20)(gpu(), &info), NvApiStatus::NotSupported);
    QCOMPARE(driver().tuning(0).gpuOffsetKhz, 0);
}

void TestSimDriver::powerTargetKeptInRange()
{
    NvPowerPoliciesInfo info;
    info.setVersion(NvApiVersion::powerPoliciesInfoV1);
    QCOMPARE(entry<NvApiFn::GpuPowerPoliciesInfo>(NvApiId::GpuPowerPoliciesGetInfo)(gpu(), &info),
        NvApiStatus::Ok);
    QVERIFY(info.u8(NvPowerPoliciesInfo::supported) != 0);
    QCOMPARE(int(info.u8(NvPowerPoliciesInfo::count)), 1);
    const std::size_t e = NvPowerPoliciesInfo::entry(0);
    const NvU32 policy = info.u32(e + NvPowerPoliciesInfo::policyId);
    QCOMPARE(info.u32(e + NvPowerPoliciesInfo::minLimit), 50000u);
    QCOMPARE(info.u32(e + NvPowerPoliciesInfo::defaultLimit), 100000u);
    QCOMPARE(info.u32(e + NvPowerPoliciesInfo::maxLimit), 120000u);
    QCOMPARE(readPowerLimit(), 100000u);

    QCOMPARE(setPowerLimit(policy, 112000), NvApiStatus::Ok);
    QCOMPARE(readPowerLimit(), 112000u);
    QCOMPARE(setPowerLimit(policy, 150000), NvApiStatus::Ok);
    QCOMPARE(readPowerLimit(), 120000u);
    QCOMPARE(setPowerLimit(policy, 10000), NvApiStatus::Ok);
    QCOMPARE(readPowerLimit(), 50000u);
    QCOMPARE(setPowerLimit(policy + 5, 100000), NvApiStatus::InvalidArgument);
    QCOMPARE(readPowerLimit(), 50000u);

    // The topology reports a draw in the same unit, never above the target.
    NvPowerTopologyInfo topology;
    topology.setVersion(NvApiVersion::powerTopologyInfoV1);
    QCOMPARE(entry<NvApiFn::GpuPowerTopologyInfo>(NvApiId::GpuPowerTopologyGetInfo)(gpu(), &topology),
        NvApiStatus::Ok);
    QVERIFY(topology.u8(NvPowerTopologyInfo::supported) != 0);
    NvPowerTopologyStatus draw;
    draw.setVersion(NvApiVersion::powerTopologyStatusV1);
    draw.setU8(NvPowerTopologyStatus::count, 1);
    draw.setU32(NvPowerTopologyStatus::entry(0), topology.u32(NvPowerTopologyInfo::channelId(0)));
    driver().setFrozen(0, false);
    driver().advanceTime(30);
    QCOMPARE(entry<NvApiFn::GpuPowerTopologyStatus>(NvApiId::GpuPowerTopologyGetStatus)(gpu(), &draw),
        NvApiStatus::Ok);
    const NvU32 power = draw.u32(NvPowerTopologyStatus::entry(0) + NvPowerTopologyStatus::power);
    QVERIFY(power > 0 && power <= 50000u);
}

void TestSimDriver::thermalTargetKeptInRangeWithPriority()
{
    NvThermalPoliciesInfo info;
    info.setVersion(0x20068);
    QCOMPARE(entry<NvApiFn::GpuThermalPoliciesInfo>(NvApiId::GpuThermalPoliciesGetInfo)(gpu(), &info),
        NvApiStatus::Ok);
    QCOMPARE(info.u8(NvThermalPoliciesInfo::flags) & 1, 1);
    QCOMPARE(int(info.u8(NvThermalPoliciesInfo::count)), 1);
    const std::size_t e = NvThermalPoliciesInfo::entry(0);
    const NvU32 policy = info.u32(e + NvThermalPoliciesInfo::policyId);
    QCOMPARE(info.s32(e + NvThermalPoliciesInfo::minLimit), 65 * 256);
    QCOMPARE(info.s32(e + NvThermalPoliciesInfo::defaultLimit), 83 * 256);
    QCOMPARE(info.s32(e + NvThermalPoliciesInfo::maxLimit), 92 * 256);

    const std::size_t s = NvThermalPoliciesStatus::entry(0);
    QCOMPARE(readThermalStatus().s32(s + NvThermalPoliciesStatus::limit), 83 * 256);
    QCOMPARE(setThermalLimit(policy, 120 * 256, true), NvApiStatus::Ok);
    NvThermalPoliciesStatus status = readThermalStatus();
    QCOMPARE(status.s32(s + NvThermalPoliciesStatus::limit), 92 * 256);
    QCOMPARE(status.u8(s + NvThermalPoliciesStatus::flags) & 1, 1);
    QCOMPARE(setThermalLimit(policy, 70 * 256 + 128, false), NvApiStatus::Ok);
    status = readThermalStatus();
    QCOMPARE(status.s32(s + NvThermalPoliciesStatus::limit), 70 * 256 + 128);
    QCOMPARE(status.u8(s + NvThermalPoliciesStatus::flags) & 1, 0);
    QCOMPARE(setThermalLimit(policy, 20 * 256, false), NvApiStatus::Ok);
    QCOMPARE(readThermalStatus().s32(s + NvThermalPoliciesStatus::limit), 65 * 256);
    QCOMPARE(setThermalLimit(policy + 1, 80 * 256, false), NvApiStatus::InvalidArgument);

    driver().editCard(0, [](SimCardConfig &config) { config.thermalSupported = false; });
    QCOMPARE(entry<NvApiFn::GpuThermalPoliciesInfo>(NvApiId::GpuThermalPoliciesGetInfo)(gpu(), &info),
        NvApiStatus::Ok);
    QCOMPARE(info.u8(NvThermalPoliciesInfo::flags) & 1, 0);
}

void TestSimDriver::coolerLevelsMoveTheFan()
{
    driver().setTemperature(0, 50.0);
    QCOMPARE(setCooler(55, 1), NvApiStatus::Ok);
    NvCoolerSettings cooler = readCooler();
    const std::size_t e = NvCoolerSettings::entry(0);
    QCOMPARE(cooler.u32(e + NvCoolerSettings::currentLevelPercent), 55u);
    QCOMPARE(cooler.u32(e + NvCoolerSettings::currentPolicy), 1u);
    NvU32 rpm = 0;
    entry<NvApiFn::GpuGetU32>(NvApiId::GpuGetTachReading)(gpu(), &rpm);
    QCOMPARE(rpm, NvU32(600 + (3500 - 600) * 55 / 100));

    QCOMPARE(setCooler(0, 1, NvApiVersion::coolerLevelsV1Short), NvApiStatus::Ok);
    entry<NvApiFn::GpuGetU32>(NvApiId::GpuGetTachReading)(gpu(), &rpm);
    QCOMPARE(rpm, 0u);

    QCOMPARE(setCooler(180, 1), NvApiStatus::Ok);
    QCOMPARE(readCooler().u32(e + NvCoolerSettings::currentLevelPercent), 100u);

    // The default policy hands the fan back to the temperature.
    QCOMPARE(setCooler(0, 32), NvApiStatus::Ok);
    cooler = readCooler();
    QCOMPARE(cooler.u32(e + NvCoolerSettings::currentPolicy), 32u);
    const NvU32 automatic = cooler.u32(e + NvCoolerSettings::currentLevelPercent);
    QVERIFY(automatic >= 30u && automatic < 100u);
    driver().setTemperature(0, 80.0);
    driver().setFrozen(0, false);
    driver().advanceTime(1);
    QVERIFY(readCooler().u32(e + NvCoolerSettings::currentLevelPercent) > automatic);
}

void TestSimDriver::ledControllerChecksLengthAndChecksum()
{
    const std::vector<NvU8> probe = { 0x05, 0x0A, 0x00, 0x00, 0xF0 };
    QCOMPARE(ledPacket(10, 0, 0, {}, false), probe);
    QCOMPARE(i2cWrite(0xA0, probe), NvApiStatus::Ok);
    QCOMPARE(driver().lastLedPacket(0), probe);
    QCOMPARE(driver().ledPacketCount(0), 1);

    std::vector<NvU8> badChecksum = ledPacket(0, 50, 2, { 0x10, 0x20, 0x30 }, false);
    badChecksum.back() ^= 0x01;
    QCOMPARE(i2cWrite(0xA0, badChecksum), NvApiStatus::Error);
    // A length byte one too high, with a checksum that matches the bytes sent.
    std::vector<NvU8> badLength = ledPacket(0, 50, 2, { 0x10, 0x20, 0x30 }, false);
    badLength[0] = 9;
    badLength.back() = static_cast<NvU8>(badLength.back() - 1);
    QCOMPARE(i2cWrite(0xA0, badLength), NvApiStatus::Error);
    // The store bit belongs inside the checksum: a packet whose checksum was
    // taken without it is refused.
    std::vector<NvU8> storeOutsideChecksum = ledPacket(0, 50, 2, { 0x10, 0x20, 0x30 }, false);
    storeOutsideChecksum[0] |= 0x80;
    QCOMPARE(i2cWrite(0xA0, storeOutsideChecksum), NvApiStatus::Error);
    QCOMPARE(i2cWrite(0xA0, { 0x04, 0x0A, 0x00, 0xF1 }), NvApiStatus::Error);
    QCOMPARE(driver().ledRefusedCount(0), 4);
    QCOMPARE(driver().lastLedPacket(0), probe);

    const std::vector<NvU8> stored = ledPacket(0, 50, 2, { 0x10, 0x20, 0x30 }, true);
    QCOMPARE(stored.size(), std::size_t(8));
    QCOMPARE(int(stored[0]), 0x88);
    QCOMPARE(i2cWrite(0xA0, stored), NvApiStatus::Ok);
    QVERIFY(driver().ledState(0).stored);
}

void TestSimDriver::ledStateAnswersTheLastCommand()
{
    std::vector<NvU8> answer;
    QCOMPARE(i2cRead(0xA1, false, 27, answer), NvApiStatus::Ok);
    QCOMPARE(int(answer[0]), 3);
    const std::vector<NvU8> powerOn = answer;

    // The capability probe leaves the running effect alone.
    QCOMPARE(i2cWrite(0xA0, ledPacket(10, 0, 0, {}, false)), NvApiStatus::Ok);
    QCOMPARE(i2cRead(0xA1, false, 27, answer), NvApiStatus::Ok);
    QCOMPARE(answer, powerOn);

    const std::vector<NvU8> colours = { 1, 2, 3, 4, 5, 6, 7, 8, 9 };
    QCOMPARE(i2cWrite(0xA0, ledPacket(1, 50, 4, colours, false)), NvApiStatus::Ok);
    QCOMPARE(i2cRead(0xA1, false, 27, answer), NvApiStatus::Ok);
    QCOMPARE(answer.size(), std::size_t(27));
    QCOMPARE(int(answer[0]), 3);
    QCOMPARE(int(answer[1]), 3);
    QCOMPARE(int(answer[2]), 1);
    QCOMPARE(int(answer[3]), 50);
    QCOMPARE(int(answer[4]), 4);
    QCOMPARE(std::vector<NvU8>(answer.begin() + 5, answer.begin() + 14), colours);
    QCOMPARE(int(answer[14]), 0);
    const SimLedState state = driver().ledState(0);
    QCOMPARE(state.colourCount, 3);
    QVERIFY(!state.stored);

    // A refused packet does not change what the controller shows.
    std::vector<NvU8> bad = ledPacket(0, 0, 10, {}, false);
    bad.back() = 0;
    QCOMPARE(i2cWrite(0xA0, bad), NvApiStatus::Error);
    std::vector<NvU8> after;
    QCOMPARE(i2cRead(0xA1, false, 27, after), NvApiStatus::Ok);
    QCOMPARE(after, answer);

    driver().editCard(0, [](SimCardConfig &config) { config.ledKind = 2; });
    QCOMPARE(i2cRead(0xA1, false, 27, answer), NvApiStatus::Ok);
    QCOMPARE(int(answer[0]), 2);
}

void TestSimDriver::lcdAcceptsOnlyWellFormedFrames()
{
    QCOMPARE(i2cWrite(0xAC, lcdFrame(1)), NvApiStatus::Ok);
    QCOMPARE(i2cWrite(0xAC, lcdFrame(2)), NvApiStatus::Ok);
    QCOMPARE(driver().lcdFrameCount(0), 2);
    QCOMPARE(driver().lastLcdFrame(0), lcdFrame(2));

    std::vector<NvU8> badChecksum = lcdFrame(3);
    badChecksum[34] ^= 0x01;
    QCOMPARE(i2cWrite(0xAC, badChecksum), NvApiStatus::Error);
    std::vector<NvU8> badStart = lcdFrame(3);
    badStart[1] = 0x89;
    badStart[33] += 1; // keep the sum right so only the start is wrong
    QCOMPARE(i2cWrite(0xAC, badStart), NvApiStatus::Error);
    std::vector<NvU8> shortFrame = lcdFrame(3);
    shortFrame.pop_back();
    QCOMPARE(i2cWrite(0xAC, shortFrame), NvApiStatus::Error);
    // A carry into the high checksum byte must be kept.
    std::vector<NvU8> heavy = lcdFrame(4);
    for (int i = 4; i < 33; ++i)
        heavy[i] = 0xFF;
    unsigned sum = 0;
    for (int i = 0; i < 33; ++i)
        sum += heavy[i];
    heavy[33] = static_cast<NvU8>(sum);
    heavy[34] = static_cast<NvU8>(sum >> 8);
    QVERIFY(heavy[34] != 0);
    QCOMPARE(i2cWrite(0xAC, heavy), NvApiStatus::Ok);
    QCOMPARE(driver().lcdFrameCount(0), 3);
    QCOMPARE(driver().lcdRefusedCount(0), 3);
    QCOMPARE(driver().lastLcdFrame(0), heavy);
}

void TestSimDriver::boardSensorBytes()
{
    QCOMPARE(SimBoardSensor::encode(-25.0), (std::array<NvU8, 2> { 0xE7, 0x00 }));
    QCOMPARE(SimBoardSensor::encode(-1.0), (std::array<NvU8, 2> { 0xFF, 0x00 }));
    QCOMPARE(SimBoardSensor::encode(50.0), (std::array<NvU8, 2> { 0x32, 0x00 }));
    QCOMPARE(SimBoardSensor::encode(50.5), (std::array<NvU8, 2> { 0x32, 0x80 }));
    QCOMPARE(SimBoardSensor::encode(-0.5), (std::array<NvU8, 2> { 0xFF, 0x80 }));
    QCOMPARE(SimBoardSensor::encode(300.0), (std::array<NvU8, 2> { 0x7F, 0xF0 }));

    const std::array<double, 4> temperatures = { -25.0, -1.0, 50.0, 50.5 };
    for (int i = 0; i < 4; ++i)
        driver().setBoardSensor(0, i, temperatures[i]);
    const std::vector<std::vector<NvU8>> expected
        = { { 0xE7, 0x00 }, { 0xFF, 0x00 }, { 0x32, 0x00 }, { 0x32, 0x80 } };
    for (int i = 0; i < 4; ++i) {
        std::vector<NvU8> answer;
        QCOMPARE(i2cRead(SimCard::BoardSensorAddresses[i], true, 2, answer), NvApiStatus::Ok);
        QCOMPARE(answer, expected[i]);
    }
}

void TestSimDriver::boardSensorsFollowTheirSettings()
{
    // Sensors sit below the GPU's temperature and follow it as the load moves.
    driver().setFrozen(0, false);
    driver().setManualTime(0.0);
    std::vector<NvU8> answer;
    QCOMPARE(i2cRead(0x9E, true, 2, answer), NvApiStatus::Ok);
    const int first = static_cast<std::int8_t>(answer[0]);
    double hottest = -100;
    double coolest = 200;
    for (int step = 0; step < 60; ++step) {
        driver().advanceTime(5.0);
        QCOMPARE(i2cRead(0x9E, true, 2, answer), NvApiStatus::Ok);
        const double celsius = static_cast<std::int16_t>(answer[0] << 8 | answer[1]) / 256.0;
        QVERIFY(celsius < driver().readings(0).temperatureC);
        hottest = std::max(hottest, celsius);
        coolest = std::min(coolest, celsius);
    }
    QVERIFY2(
        hottest - coolest > 5.0, qPrintable(QString("%1..%2 from %3").arg(coolest).arg(hottest).arg(first)));

    // Another register than the temperature answers something else.
    I2cRequest config(0x9E, true, std::vector<NvU8>(2));
    config.registerByte = 3;
    QCOMPARE(entry<NvApiFn::I2c>(NvApiId::I2cRead)(gpu(), &config.info), NvApiStatus::Ok);
    QCOMPARE(config.data, (std::vector<NvU8> { 80, 0 }));
}

void TestSimDriver::absentDeviceFailsTheTransaction()
{
    std::vector<NvU8> answer;
    QCOMPARE(i2cRead(0x50, true, 2, answer), NvApiStatus::Error);
    driver().editCard(0, [](SimCardConfig &config) {
        config.hasLed = false;
        config.hasLcd = false;
        config.boardSensors = { true, false, true, true };
    });
    QCOMPARE(i2cWrite(0xA0, ledPacket(10, 0, 0, {}, false)), NvApiStatus::Error);
    QCOMPARE(i2cRead(0xA1, false, 27, answer), NvApiStatus::Error);
    QCOMPARE(i2cWrite(0xAC, lcdFrame(1)), NvApiStatus::Error);
    QCOMPARE(i2cRead(0x90, true, 2, answer), NvApiStatus::Error);
    QCOMPARE(i2cRead(0x96, true, 2, answer), NvApiStatus::Ok);
}

void TestSimDriver::i2cTransportIsChecked()
{
    auto read = entry<NvApiFn::I2c>(NvApiId::I2cRead);
    I2cRequest noData(0x9E, true, std::vector<NvU8>(2));
    noData.info.pbData = nullptr;
    QCOMPARE(read(gpu(), &noData.info), NvApiStatus::InvalidArgument);

    I2cRequest noRegister(0x9E, true, std::vector<NvU8>(2));
    noRegister.info.pbI2cRegAddress = nullptr;
    QCOMPARE(read(gpu(), &noRegister.info), NvApiStatus::InvalidArgument);

    I2cRequest long_(0x9E, true, std::vector<NvU8>(17));
    QCOMPARE(read(gpu(), &long_.info), -116);

    I2cRequest wrongPort(0x9E, true, std::vector<NvU8>(2));
    wrongPort.info.portId = 2;
    QCOMPARE(read(gpu(), &wrongPort.info), -105);
    // Version 2 has no port: the same bytes beyond its size are not looked at.
    wrongPort.info.version = NvApiVersion::i2cV2;
    QCOMPARE(read(gpu(), &wrongPort.info), NvApiStatus::Ok);

    I2cRequest speed(0x9E, true, std::vector<NvU8>(2));
    speed.info.i2cSpeed = 100;
    QCOMPARE(read(gpu(), &speed.info), NvApiStatus::InvalidArgument);
    speed.info.version = NvApiVersion::i2cV1;
    QCOMPARE(read(gpu(), &speed.info), NvApiStatus::Ok);

    // The register pointer is honoured: no register means "read on from the
    // current one", which after the read above is still the temperature.
    driver().setBoardSensor(0, 0, 42.0);
    std::vector<NvU8> answer;
    QCOMPARE(i2cRead(0x9E, false, 2, answer), NvApiStatus::Ok);
    QCOMPARE(answer, (std::vector<NvU8> { 42, 0 }));
}

void TestSimDriver::extendedI2cAndItsLog()
{
    driver().clearI2cLog();
    I2cRequest write(0xA0, false, ledPacket(0, 50, 2, { 9, 8, 7 }, false), NvApiVersion::i2cV2);
    NvU32 pair[2] = { 0xDEAD, 0xBEEF };
    QCOMPARE(entry<NvApiFn::I2cEx>(NvApiId::I2cWriteEx)(gpu(), &write.info, pair), NvApiStatus::Ok);
    QCOMPARE(pair[0], 8u);
    QCOMPARE(pair[1], 0u);
    QCOMPARE(driver().ledState(0).colours[0], NvU8(9));

    I2cRequest read(0x92, true, std::vector<NvU8>(2), NvApiVersion::i2cV1);
    QCOMPARE(entry<NvApiFn::I2cEx>(NvApiId::I2cReadEx)(gpu(), &read.info, pair), NvApiStatus::Ok);
    I2cRequest absent(0x40, true, std::vector<NvU8>(2));
    QCOMPARE(entry<NvApiFn::I2c>(NvApiId::I2cRead)(gpu(), &absent.info), NvApiStatus::Error);

    const std::vector<SimI2cTransaction> log = driver().i2cLog();
    QCOMPARE(int(log.size()), 3);
    QVERIFY(log[0].extended && log[0].write);
    QCOMPARE(log[0].version, NvApiVersion::i2cV2);
    QCOMPARE(int(log[0].address), 0xA0);
    QVERIFY(log[0].registerBytes.empty());
    QCOMPARE(log[0].data, write.data);
    QVERIFY(log[1].extended && !log[1].write);
    QCOMPARE(log[1].registerBytes, std::vector<NvU8> { 0 });
    QCOMPARE(log[1].data, read.data);
    QCOMPARE(log[1].version, NvApiVersion::i2cV1);
    QVERIFY(!log[2].extended);
    QCOMPARE(log[2].status, NvApiStatus::Error);
}

void TestSimDriver::cardFileExampleLoads()
{
    QString error;
    QVERIFY2(driver().loadCardsFromFile(SIM_EXAMPLES_DIR "/three-cards.xml", &error), qPrintable(error));
    QCOMPARE(driver().cardCount(), 3);
    char text[64];
    const std::vector<NvPhysicalGpuHandle> handles = enumerate(NvApiId::EnumPhysicalGpus);
    QCOMPARE(int(handles.size()), 3);
    QStringList names;
    QList<NvU32> vendors;
    for (NvPhysicalGpuHandle handle : handles) {
        entry<NvApiFn::GpuGetText>(NvApiId::GpuGetFullName)(handle, text);
        names << text;
        NvU32 device = 0, subsystem = 0, revision = 0, ext = 0;
        entry<NvApiFn::GpuGetPciIdentifiers>(NvApiId::GpuGetPciIdentifiers)(
            handle, &device, &subsystem, &revision, &ext);
        vendors << (subsystem & 0xFFFF);
    }
    QCOMPARE(names[0], names[1]);
    QVERIFY(names[2] != names[0]);
    QCOMPARE(vendors[0], NvU32(MakerSubsystemVendorId));
    QCOMPARE(vendors[1], NvU32(MakerSubsystemVendorId));
    QVERIFY(vendors[2] != NvU32(MakerSubsystemVendorId));

    // The other vendor's card has none of the maker's I2C devices.
    std::vector<NvU8> answer;
    QCOMPARE(i2cRead(0xA1, false, 27, answer, handles[0]), NvApiStatus::Ok);
    QCOMPARE(i2cRead(0xA1, false, 27, answer, handles[2]), NvApiStatus::Error);
    QCOMPARE(i2cRead(0x9E, true, 2, answer, handles[2]), NvApiStatus::Error);

    const SimCardConfig other = driver().cardConfig(2);
    QCOMPARE(other.busWidthBits, 192u);
    QCOMPARE(other.powerMax, 104000u);
    QCOMPARE(other.fanLevelMinPercent, 25);
}

void TestSimDriver::brokenCardFileGivesNoCards()
{
    struct Case
    {
        const char *xml;
        const char *expected;
    };
    const std::vector<Case> cases = {
        { "<simulatedCards><card name=\"A\"></simulatedCards>", "line 1" },
        { "<cards/>", "<simulatedCards>" },
        { "<simulatedCards>\n<card name=\"A\">\n<memory busWidth=\"wide\"/></card></simulatedCards>",
            "line 3" },
        { "<simulatedCards><card name=\"A\" colour=\"red\"/></simulatedCards>", "colour" },
        { "<simulatedCards><card name=\"A\"><turbo/></card></simulatedCards>", "turbo" },
        { "<simulatedCards><card name=\"A\"><power min=\"90\" default=\"80\"/></card></simulatedCards>",
            "power" },
        { "<simulatedCards><card name=\"A\"><boardSensors addresses=\"0x9E 0x42\"/></card></simulatedCards>",
            "0x42" },
        { "<simulatedCards><card name=\"A\"><identity deviceId=\"-1\"/></card></simulatedCards>",
            "deviceId" },
        { "", "line 1" },
    };
    for (const Case &broken : cases) {
        driver().reset();
        QString error;
        QVERIFY2(!driver().loadCardsFromXml(broken.xml, &error), broken.xml);
        QCOMPARE(driver().cardCount(), 0);
        QVERIFY2(error.contains(broken.expected), qPrintable(error));
    }
    QTemporaryDir dir;
    QString error;
    QVERIFY(!driver().loadCardsFromFile(dir.filePath("missing.xml"), &error));
    QVERIFY(error.contains("missing.xml"));

    QVERIFY(driver().loadCardsFromXml("<simulatedCards driverVersion=\"38571\"/>"));
    QCOMPARE(driver().cardCount(), 0);
    NvU32 version = 0;
    char branch[64];
    entry<NvApiFn::SysGetDriverAndBranchVersion>(NvApiId::SysGetDriverAndBranchVersion)(&version, branch);
    QCOMPARE(version, 38571u);
}

// A frozen card's readings are those of the start of the load curve, whenever the driver starts, and stay.
void TestSimDriver::frozenCardsReadTheSameInEveryProcess()
{
    const QByteArray xml
        = "<simulatedCards><card frozen=\"true\" phase=\"2\"/><card phase=\"2\"/></simulatedCards>";
    driver().setManualTime(1000.0);
    QVERIFY(driver().loadCardsFromXml(xml));
    const SimReadings early = driver().readings(0);
    const SimReadings moving = driver().readings(1);
    driver().advanceTime(120.0);
    QCOMPARE(driver().readings(0).temperatureC, early.temperatureC);
    QCOMPARE(driver().readings(0).gpuClockMhz, early.gpuClockMhz);
    QVERIFY(driver().readings(1).gpuClockMhz != moving.gpuClockMhz
        || driver().readings(1).temperatureC != moving.temperatureC);
    // Started at another moment, a frozen card reads the same.
    driver().setManualTime(5000.0);
    QVERIFY(driver().loadCardsFromXml(xml));
    QCOMPARE(driver().readings(0).temperatureC, early.temperatureC);
    QCOMPARE(driver().readings(0).gpuClockMhz, early.gpuClockMhz);
    QVERIFY(!driver().loadCardsFromXml("<simulatedCards><card frozen=\"maybe\"/></simulatedCards>"));
}

void TestSimDriver::environmentNamesTheCardFile()
{
    const QByteArray saved = qgetenv("LUMETRA_SIM_CARDS");
    qputenv("LUMETRA_SIM_CARDS", SIM_EXAMPLES_DIR "/three-cards.xml");
    driver().resetToEnvironment();
    QCOMPARE(driver().cardCount(), 3);

    QTemporaryDir dir;
    QFile broken(dir.filePath("broken.xml"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("<simulatedCards><card name=");
    broken.close();
    qputenv("LUMETRA_SIM_CARDS", broken.fileName().toLocal8Bit());
    driver().resetToEnvironment();
    QCOMPARE(driver().cardCount(), 0);

    qunsetenv("LUMETRA_SIM_CARDS");
    driver().resetToEnvironment();
    QCOMPARE(driver().cardCount(), 1);
    if (!saved.isEmpty())
        qputenv("LUMETRA_SIM_CARDS", saved);
}

void TestSimDriver::dynamicsMoveUnlessFrozen()
{
    const SimReadings start = driver().readings(0);
    driver().advanceTime(25.0);
    const SimReadings later = driver().readings(0);
    QVERIFY(later.load != start.load);
    QVERIFY(later.temperatureC != start.temperatureC);
    QVERIFY(later.memoryUsedKb != start.memoryUsedKb);

    driver().setFrozen(0, true);
    driver().advanceTime(40.0);
    const SimReadings frozen = driver().readings(0);
    QCOMPARE(frozen.temperatureC, later.temperatureC);
    QCOMPARE(frozen.gpuClockMhz, later.gpuClockMhz);
    QCOMPARE(frozen.fanRpm, later.fanRpm);

    // Setting a reading freezes the card, so the value stays exactly.
    driver().setFrozen(0, false);
    driver().setFanRpm(0, 1234);
    driver().advanceTime(40.0);
    NvU32 rpm = 0;
    entry<NvApiFn::GpuGetU32>(NvApiId::GpuGetTachReading)(gpu(), &rpm);
    QCOMPARE(rpm, 1234u);

    // The temperature lags behind the load: a sudden change of load does not
    // show in full a second later.
    driver().setCards({ SimCardConfig {} });
    driver().setManualTime(0.0);
    SimReadings cold = driver().readings(0);
    cold.temperatureC = 30.0;
    driver().setReadings(0, cold);
    driver().setFrozen(0, false);
    driver().advanceTime(1.0);
    const double oneSecond = driver().readings(0).temperatureC;
    QVERIFY(oneSecond > 30.0 && oneSecond < 33.0);
}

void TestSimDriver::readingsStayRealistic()
{
    // Two cards of different phase do not move in step.
    SimCardConfig first;
    SimCardConfig second;
    second.loadPhase = 2.0;
    driver().setCards({ first, second });
    driver().setManualTime(0.0);
    int differentUsage = 0;
    int busiest = 0;
    int idlest = 100;
    for (int step = 0; step < 300; ++step) {
        driver().advanceTime(2.0);
        const SimReadings r = driver().readings(0);
        QVERIFY(r.gpuClockMhz >= 139 && r.gpuClockMhz <= 1911);
        QVERIFY(r.memoryClockMhz == 405 || r.memoryClockMhz == 810 || r.memoryClockMhz == 4004);
        QVERIFY(r.temperatureC > 25.0 && r.temperatureC < 92.0);
        QVERIFY(r.fanRpm >= 600 && r.fanRpm <= 3500);
        QVERIFY(r.gpuUsage >= 0 && r.gpuUsage <= 100);
        QVERIFY(r.memoryUsedKb > 0 && r.memoryUsedKb < 8388608u);
        busiest = std::max(busiest, r.gpuUsage);
        idlest = std::min(idlest, r.gpuUsage);
        if (r.gpuUsage != driver().readings(1).gpuUsage)
            ++differentUsage;
    }
    QVERIFY(busiest > 80);
    QVERIFY(idlest < 20);
    QVERIFY(differentUsage > 200);
}

void TestSimDriver::sharedLibraryExportsOnlyTheQuery()
{
    void *library = dlopen(SIM_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    QVERIFY2(library, dlerror());
    auto query = reinterpret_cast<NvApiFn::QueryInterface>(dlsym(library, "nvapi_QueryInterface"));
    QVERIFY(query);
    QVERIFY(!dlsym(library, "_ZN9SimDriver8instanceEv"));
    auto initialize = reinterpret_cast<NvApiFn::Initialize>(query(NvApiId::Initialize));
    QVERIFY(initialize);
    QCOMPARE(initialize(), NvApiStatus::Ok);
    // The library is a driver of its own: this process's in-process driver
    // did not see that call.
    QCOMPARE(driver().callCount(NvApiId::Initialize), 0);
    NvPhysicalGpuHandle handles[64];
    NvU32 count = 0;
    auto enumPhysical = reinterpret_cast<NvApiFn::EnumGpus>(query(NvApiId::EnumPhysicalGpus));
    QCOMPARE(enumPhysical(handles, &count), NvApiStatus::Ok);
    QVERIFY(count >= 1);
    dlclose(library);
}

void TestSimDriver::concurrentCallsLoseNothing()
{
    // The sampler, the LCD feeder, the LED sender and the pages all call at
    // once; every accepted frame must be counted and no call may fail.
    driver().setFrozen(0, false);
    const NvPhysicalGpuHandle handle = gpu();
    constexpr int Threads = 4;
    constexpr int Rounds = 300;
    std::vector<int> failures(Threads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < Threads; ++t) {
        threads.emplace_back([t, handle, &failures] {
            for (int round = 0; round < Rounds; ++round) {
                I2cRequest frame(0xAC, false, lcdFrame(static_cast<NvU8>(round)));
                if (entry<NvApiFn::I2c>(NvApiId::I2cWrite)(handle, &frame.info) != NvApiStatus::Ok)
                    ++failures[t];
                NvClockFrequencies clocks {};
                clocks.version = NvApiVersion::clockFrequenciesV3;
                if (entry<NvApiFn::GpuGetAllClockFrequencies>(NvApiId::GpuGetAllClockFrequencies)(
                        handle, &clocks))
                    ++failures[t];
                NvPstates20Info offset {};
                offset.version = NvApiVersion::pstates20V3;
                offset.numPstates = 1;
                offset.numClocks = 1;
                offset.pstates[0].clocks[0].freqDelta_kHz.value = 1000 * (round % 100);
                if (entry<NvApiFn::GpuPstates20>(NvApiId::GpuSetPstates20)(handle, &offset))
                    ++failures[t];
            }
        });
    }
    for (int round = 0; round < Rounds; ++round) {
        driver().advanceTime(0.5);
        driver().readings(0);
        driver().lastLcdFrame(0);
    }
    for (std::thread &thread : threads)
        thread.join();
    QCOMPARE(failures, std::vector<int>(Threads, 0));
    QCOMPARE(driver().lcdFrameCount(0), Threads * Rounds);
    QCOMPARE(driver().callCount(NvApiId::I2cWrite), Threads * Rounds);
    QCOMPARE(int(driver().i2cLog().size()), Threads * Rounds);
}

QTEST_GUILESS_MAIN(TestSimDriver)
#include "tst_simdriver.moc"
