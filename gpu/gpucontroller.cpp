#include "gpucontroller.h"

#include "carddriver.h"
#include "cardprotocol.h"
#include "driverunits.h"
#include "fixedinfotexts.h"
#include "lcddisplaymode.h"
#include "nvapibinding.h"
#include "nvapiversions.h"
#include "policytables.h"
#include "pstatestable.h"
#include "readingtables.h"

#include <algorithm>
#include <cstring>
#include <iterator>

std::atomic<std::uint8_t> GpuController::s_lcdSequence { 0 };

namespace {

NvApiBinding &nv()
{
    return NvApiBinding::instance();
}

QString shortString(const char *text)
{
    return QString::fromLatin1(text, static_cast<int>(qstrnlen(text, NvApiLimits::ShortStringMax)));
}

} // namespace

GpuController::GpuController()
{
    m_initialized = startUp();
}

GpuController::~GpuController()
{
    // Only a controller whose initialize succeeded holds a reference: releasing
    // one it never took would drop another controller's hold on the library.
    if (m_holdsBinding)
        nv().unload();
}

bool GpuController::startUp()
{
    {
        std::lock_guard<std::mutex> locker(m_mutex);
        m_gpuCount = 0;
        m_selected = 0;
        m_tccCount = 0;
        m_handles.fill(nullptr);
        m_tccHandles.fill(nullptr);
    }
    const NvStatus init = nv().initialize();
    if (init == NvApiStatus::Error || init == NvApiStatus::LibraryNotFound) {
        nv().unload();
        return false;
    }
    m_holdsBinding = init == NvApiStatus::Ok;

    NvPhysicalGpuHandle physical[NvApiLimits::MaxPhysicalGpus] = {};
    NvU32 physicalCount = 0;
    const NvStatus enumStatus = nv().enumPhysicalGpus(physical, &physicalCount);
    NvPhysicalGpuHandle tcc[NvApiLimits::MaxPhysicalGpus] = {};
    NvU32 tccCount = 0;
    if (nv().enumTccPhysicalGpus(tcc, &tccCount) != NvApiStatus::Ok)
        tccCount = 0;

    std::lock_guard<std::mutex> locker(m_mutex);
    m_gpuCount = enumStatus == NvApiStatus::Ok
        ? static_cast<int>(std::min<NvU32>(physicalCount, NvU32(std::size(physical))))
        : 0;
    std::copy(physical, physical + m_gpuCount, m_handles.begin());
    m_tccCount
        = static_cast<int>(std::min<NvU32>(tccCount, NvU32(std::min(std::size(tcc), m_tccHandles.size()))));
    std::copy(tcc, tcc + m_tccCount, m_tccHandles.begin());
    std::copy(tcc, tcc + m_tccCount, m_handles.begin() + m_gpuCount);
    m_gpuCount += m_tccCount;
    return enumStatus == NvApiStatus::Ok;
}

int GpuController::gpuCount() const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_gpuCount;
}

void GpuController::selectGpu(int index)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    if (m_gpuCount > 0 && index > m_gpuCount - 1)
        index = m_gpuCount - 1;
    m_selected = std::max(index, 0);
}

int GpuController::selectedIndex() const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_selected;
}

NvPhysicalGpuHandle GpuController::handle() const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    if (m_selected < 0 || m_selected >= m_gpuCount)
        return nullptr;
    return m_handles[m_selected];
}

bool GpuController::isTccGpu(NvPhysicalGpuHandle gpu) const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return gpu
        && std::find(m_tccHandles.begin(), m_tccHandles.begin() + m_tccCount, gpu)
        != m_tccHandles.begin() + m_tccCount;
}

void GpuController::record(Extreme which, std::int32_t value)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    ExtremePair &pair = m_extremes[static_cast<std::size_t>(which)];
    if (value >= pair.maximum)
        pair.maximum = value;
    if (pair.minimum >= value)
        pair.minimum = value;
}

bool GpuController::failedReading(Extreme which)
{
    record(which, 0);
    return false;
}

void GpuController::readExtremes(ExtremesTable &table) const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    table = m_extremes;
}

// ---- identity and fixed information ----

bool GpuController::readPciIdentifiers(PciIdentifiers &ids)
{
    const NvPhysicalGpuHandle gpu = beginReading(ids);
    if (!gpu)
        return false;
    NvU32 device = 0, subsystem = 0, revision = 0, ext = 0;
    if (nv().gpuGetPciIdentifiers(gpu, &device, &subsystem, &revision, &ext) != NvApiStatus::Ok)
        return false;
    ids = { device, subsystem, revision, ext };
    return true;
}

QString GpuController::readPciLocation()
{
    NvPhysicalGpuHandle gpu = handle();
    NvU32 bus = 0, slot = 0;
    if (!gpu || nv().gpuGetBusId(gpu, &bus) != NvApiStatus::Ok
        || nv().gpuGetBusSlotId(gpu, &slot) != NvApiStatus::Ok)
        return QString();
    return QString::asprintf("0000:%02x:%02x.0", bus & 0xFFu, slot & 0x1Fu);
}

bool GpuController::readFanRpm(std::int32_t &rpm)
{
    rpm = 0;
    NvPhysicalGpuHandle gpu = handle();
    NvU32 value = 0;
    if (!gpu || nv().gpuGetTachReading(gpu, &value) != NvApiStatus::Ok)
        return false;
    rpm = static_cast<std::int32_t>(value);
    return true;
}

QString GpuController::readGpuName()
{
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu)
        return QString();
    char name[NvApiLimits::ShortStringMax] = {};
    if (nv().gpuGetFullName(gpu, name) != NvApiStatus::Ok)
        return QString();
    return shortString(name);
}

bool GpuController::readClockFrequencies(ClockReading &clocks, ClockKind kind)
{
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu) {
        clocks = ClockReading();
        return false;
    }
    NvClockFrequencies freq = {};
    if (!CardDriver(gpu).clockFrequencies(kind, freq))
        return false;
    clocks.gpuMhz = static_cast<std::int32_t>(freq.domain[NvClockDomainId::Graphics].frequency_kHz / 1000);
    clocks.memoryMhz = static_cast<std::int32_t>(freq.domain[NvClockDomainId::Memory].frequency_kHz / 1000);
    clocks.processorMhz
        = static_cast<std::int32_t>(freq.domain[NvClockDomainId::Processor].frequency_kHz / 1000);
    return true;
}

bool GpuController::readBaseClocks(ClockReading &clocks, bool stock)
{
    const NvPhysicalGpuHandle gpu = beginReading(clocks);
    if (!gpu)
        return false;
    NvPstates20Info info;
    if (!CardDriver(gpu).pstates(info))
        return false;
    NvU32 unusedType = 0;
    nv().gpuGetMemoryType(gpu, &unusedType);

    const NvPstates20Pstate *p0 = PstatesTable::findP0(info);
    if (!p0)
        return true;

    ClockReading base;
    const bool haveBase = readClockFrequencies(base, ClockKind::Base);
    if (stock) {
        if (!haveBase)
            return false;
        clocks = PstatesTable::stock(info, *p0, base);
        return true;
    }
    // Without base clocks from the driver, the P0 table itself tells them.
    clocks = haveBase ? PstatesTable::withOffsets(info, *p0, base) : PstatesTable::fromTable(info, *p0);
    return true;
}

bool GpuController::readDriverVersion(QString &version)
{
    version.clear();
    NvU32 driverVersion = 0;
    char branch[NvApiLimits::ShortStringMax] = {};
    if (nv().sysGetDriverAndBranchVersion(&driverVersion, branch) != NvApiStatus::Ok)
        return false;
    version = FixedInfoTexts::driverVersion(driverVersion);
    return true;
}

void GpuController::readFixedInfo(NvInfo &info)
{
    const NvPhysicalGpuHandle gpu = beginReading(info);
    if (!gpu)
        return;
    const QString unknown = QStringLiteral("Unknown");

    char text[NvApiLimits::ShortStringMax] = {};
    info.name = nv().gpuGetFullName(gpu, text) == NvApiStatus::Ok ? shortString(text) : unknown;

    MemoryReading memory;
    info.memorySize = readMemoryInfo(memory) ? QString::asprintf("%dMB", memory.dedicatedKb >> 10) : unknown;

    NvU32 typeCode = 0;
    const bool typeKnown = nv().gpuGetMemoryType(gpu, &typeCode) == NvApiStatus::Ok;
    const MemoryType type = FixedInfoTexts::memoryType(typeKnown, typeCode);
    info.memoryType = QString::fromLatin1(type.text);
    m_memoryTypeMultiplier.store(type.multiplier);

    ClockReading current, stockClocks;
    readBaseClocks(current, false);
    readBaseClocks(stockClocks, true);
    info.gpuClock = QString::asprintf("%dMHz", current.gpuMhz);
    info.defaultGpuClock = QString::asprintf("%dMHz", stockClocks.gpuMhz);
    info.defaultMemoryClock = QString::asprintf("%dMHz", stockClocks.memoryMhz);
    info.memoryClock = QString::asprintf("%dMHz", current.memoryMhz);
    info.gpuClockOffset = current.gpuMhz - stockClocks.gpuMhz;
    info.memoryClockOffset = current.memoryMhz - stockClocks.memoryMhz;

    if (!readDriverVersion(info.driverVersion))
        info.driverVersion = unknown;

    NvU32 width = 0, location = 0;
    if (nv().gpuGetFbWidthAndLocation(gpu, &width, &location) == NvApiStatus::Ok) {
        info.memoryBusWidth = QString::asprintf("%dBIT", static_cast<int>(width));
    } else {
        info.memoryBusWidth = unknown;
        width = 0;
    }

    info.memoryBandwidth = FixedInfoTexts::bandwidth(type.multiplier, current.memoryMhz, width);

    std::memset(text, 0, sizeof(text));
    info.biosVersion
        = nv().gpuGetVbiosVersionString(gpu, text) == NvApiStatus::Ok ? shortString(text).toUpper() : unknown;
}

// ---- live readings ----

void GpuController::readCurrentClocks(ClockReading &clocks)
{
    ClockReading reading;
    if (!readClockFrequencies(reading, ClockKind::Current))
        reading = ClockReading();
    clocks = reading;
    record(Extreme::GpuClock, clocks.gpuMhz);
    record(Extreme::MemoryClock, clocks.memoryMhz);
}

bool GpuController::readMemoryInfo(MemoryReading &memory)
{
    const NvPhysicalGpuHandle gpu = beginReading(memory);
    NvMemoryInfo info = {};
    const LadderResult result = gpu ? CardDriver(gpu).memoryInfo(info) : LadderResult();
    if (!result.ok())
        return failedReading(Extreme::UsedMemory);
    memory = ReadingTables::memory(info, result.answered, isTccGpu(gpu));
    record(Extreme::UsedMemory, memory.usedKb);
    return true;
}

bool GpuController::readThermal(ThermalReading &thermal)
{
    const NvPhysicalGpuHandle gpu = beginReading(thermal);
    NvThermalSettings settings = {};
    if (!gpu || !CardDriver(gpu).thermalSettings(settings))
        return failedReading(Extreme::Temperature);
    thermal = ReadingTables::thermal(settings);
    record(Extreme::Temperature, thermal.currentC);
    return true;
}

bool GpuController::readUsage(UsageReading &usage)
{
    const NvPhysicalGpuHandle gpu = beginReading(usage);
    NvDynamicPstatesInfoEx info = {};
    info.version = NvApiVersion::dynamicPstatesV1;
    if (!gpu || nv().gpuGetDynamicPstatesInfoEx(gpu, &info) != NvApiStatus::Ok)
        return failedReading(Extreme::GpuUsage);
    // A record without any domain is no reading, but neither is it the card's silence: the extremes stay.
    if (!ReadingTables::usage(info, usage))
        return false;
    record(Extreme::GpuUsage, usage.gpuPercent);
    return true;
}

bool GpuController::readCooler(CoolerReading &cooler)
{
    const NvPhysicalGpuHandle gpu = beginReading(cooler);
    if (!gpu)
        return failedReading(Extreme::FanSpeed);
    NvU32 rpm = 0;
    nv().gpuGetTachReading(gpu, &rpm);
    cooler.fanSpeedRpm = static_cast<std::int32_t>(rpm);
    NvCoolerSettings settings;
    if (!ReadingTables::coolerAnswerUsable(CardDriver(gpu).coolerSettingsForReading(settings)))
        return failedReading(Extreme::FanSpeed);
    ReadingTables::cooler(settings, cooler);
    record(Extreme::FanSpeed, cooler.fanSpeedRpm);
    return true;
}

void GpuController::readBoardTemperatures(BoardTemperatures &temperatures)
{
    static constexpr Extreme pairs[]
        = { Extreme::BoardSensor1, Extreme::BoardSensor2, Extreme::BoardSensor3, Extreme::BoardSensor4 };
    static_assert(std::size(pairs) == BoardSensorCount, "one extremes pair per board sensor");
    static_assert(
        CardProtocol::BoardSensorAddresses.size() == BoardSensorCount, "one address per board sensor");
    for (std::size_t i = 0; i < BoardSensorCount; ++i) {
        std::int32_t celsius = 0;
        readBoardSensor(CardProtocol::BoardSensorAddresses[i], celsius);
        temperatures.sensorC[i] = celsius;
        record(pairs[i], celsius);
    }
}

// ---- tuning ----

bool GpuController::readClockRange(ClockRange &range, NvU32 domain)
{
    const NvPhysicalGpuHandle gpu = beginReading(range);
    if (!gpu)
        return false;
    NvPstates20Info info;
    if (!CardDriver(gpu).pstates(info))
        return false;
    ClockReading base;
    if (!readClockFrequencies(base, ClockKind::Base))
        return false;
    range.baseClockMhz = domain == NvClockDomainId::Graphics ? base.gpuMhz : base.memoryMhz;
    if (const NvPstates20Pstate *p0 = PstatesTable::findP0(info))
        PstatesTable::offsetRange(info, *p0, domain, range);
    return true;
}

bool GpuController::readGpuClockRange(ClockRange &range)
{
    return readClockRange(range, NvClockDomainId::Graphics);
}

bool GpuController::readMemoryClockRange(ClockRange &range)
{
    return readClockRange(range, NvClockDomainId::Memory);
}

bool GpuController::readVoltageInfo(VoltageInfo &out)
{
    const NvPhysicalGpuHandle gpu = beginReading(out);
    if (!gpu)
        return false;
    NvPstates20Info info;
    if (!CardDriver(gpu).pstates(info))
        return false;
    if (const NvPstates20Pstate *p0 = PstatesTable::findP0(info))
        out = PstatesTable::voltageInfo(info, *p0);
    return true;
}

bool GpuController::readPowerInfo(PowerInfo &out)
{
    const NvPhysicalGpuHandle gpu = beginReading(out);
    if (!gpu)
        return false;

    NvPowerTopologyInfo topology;
    topology.setVersion(NvApiVersion::powerTopologyInfoV1);
    if (nv().gpuPowerTopologyGetInfo(gpu, &topology) != NvApiStatus::Ok)
        return false;
    out.supported = topology.u8(NvPowerTopologyInfo::supported) ? 1 : 0;
    if (!out.supported)
        return false;
    NvPowerTopologyStatus topologyStatus = PolicyTables::topologyRequest(topology);
    if (nv().gpuPowerTopologyGetStatus(gpu, &topologyStatus) != NvApiStatus::Ok)
        return false;

    NvPowerPoliciesInfo policies;
    if (!CardDriver(gpu).powerPoliciesInfo(policies))
        return false;
    NvPowerPoliciesStatus status = PolicyTables::powerRequest(policies, out);
    if (nv().gpuPowerPoliciesGetStatus(gpu, &status) != NvApiStatus::Ok)
        return false;
    PolicyTables::powerStatus(policies, status, topologyStatus, out);
    return true;
}

bool GpuController::readThermalLimitInfo(ThermalLimitInfo &out)
{
    const NvPhysicalGpuHandle gpu = beginReading(out);
    if (!gpu)
        return false;
    NvThermalPoliciesInfo info;
    if (CardDriver(gpu).thermalPoliciesInfo(info) != NvApiStatus::Ok)
        return false;
    out.supported = PolicyTables::thermalSupported(info) ? 1 : 0;
    if (!out.supported)
        return false;
    NvThermalPoliciesStatus status = PolicyTables::thermalRequest(info, out);
    if (CardDriver(gpu).thermalPoliciesStatus(status) != NvApiStatus::Ok)
        return false;
    PolicyTables::thermalStatus(status, out);
    return true;
}

bool GpuController::writeClockOffset(NvU32 domain, int offsetMhz, bool memoryLadder)
{
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu)
        return false;
    NvPstates20Info info = PstatesTable::clockOffsetRecord(domain, offsetMhz);
    return CardDriver(gpu).setPstates(info, memoryLadder);
}

bool GpuController::setGpuClockOffset(int offsetMhz)
{
    ClockRange range;
    readGpuClockRange(range);
    if (offsetMhz > range.maxOffsetMhz)
        offsetMhz = range.maxOffsetMhz;
    if (offsetMhz < range.minOffsetMhz)
        offsetMhz = range.minOffsetMhz;
    return writeClockOffset(NvClockDomainId::Graphics, offsetMhz, false);
}

bool GpuController::setMemoryClockOffset(int offsetMhz)
{
    ClockRange range;
    readMemoryClockRange(range);
    if (offsetMhz > range.maxOffsetMhz)
        offsetMhz = range.maxOffsetMhz;
    if (offsetMhz < range.minOffsetMhz)
        offsetMhz = range.minOffsetMhz;
    return writeClockOffset(NvClockDomainId::Memory, offsetMhz, true);
}

bool GpuController::setVoltageOffset(int offsetMicrovolts)
{
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu)
        return false;
    NvPstates20Info info = PstatesTable::voltageOffsetRecord(offsetMicrovolts);
    return CardDriver(gpu).setPstates(info, false);
}

bool GpuController::setOverVoltage(int offsetMicrovolts)
{
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu)
        return false;
    NvPstates20Info info = PstatesTable::overVoltageRecord(offsetMicrovolts);
    return CardDriver(gpu).setPstates(info, false);
}

bool GpuController::setPowerTarget(int policyId, float percent)
{
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu)
        return false;
    NvPowerPoliciesInfo info;
    if (!CardDriver(gpu).powerPoliciesInfo(info))
        return false;
    const PowerPolicy policy = PolicyTables::findPower(info, policyId);
    if (!policy.found)
        return false;
    const std::uint32_t raw = truncToUnsigned(double(percent) * 1000.0);
    if (raw > policy.maxRaw)
        percent = float(policy.maxRaw / 1000);
    else if (raw < policy.minRaw)
        percent = float(policy.minRaw / 1000);

    return CardDriver(gpu).setPowerLimit(policyId, truncToUnsigned(double(percent) * 1000.0));
}

bool GpuController::setThermalTarget(int policyId, float degrees, bool priority)
{
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu)
        return false;
    NvThermalPoliciesInfo info;
    if (CardDriver(gpu).thermalPoliciesInfo(info) != NvApiStatus::Ok || !PolicyTables::thermalSupported(info))
        return false;
    const ThermalPolicy policy = PolicyTables::findThermal(info, policyId);
    if (!policy.found)
        return false;
    if (truncToInt(double(degrees) * 256.0) > policy.maxRaw)
        degrees = float(policy.maxRaw / 256);
    if (truncToInt(double(degrees) * 256.0) < policy.minRaw)
        degrees = float(policy.minRaw / 256);

    NvThermalPoliciesStatus status
        = PolicyTables::thermalLimitRecord(policyId, truncToInt(double(degrees) * 256.0), priority ? 1 : 0);
    return CardDriver(gpu).setThermalPoliciesStatus(status) == NvApiStatus::Ok;
}

int GpuController::setThermalPriority(int policyId, int flag)
{
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu)
        return NvApiStatus::InvalidHandle;
    NvThermalPoliciesInfo info;
    const NvStatus infoStatus = CardDriver(gpu).thermalPoliciesInfo(info);
    if (infoStatus != NvApiStatus::Ok)
        return infoStatus;
    if (!PolicyTables::thermalSupported(info))
        return 0;
    const int index = PolicyTables::thermalIndex(info, policyId);
    if (!PolicyTables::findThermal(info, policyId).found)
        return index;
    if (flag != 0 && flag != 1)
        return index | (flag & 0xFF);

    ThermalLimitInfo unused;
    NvThermalPoliciesStatus status = PolicyTables::thermalRequest(info, unused);
    const NvStatus read = CardDriver(gpu).thermalPoliciesStatus(status);
    if (read != NvApiStatus::Ok)
        return read;

    // Keep the policy's current limit: an entry written with a zero limit would
    // drop the card's temperature target to its minimum.
    const std::int32_t limit = PolicyTables::thermalStatusLimit(status, policyId)
                                   .value_or(PolicyTables::findThermal(info, policyId).defaultRaw);
    NvThermalPoliciesStatus write
        = PolicyTables::thermalLimitRecord(policyId, limit, static_cast<NvU8>(flag));
    return CardDriver(gpu).setThermalPoliciesStatus(write);
}

bool GpuController::linkPowerToThermal(
    int powerPolicyId, int thermalPolicyId, float powerPercent, LinkResult &result)
{
    NvPhysicalGpuHandle gpu = handle();
    LinkLimits limits;
    if (!gpu || !CardDriver(gpu).linkLimits(powerPolicyId, thermalPolicyId, limits))
        return false;
    return LinkScaling::powerToThermal(limits, powerPercent, result);
}

bool GpuController::linkThermalToPower(
    int powerPolicyId, int thermalPolicyId, float degrees, float currentPowerPercent, LinkResult &result)
{
    NvPhysicalGpuHandle gpu = handle();
    LinkLimits limits;
    if (!gpu || !CardDriver(gpu).linkLimits(powerPolicyId, thermalPolicyId, limits))
        return false;
    result = LinkScaling::thermalToPower(limits, degrees, currentPowerPercent);
    return true;
}

bool GpuController::setCoolerLevel(int levelPercent, int policy)
{
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu)
        return false;
    bool written = false;
    if (levelPercent == -1) {
        // Back to what the driver reports as the cooler's own floor and policy.
        NvCoolerSettings settings;
        if (!CardDriver(gpu).coolerSettings(settings))
            return false;
        const std::size_t e = NvCoolerSettings::entry(0);
        written = CardDriver(gpu).setCoolerLevels(settings.s32(e + NvCoolerSettings::levelLowPercent),
            settings.s32(e + NvCoolerSettings::defaultPolicy), false);
    } else {
        written = CardDriver(gpu).setCoolerLevels(
            levelPercent, FanPolicy::isKnown(policy) ? policy : FanPolicy::None, true);
    }
    if (written) {
        NvU32 rpm = 0;
        nv().gpuGetTachReading(gpu, &rpm);
    }
    return written;
}

bool GpuController::restoreCoolerDefault()
{
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu)
        return false;
    return CardDriver(gpu).setCoolerLevels(0, FanPolicy::Automatic, true);
}

bool GpuController::restoreDefaults()
{
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu)
        return false;
    nv().gpuEnableOverclockedPstates(gpu, 1);
    writeClockOffset(NvClockDomainId::Graphics, 0, false);
    writeClockOffset(NvClockDomainId::Memory, 0, false);

    // Without the policy's default there is nothing sound to write: a zero
    // target would throttle the card to its floor.
    PowerInfo power;
    bool powerWritten = false;
    if (readPowerInfo(power))
        powerWritten
            = CardDriver(gpu).setPowerLimit(power.policyId, static_cast<NvU32>(power.defaultPercent) * 1000);

    restoreCoolerDefault();
    setVoltageOffset(0);
    ThermalLimitInfo thermal;
    readThermalLimitInfo(thermal);
    setThermalTarget(thermal.policyId, float(thermal.defaultC), true);
    setOverVoltage(0);
    setThermalPriority(thermal.policyId, 0);
    return powerWritten;
}

// ---- I2C ----

bool GpuController::i2cTransaction(bool write, std::uint8_t address, std::uint8_t registerAddress,
    int registerSize, std::uint8_t *buffer, int count)
{
    return CardDriver(handle()).i2c(write, address, registerAddress, registerSize, buffer, count);
}

bool GpuController::i2cRead(
    std::uint8_t address, std::uint8_t registerAddress, int registerSize, std::uint8_t *buffer, int count)
{
    return i2cTransaction(false, address, registerAddress, registerSize, buffer, count);
}

bool GpuController::i2cWrite(std::uint8_t address, std::uint8_t registerAddress, int registerSize,
    const std::uint8_t *buffer, int count)
{
    // The driver takes a mutable pointer for both directions; a write only reads it.
    return i2cTransaction(
        true, address, registerAddress, registerSize, const_cast<std::uint8_t *>(buffer), count);
}

bool GpuController::sendLedCommand(const std::uint8_t *payload, int payloadLength, std::uint8_t command,
    std::uint8_t parameterA, std::uint8_t parameterB, bool store)
{
    if (!handle())
        return false;
    const QByteArray packet
        = CardProtocol::ledCommandPacket(payload, payloadLength, command, parameterA, parameterB, store);
    if (packet.isEmpty())
        return false;
    return i2cWrite(CardProtocol::LedWriteAddress, 0, 0,
        reinterpret_cast<const std::uint8_t *>(packet.constData()), packet.size());
}

bool GpuController::readLedState(LedStateReading &state)
{
    QByteArray answer(CardProtocol::LedStateLength, '\0');
    if (!i2cRead(CardProtocol::LedStateAddress, 0, 0, reinterpret_cast<std::uint8_t *>(answer.data()),
            answer.size()))
        return false;
    return CardProtocol::parseLedState(answer, state);
}

bool GpuController::sendLcdFrame(
    bool lcdEnabled, bool autoSwitch, int switchSeconds, std::uint8_t displayMode)
{
    if (!m_initialized)
        return false;
    ClockReading base, current;
    readBaseClocks(base, false);
    readCurrentClocks(current);
    CoolerReading cooler;
    readCooler(cooler);
    MemoryReading memory;
    readMemoryInfo(memory);
    ThermalReading thermal;
    readThermal(thermal);
    ThermalLimitInfo limit;
    readThermalLimitInfo(limit);

    CardProtocol::LcdFrameData data;
    data.gpuName = readGpuName();
    data.sequence = static_cast<std::uint8_t>(s_lcdSequence.fetch_add(1) + 1);
    data.modeByte = CardProtocol::lcdModeByte(lcdEnabled, autoSwitch, switchSeconds, displayMode);
    PciIdentifiers ids;
    readPciIdentifiers(ids);
    data.subSystemId = ids.subSystemId;
    data.dedicatedKb = static_cast<std::uint32_t>(memory.dedicatedKb);
    data.baseGpuClockMhz = base.gpuMhz;
    data.thermalLimitC = limit.currentC;
    data.tachRangeWord = cooler.tachRangeLow;
    data.usedKb = static_cast<std::uint32_t>(memory.usedKb);
    data.gpuClockMhz = current.gpuMhz;
    data.temperatureC = thermal.currentC;
    data.fanSpeedRpm = cooler.fanSpeedRpm;

    const auto frame = CardProtocol::lcdFrame(data);
    return i2cWrite(CardProtocol::LcdAddress, 0, 0, frame.data(), static_cast<int>(frame.size()));
}

bool GpuController::readBoardSensor(std::uint8_t address, std::int32_t &temperatureC)
{
    std::uint8_t bytes[2] = { 0, 0 };
    if (!i2cRead(address, 0x00, 1, bytes, 2)) {
        temperatureC = 0;
        return false;
    }
    temperatureC = CardProtocol::boardSensorCelsius(bytes[0], bytes[1]);
    return true;
}

bool GpuController::probeLightingController()
{
    const std::uint8_t none = 0;
    return sendLedCommand(&none, 0, CardProtocol::LedProbeCommand, 0, 0, false);
}

bool GpuController::probeLcd()
{
    return sendLcdFrame(true, true, CardProtocol::LcdProbeSwitchSeconds, LcdPage80);
}
