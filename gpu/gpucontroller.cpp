#include "gpucontroller.h"

#include "cardprotocol.h"
#include "nvapibinding.h"
#include "nvapiversions.h"


#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

std::atomic<std::uint8_t> GpuController::s_lcdSequence{0};

namespace {

NvApiBinding &nv() { return NvApiBinding::instance(); }

constexpr NvU32 AllCoolers = 7;
constexpr NvU32 GraphicsDomain = 0;
constexpr NvU32 MemoryDomain = 4;
constexpr NvU32 ProcessorDomain = 7;
constexpr NvU32 ThermalTargetGpu = 1;
constexpr int I2cSpeed400Khz = 6;
constexpr NvU32 I2cDeprecatedSpeed = 0xFFFF;

struct MemoryType
{
    const char *text;
    int multiplier;
};

constexpr std::array<MemoryType, 14> MemoryTypes = {{
    {"Unknown", 2}, {"SDRAM", 1}, {"DDR1", 2}, {"DDR2", 2}, {"GDDR2", 2}, {"GDDR3", 2}, {"GDDR4", 4},
    {"DDR3", 2}, {"GDDR5", 2}, {"LPDDR2", 2}, {"GDDR5X", 2}, {"HBM1", 2}, {"HBM2", 2}, {"SDDR4", 2},
}};

MemoryType memoryTypeFor(NvStatus status, NvU32 code)
{
    if (status != NvApiStatus::Ok || code >= MemoryTypes.size())
        return MemoryTypes[0];
    return MemoryTypes[code];
}

/// Truncates toward zero, saturating instead of overflowing on wild input.
std::int32_t truncToInt(double value)
{
    if (std::isnan(value))
        return 0;
    value = std::clamp(value, double(std::numeric_limits<std::int32_t>::min()),
                       double(std::numeric_limits<std::int32_t>::max()));
    return static_cast<std::int32_t>(value);
}

std::uint32_t truncToUnsigned(double value)
{
    if (std::isnan(value) || value <= 0.0)
        return 0;
    value = std::min(value, double(std::numeric_limits<std::uint32_t>::max()));
    return static_cast<std::uint32_t>(value);
}

std::int32_t raw256ToDegrees(std::int32_t raw) { return truncToInt(raw * 0.00390625); }

QString shortString(const char *text)
{
    return QString::fromLatin1(text, static_cast<int>(qstrnlen(text, NvApiLimits::ShortStringMax)));
}

const NvPstates20Pstate *findP0(const NvPstates20Info &info)
{
    const NvU32 count = std::min<NvU32>(info.numPstates, 16);
    for (NvU32 i = 0; i < count; ++i) {
        if (info.pstates[i].pstateId == 0)
            return &info.pstates[i];
    }
    return nullptr;
}

NvU32 clockCount(const NvPstates20Info &info) { return std::min<NvU32>(info.numClocks, 8); }
NvU32 baseVoltageCount(const NvPstates20Info &info) { return std::min<NvU32>(info.numBaseVoltages, 4); }

template <typename Record, typename Call, std::size_t N>
NvStatus tryLadder(Record &record, const std::array<NvU32, N> &ladder, Call call)
{
    NvStatus status = NvApiStatus::Error;
    for (NvU32 word : ladder) {
        record.setVersion(word);
        status = call(record);
        if (status == NvApiStatus::Ok)
            return status;
    }
    return status;
}

/// A thermal policy's limits, found by id.
struct ThermalPolicy
{
    bool found = false;
    std::int32_t minRaw = 0;
    std::int32_t defaultRaw = 0;
    std::int32_t maxRaw = 0;
};

ThermalPolicy findThermalPolicy(const NvThermalPoliciesInfo &info, int policyId)
{
    ThermalPolicy policy;
    const int count = std::min<int>(info.u8(NvThermalPoliciesInfo::count), NvThermalPoliciesInfo::maxEntries);
    for (int i = 0; i < count; ++i) {
        const std::size_t e = NvThermalPoliciesInfo::entry(i);
        if (info.s32(e + NvThermalPoliciesInfo::policyId) != policyId)
            continue;
        policy.found = true;
        policy.minRaw = info.s32(e + NvThermalPoliciesInfo::minLimit);
        policy.defaultRaw = info.s32(e + NvThermalPoliciesInfo::defaultLimit);
        policy.maxRaw = info.s32(e + NvThermalPoliciesInfo::maxLimit);
        return policy;
    }
    return policy;
}

/// A power policy's limits in 1/1000 percent, found by id.
struct PowerPolicy
{
    bool found = false;
    std::int64_t minRaw = 0;
    std::int64_t defaultRaw = 0;
    std::int64_t maxRaw = 0;
};

PowerPolicy findPowerPolicy(const NvPowerPoliciesInfo &info, int policyId)
{
    PowerPolicy policy;
    const int count = std::min<int>(info.u8(NvPowerPoliciesInfo::count), NvPowerPoliciesInfo::maxEntries);
    for (int i = 0; i < count; ++i) {
        const std::size_t e = NvPowerPoliciesInfo::entry(i);
        if (info.s32(e + NvPowerPoliciesInfo::policyId) != policyId)
            continue;
        policy.found = true;
        policy.minRaw = info.u32(e + NvPowerPoliciesInfo::minLimit);
        policy.defaultRaw = info.u32(e + NvPowerPoliciesInfo::defaultLimit);
        policy.maxRaw = info.u32(e + NvPowerPoliciesInfo::maxLimit);
        return policy;
    }
    return policy;
}

bool readPowerPoliciesInfo(NvPhysicalGpuHandle gpu, NvPowerPoliciesInfo &info)
{
    info.setVersion(NvApiVersion::powerPoliciesInfoV1);
    return nv().gpuPowerPoliciesGetInfo(gpu, &info) == NvApiStatus::Ok
        && info.u8(NvPowerPoliciesInfo::supported) != 0;
}

NvStatus readThermalPoliciesInfo(NvPhysicalGpuHandle gpu, NvThermalPoliciesInfo &info)
{
    return tryLadder(info, NvApiVersion::thermalPoliciesInfoLadder,
                     [gpu](NvThermalPoliciesInfo &r) { return nv().gpuThermalPoliciesGetInfo(gpu, &r); });
}

bool thermalSupported(const NvThermalPoliciesInfo &info) { return (info.u8(NvThermalPoliciesInfo::flags) & 1) != 0; }

/// The power and thermal policies the two linking operations scale between.
struct LinkPolicies
{
    float pMin = 0, pDef = 0, pMax = 0; ///< 1/1000 percent
    float tMin = 0, tDef = 0, tMax = 0; ///< degrees
};

bool readLinkPolicies(NvPhysicalGpuHandle gpu, int powerPolicyId, int thermalPolicyId, LinkPolicies &out)
{
    NvPowerPoliciesInfo powerInfo;
    if (!readPowerPoliciesInfo(gpu, powerInfo))
        return false;
    const PowerPolicy power = findPowerPolicy(powerInfo, powerPolicyId);
    if (!power.found)
        return false;
    NvThermalPoliciesInfo thermalInfo;
    if (readThermalPoliciesInfo(gpu, thermalInfo) != NvApiStatus::Ok || !thermalSupported(thermalInfo))
        return false;
    const ThermalPolicy thermal = findThermalPolicy(thermalInfo, thermalPolicyId);
    if (!thermal.found)
        return false;
    out.pMin = float(power.minRaw);
    out.pDef = float(power.defaultRaw);
    out.pMax = float(power.maxRaw);
    out.tMin = thermal.minRaw / 256.0f;
    out.tDef = thermal.defaultRaw / 256.0f;
    out.tMax = thermal.maxRaw / 256.0f;
    return true;
}

/// Writes one power policy's limit with bit 0 of its flags cleared.
bool writePowerLimit(NvPhysicalGpuHandle gpu, int policyId, NvU32 limitRaw)
{
    NvPowerPoliciesStatus status;
    status.setVersion(NvApiVersion::powerPoliciesStatusV1);
    status.setU8(NvPowerPoliciesStatus::count, 1);
    const std::size_t e = NvPowerPoliciesStatus::entry(0);
    status.setS32(e + NvPowerPoliciesStatus::policyId, policyId);
    status.setU32(e + NvPowerPoliciesStatus::flags, 0);
    status.setU32(e + NvPowerPoliciesStatus::limit, limitRaw);
    return nv().gpuPowerPoliciesSetStatus(gpu, &status) == NvApiStatus::Ok;
}

} // namespace

void registerGpuRecordMetaTypes()
{
    qRegisterMetaType<NvCardBaseInfo>("NvCardBaseInfo");
    qRegisterMetaType<BoardTempCompleteInfo>("BoardTempCompleteInfo");
    qRegisterMetaType<NvInfo>("NvInfo");
}

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
    m_gpuCount = enumStatus == NvApiStatus::Ok ? static_cast<int>(std::min<NvU32>(physicalCount, 64)) : 0;
    std::copy(physical, physical + m_gpuCount, m_handles.begin());
    m_tccCount = static_cast<int>(std::min<NvU32>(tccCount, 64));
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
    return gpu && std::find(m_tccHandles.begin(), m_tccHandles.begin() + m_tccCount, gpu)
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

void GpuController::readExtremes(ExtremesTable &table) const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    table = m_extremes;
}

// ---- identity and fixed information ----

bool GpuController::readPciIdentifiers(PciIdentifiers &ids)
{
    ids = PciIdentifiers();
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu)
        return false;
    NvU32 device = 0, subsystem = 0, revision = 0, ext = 0;
    if (nv().gpuGetPciIdentifiers(gpu, &device, &subsystem, &revision, &ext) != NvApiStatus::Ok)
        return false;
    ids = {device, subsystem, revision, ext};
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

bool GpuController::readClockFrequencies(ClockReading &clocks, int kind)
{
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu) {
        clocks = ClockReading();
        return false;
    }
    NvClockFrequencies freq = {};
    NvStatus status = NvApiStatus::Error;
    for (NvU32 word : NvApiVersion::clockFrequenciesLadder) {
        std::memset(&freq, 0, sizeof(freq));
        freq.version = word;
        freq.clockType = static_cast<NvU32>(kind) & 0xF;
        status = nv().gpuGetAllClockFrequencies(gpu, &freq);
        if (status == NvApiStatus::Ok)
            break;
    }
    if (status != NvApiStatus::Ok)
        return false;
    clocks.gpuMhz = static_cast<std::int32_t>(freq.domain[GraphicsDomain].frequency_kHz / 1000);
    clocks.memoryMhz = static_cast<std::int32_t>(freq.domain[MemoryDomain].frequency_kHz / 1000);
    clocks.processorMhz = static_cast<std::int32_t>(freq.domain[ProcessorDomain].frequency_kHz / 1000);
    return true;
}

bool GpuController::readPstates(NvPhysicalGpuHandle gpu, NvPstates20Info &info)
{
    for (NvU32 word : NvApiVersion::pstates20Ladder) {
        std::memset(&info, 0, sizeof(info));
        info.version = word;
        if (nv().gpuGetPstates20(gpu, &info) == NvApiStatus::Ok)
            return true;
    }
    std::memset(&info, 0, sizeof(info));
    return false;
}

bool GpuController::writePstates(NvPhysicalGpuHandle gpu, NvPstates20Info &info, bool memoryLadder)
{
    const auto &ladder = memoryLadder ? NvApiVersion::memoryOffsetLadder : NvApiVersion::pstates20Ladder;
    for (NvU32 word : ladder) {
        info.version = word;
        if (nv().gpuSetPstates20(gpu, &info) == NvApiStatus::Ok)
            return true;
    }
    return false;
}

bool GpuController::readBaseClocks(ClockReading &clocks, bool stock)
{
    clocks = ClockReading();
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu)
        return false;
    NvPstates20Info info;
    if (!readPstates(gpu, info))
        return false;
    NvU32 unusedType = 0;
    nv().gpuGetMemoryType(gpu, &unusedType);

    const NvPstates20Pstate *p0 = findP0(info);
    if (!p0)
        return true;

    ClockReading base;
    const bool haveBase = readClockFrequencies(base, 1);
    if (stock) {
        if (!haveBase)
            return false;
        clocks = base;
        for (NvU32 c = 0; c < clockCount(info); ++c) {
            const NvPstates20ClockEntry &e = p0->clocks[c];
            if (e.domainId == MemoryDomain && e.typeId == 0)
                clocks.memoryMhz -= e.freqDelta_kHz.value / 1000;
        }
        return true;
    }

    if (haveBase) {
        clocks = base;
        for (NvU32 c = 0; c < clockCount(info); ++c) {
            const NvPstates20ClockEntry &e = p0->clocks[c];
            if (e.domainId == GraphicsDomain)
                clocks.gpuMhz += e.freqDelta_kHz.value / 1000;
            else if (e.domainId == MemoryDomain)
                clocks.memoryMhz += e.freqDelta_kHz.value / 1000;
        }
        return true;
    }
    // Without base clocks from the driver, the P0 table itself tells them.
    for (NvU32 c = 0; c < clockCount(info); ++c) {
        const NvPstates20ClockEntry &e = p0->clocks[c];
        if (e.domainId == GraphicsDomain)
            clocks.gpuMhz = static_cast<std::int32_t>((e.typeId == 1 ? e.data.range.maxFreq_kHz
                                                                     : e.data.single.freq_kHz) / 1000);
        else if (e.domainId == MemoryDomain)
            clocks.memoryMhz = static_cast<std::int32_t>((e.typeId == 0 ? e.data.single.freq_kHz
                                                                        : e.data.range.maxFreq_kHz) / 1000);
    }
    return true;
}

void GpuController::readFixedInfo(NvInfo &info)
{
    info = NvInfo();
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu)
        return;
    const QString unknown = QStringLiteral("Unknown");

    char text[NvApiLimits::ShortStringMax] = {};
    info.name = nv().gpuGetFullName(gpu, text) == NvApiStatus::Ok ? shortString(text) : unknown;

    MemoryReading memory;
    info.memorySize = readMemoryInfo(memory) ? QString::asprintf("%dMB", memory.dedicatedKb >> 10) : unknown;

    NvU32 typeCode = 0;
    const NvStatus typeStatus = nv().gpuGetMemoryType(gpu, &typeCode);
    const MemoryType type = memoryTypeFor(typeStatus, typeCode);
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

    NvU32 driverVersion = 0;
    char branch[NvApiLimits::ShortStringMax] = {};
    if (nv().sysGetDriverAndBranchVersion(&driverVersion, branch) == NvApiStatus::Ok) {
        QString digits = QString::asprintf("%d", static_cast<int>(driverVersion));
        while (digits.size() < 3)
            digits.prepend(QLatin1Char('0'));
        info.driverVersion = digits.insert(digits.size() - 2, QLatin1Char('.'));
    } else {
        info.driverVersion = unknown;
    }

    NvU32 width = 0, location = 0;
    if (nv().gpuGetFbWidthAndLocation(gpu, &width, &location) == NvApiStatus::Ok) {
        info.memoryBusWidth = QString::asprintf("%dBIT", static_cast<int>(width));
    } else {
        info.memoryBusWidth = unknown;
        width = 0;
    }

    const std::int64_t product = std::int64_t(type.multiplier) * current.memoryMhz * std::int64_t(width);
    const float bandwidth = static_cast<float>(product) * 0.125f / 1000.0f;
    info.memoryBandwidth = QString::asprintf("%.1fGB/s", double(bandwidth));

    std::memset(text, 0, sizeof(text));
    info.biosVersion = nv().gpuGetVbiosVersionString(gpu, text) == NvApiStatus::Ok ? shortString(text).toUpper()
                                                                                    : unknown;
}

// ---- live readings ----

void GpuController::readCurrentClocks(ClockReading &clocks)
{
    ClockReading reading;
    if (!readClockFrequencies(reading, 0))
        reading = ClockReading();
    clocks = reading;
    record(Extreme::GpuClock, clocks.gpuMhz);
    record(Extreme::MemoryClock, clocks.memoryMhz);
}

bool GpuController::readMemoryInfo(MemoryReading &memory)
{
    memory = MemoryReading();
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu) {
        record(Extreme::UsedMemory, 0);
        return false;
    }
    NvMemoryInfo info = {};
    NvU32 answered = 0;
    for (NvU32 word : NvApiVersion::memoryInfoLadder) {
        std::memset(&info, 0, sizeof(info));
        info.version = word;
        if (nv().gpuGetMemoryInfo(gpu, &info) == NvApiStatus::Ok) {
            answered = word;
            break;
        }
    }
    if (!answered) {
        record(Extreme::UsedMemory, 0);
        return false;
    }
    memory.dedicatedKb = static_cast<std::int32_t>(info.dedicatedVideoMemory);
    if (!isTccGpu(gpu)) {
        const bool versionOne = (answered >> 16) == 1;
        const NvU32 available = versionOne ? info.availableDedicatedVideoMemory
                                           : info.curAvailableDedicatedVideoMemory;
        memory.currentAvailableKb = static_cast<std::int32_t>(available);
        memory.usedKb = static_cast<std::int32_t>(info.dedicatedVideoMemory - available);
        memory.availableDedicatedKb = static_cast<std::int32_t>(info.availableDedicatedVideoMemory);
    }
    record(Extreme::UsedMemory, memory.usedKb);
    return true;
}

bool GpuController::readThermal(ThermalReading &thermal)
{
    thermal = ThermalReading();
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu) {
        record(Extreme::Temperature, 0);
        return false;
    }
    NvThermalSettings settings = {};
    NvStatus status = NvApiStatus::Error;
    for (NvU32 word : NvApiVersion::thermalSettingsLadder) {
        std::memset(&settings, 0, sizeof(settings));
        settings.version = word;
        status = nv().gpuGetThermalSettings(gpu, 0, &settings);
        if (status == NvApiStatus::Ok)
            break;
    }
    if (status != NvApiStatus::Ok) {
        record(Extreme::Temperature, 0);
        return false;
    }
    const NvU32 count = std::min<NvU32>(settings.count, 3);
    for (NvU32 i = 0; i < count; ++i) {
        const NvThermalSensor &s = settings.sensor[i];
        if (s.target != ThermalTargetGpu)
            continue;
        thermal = {s.defaultMinTemp, s.defaultMaxTemp, s.currentTemp};
        break;
    }
    record(Extreme::Temperature, thermal.currentC);
    return true;
}

bool GpuController::readUsage(UsageReading &usage)
{
    usage = UsageReading();
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu) {
        record(Extreme::GpuUsage, 0);
        return false;
    }
    NvDynamicPstatesInfoEx info = {};
    info.version = NvApiVersion::dynamicPstatesV1;
    if (nv().gpuGetDynamicPstatesInfoEx(gpu, &info) != NvApiStatus::Ok) {
        record(Extreme::GpuUsage, 0);
        return false;
    }
    std::int32_t *fields[4] = {&usage.gpuPercent, &usage.frameBufferPercent, &usage.videoEnginePercent,
                               &usage.busPercent};
    bool any = false;
    for (int d = 0; d < 4; ++d) {
        if (!(info.utilization[d].flags & 1))
            continue;
        *fields[d] = static_cast<std::int32_t>(info.utilization[d].percentage);
        any = true;
    }
    if (!any)
        return false;
    record(Extreme::GpuUsage, usage.gpuPercent);
    return true;
}

bool GpuController::readCooler(CoolerReading &cooler)
{
    cooler = CoolerReading();
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu) {
        record(Extreme::FanSpeed, 0);
        return false;
    }
    NvU32 rpm = 0;
    nv().gpuGetTachReading(gpu, &rpm);
    cooler.fanSpeedRpm = static_cast<std::int32_t>(rpm);

    NvCoolerSettings settings;
    settings.setVersion(NvApiVersion::coolerSettingsLadder[0]);
    NvStatus status = nv().gpuGetCoolerSettings(gpu, AllCoolers, &settings);
    if (status == NvApiStatus::IncompatibleStructVersion) {
        for (std::size_t i = 1; i < NvApiVersion::coolerSettingsLadder.size() && status != NvApiStatus::Ok; ++i) {
            settings = NvCoolerSettings();
            settings.setVersion(NvApiVersion::coolerSettingsLadder[i]);
            status = nv().gpuGetCoolerSettings(gpu, AllCoolers, &settings);
        }
        if (status != NvApiStatus::Ok) {
            record(Extreme::FanSpeed, 0);
            return false;
        }
    }
    // These say the handle or the request is wrong: older versions would not help.
    if (status == NvApiStatus::Error || status == NvApiStatus::InvalidArgument
        || status == NvApiStatus::HandleInvalidated || status == NvApiStatus::ExpectedPhysicalGpuHandle) {
        record(Extreme::FanSpeed, 0);
        return false;
    }

    const int count = static_cast<int>(std::min<NvU32>(settings.u32(NvCoolerSettings::count),
                                                       NvCoolerSettings::maxEntries));
    for (int i = 0; i < count; ++i) {
        const std::size_t e = NvCoolerSettings::entry(i);
        cooler.levelHighPercent = settings.s32(e + NvCoolerSettings::levelHighPercent);
        cooler.levelLowPercent = settings.s32(e + NvCoolerSettings::levelLowPercent);
        cooler.currentLevelPercent = settings.s32(e + NvCoolerSettings::currentLevelPercent);
        cooler.policy = settings.s32(e + NvCoolerSettings::currentPolicy);
        if (settings.u8(e + NvCoolerSettings::tachRangeValid)) {
            cooler.tachRangeLow = settings.s32(e + NvCoolerSettings::tachRangeLow);
            cooler.tachRangeHigh = settings.s32(e + NvCoolerSettings::tachRangeHigh);
        }
        settings.setU32(e + NvCoolerSettings::readMark, 1);
    }
    record(Extreme::FanSpeed, cooler.fanSpeedRpm);
    return true;
}

void GpuController::readBoardTemperatures(BoardTemperatures &temperatures)
{
    static constexpr Extreme pairs[4] = {Extreme::BoardSensor1, Extreme::BoardSensor2, Extreme::BoardSensor3,
                                         Extreme::BoardSensor4};
    for (int i = 0; i < 4; ++i) {
        std::int32_t celsius = 0;
        readBoardSensor(CardProtocol::BoardSensorAddresses[i], celsius);
        temperatures.sensorC[i] = celsius;
        record(pairs[i], celsius);
    }
}

// ---- tuning ----

bool GpuController::readClockRange(ClockRange &range, int domain)
{
    range = ClockRange();
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu)
        return false;
    NvPstates20Info info;
    if (!readPstates(gpu, info))
        return false;
    ClockReading base;
    if (!readClockFrequencies(base, 1))
        return false;
    range.baseClockMhz = domain == int(GraphicsDomain) ? base.gpuMhz : base.memoryMhz;
    const NvPstates20Pstate *p0 = findP0(info);
    if (!p0)
        return true;
    for (NvU32 c = 0; c < clockCount(info); ++c) {
        const NvPstates20ClockEntry &e = p0->clocks[c];
        if (e.domainId != NvU32(domain))
            continue;
        range.editable = e.flags & 1;
        range.minOffsetMhz = e.freqDelta_kHz.min / 1000;
        range.maxOffsetMhz = e.freqDelta_kHz.max / 1000;
        break;
    }
    return true;
}

bool GpuController::readGpuClockRange(ClockRange &range) { return readClockRange(range, GraphicsDomain); }

bool GpuController::readMemoryClockRange(ClockRange &range) { return readClockRange(range, MemoryDomain); }

bool GpuController::readVoltageInfo(VoltageInfo &out)
{
    out = VoltageInfo();
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu)
        return false;
    NvPstates20Info info;
    if (!readPstates(gpu, info))
        return false;
    const NvPstates20Pstate *p0 = findP0(info);
    if (!p0)
        return true;
    for (NvU32 v = 0; v < baseVoltageCount(info); ++v) {
        const NvPstates20BaseVoltageEntry &e = p0->baseVoltages[v];
        if (e.domainId == 0)
            out.currentMv = static_cast<std::int32_t>(e.volt_uV / 1000);
        const std::int32_t stock = truncToInt((std::int64_t(e.volt_uV) - e.voltDelta_uV.value) / 1000);
        out.stockMv = stock;
        out.stockMv2 = stock;
        out.highestMv = e.voltDelta_uV.max / 1000 + stock;
        out.lowestMv = e.voltDelta_uV.min / 1000 + stock;
        out.editable = e.flags & 1;
    }
    return true;
}

bool GpuController::readPowerInfo(PowerInfo &out)
{
    out = PowerInfo();
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu)
        return false;

    NvPowerTopologyInfo topology;
    topology.setVersion(NvApiVersion::powerTopologyInfoV1);
    if (nv().gpuPowerTopologyGetInfo(gpu, &topology) != NvApiStatus::Ok)
        return false;
    out.supported = topology.u8(NvPowerTopologyInfo::supported) ? 1 : 0;
    if (!out.supported)
        return false;

    NvPowerTopologyStatus topologyStatus;
    topologyStatus.setVersion(NvApiVersion::powerTopologyStatusV1);
    const int channels = std::min<int>(topology.u8(NvPowerTopologyInfo::count),
                                       int(std::min(NvPowerTopologyInfo::maxEntries,
                                                    NvPowerTopologyStatus::maxEntries)));
    topologyStatus.setU8(NvPowerTopologyStatus::count, static_cast<NvU8>(channels));
    for (int i = 0; i < channels; ++i)
        topologyStatus.setU32(NvPowerTopologyStatus::entry(i) + NvPowerTopologyStatus::channelId,
                              topology.u32(NvPowerTopologyInfo::channelId(i)));
    if (nv().gpuPowerTopologyGetStatus(gpu, &topologyStatus) != NvApiStatus::Ok)
        return false;

    NvPowerPoliciesInfo policies;
    if (!readPowerPoliciesInfo(gpu, policies))
        return false;
    const int policyCount = std::min<int>(policies.u8(NvPowerPoliciesInfo::count),
                                          int(std::min(NvPowerPoliciesInfo::maxEntries,
                                                       NvPowerPoliciesStatus::maxEntries)));
    NvPowerPoliciesStatus status;
    status.setVersion(NvApiVersion::powerPoliciesStatusV1);
    status.setU8(NvPowerPoliciesStatus::count, static_cast<NvU8>(policyCount));
    for (int i = 0; i < policyCount; ++i) {
        const std::size_t e = NvPowerPoliciesInfo::entry(i);
        out.minimumPercent = static_cast<std::int32_t>(policies.u32(e + NvPowerPoliciesInfo::minLimit) / 1000);
        out.defaultPercent = static_cast<std::int32_t>(policies.u32(e + NvPowerPoliciesInfo::defaultLimit) / 1000);
        out.maximumPercent = static_cast<std::int32_t>(policies.u32(e + NvPowerPoliciesInfo::maxLimit) / 1000);
        out.policyId = policies.s32(e + NvPowerPoliciesInfo::policyId);
        status.setU32(NvPowerPoliciesStatus::entry(i) + NvPowerPoliciesStatus::policyId,
                      policies.u32(e + NvPowerPoliciesInfo::policyId));
    }
    if (nv().gpuPowerPoliciesGetStatus(gpu, &status) != NvApiStatus::Ok)
        return false;
    const int statusCount = std::min<int>(status.u8(NvPowerPoliciesStatus::count),
                                          int(NvPowerPoliciesStatus::maxEntries));
    for (int i = 0; i < statusCount; ++i) {
        out.currentTargetPercent = static_cast<std::int32_t>(
            status.u32(NvPowerPoliciesStatus::entry(i) + NvPowerPoliciesStatus::limit) / 1000);
        // The draw is reported by the topology channel the policy refers to.
        const NvU32 channel = i < policyCount ? policies.u32(NvPowerPoliciesInfo::entry(i)
                                                             + NvPowerPoliciesInfo::channelRef)
                                              : 0;
        const int topologyCount = std::min<int>(topologyStatus.u8(NvPowerTopologyStatus::count),
                                                int(NvPowerTopologyStatus::maxEntries));
        for (int t = 0; t < topologyCount; ++t) {
            const std::size_t te = NvPowerTopologyStatus::entry(t);
            if (topologyStatus.u32(te + NvPowerTopologyStatus::channelId) == channel)
                out.currentDrawPercent = static_cast<std::int32_t>(
                    topologyStatus.u32(te + NvPowerTopologyStatus::power) / 1000);
        }
    }
    return true;
}

bool GpuController::readThermalLimitInfo(ThermalLimitInfo &out)
{
    out = ThermalLimitInfo();
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu)
        return false;
    NvThermalPoliciesInfo info;
    if (readThermalPoliciesInfo(gpu, info) != NvApiStatus::Ok)
        return false;
    out.supported = thermalSupported(info) ? 1 : 0;
    if (!out.supported)
        return false;
    const int count = std::min<int>(info.u8(NvThermalPoliciesInfo::count),
                                    int(std::min(NvThermalPoliciesInfo::maxEntries,
                                                 NvThermalPoliciesStatus::maxEntries)));
    NvThermalPoliciesStatus status;
    status.setU8(NvThermalPoliciesStatus::count, static_cast<NvU8>(count));
    for (int i = 0; i < count; ++i) {
        const std::size_t e = NvThermalPoliciesInfo::entry(i);
        out.policyId = info.s32(e + NvThermalPoliciesInfo::policyId);
        out.minimumC = raw256ToDegrees(info.s32(e + NvThermalPoliciesInfo::minLimit));
        out.maximumC = raw256ToDegrees(info.s32(e + NvThermalPoliciesInfo::maxLimit));
        out.defaultC = raw256ToDegrees(info.s32(e + NvThermalPoliciesInfo::defaultLimit));
        status.setU32(NvThermalPoliciesStatus::entry(i) + NvThermalPoliciesStatus::policyId,
                      info.u32(e + NvThermalPoliciesInfo::policyId));
    }
    const NvStatus read = tryLadder(status, NvApiVersion::thermalPoliciesStatusLadder,
                                    [gpu](NvThermalPoliciesStatus &r) {
                                        return nv().gpuThermalPoliciesGetStatus(gpu, &r);
                                    });
    if (read != NvApiStatus::Ok)
        return false;
    const int statusCount = std::min<int>(status.u8(NvThermalPoliciesStatus::count),
                                          int(NvThermalPoliciesStatus::maxEntries));
    for (int i = 0; i < statusCount; ++i) {
        const std::size_t e = NvThermalPoliciesStatus::entry(i);
        out.currentC = raw256ToDegrees(status.s32(e + NvThermalPoliciesStatus::limit));
        out.priority = status.u8(e + NvThermalPoliciesStatus::flags) & 1;
    }
    return true;
}

bool GpuController::writeClockOffset(int domain, int offsetMhz, bool memoryLadder)
{
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu)
        return false;
    NvPstates20Info info;
    std::memset(&info, 0, sizeof(info));
    info.numPstates = 1;
    info.numClocks = 1;
    info.pstates[0].pstateId = 0;
    info.pstates[0].clocks[0].domainId = static_cast<NvU32>(domain);
    info.pstates[0].clocks[0].freqDelta_kHz.value = truncToInt(double(offsetMhz) * 1000.0);
    return writePstates(gpu, info, memoryLadder);
}

bool GpuController::setGpuClockOffset(int offsetMhz)
{
    ClockRange range;
    readGpuClockRange(range);
    if (offsetMhz > range.maxOffsetMhz)
        offsetMhz = range.maxOffsetMhz;
    if (offsetMhz < range.minOffsetMhz)
        offsetMhz = range.minOffsetMhz;
    return writeClockOffset(GraphicsDomain, offsetMhz, false);
}

bool GpuController::setMemoryClockOffset(int offsetMhz)
{
    ClockRange range;
    readMemoryClockRange(range);
    if (offsetMhz > range.maxOffsetMhz)
        offsetMhz = range.maxOffsetMhz;
    if (offsetMhz < range.minOffsetMhz)
        offsetMhz = range.minOffsetMhz;
    return writeClockOffset(MemoryDomain, offsetMhz, true);
}

bool GpuController::setVoltageOffset(int offsetMicrovolts)
{
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu)
        return false;
    NvPstates20Info info;
    std::memset(&info, 0, sizeof(info));
    info.numPstates = 1;
    info.numBaseVoltages = 1;
    info.pstates[0].baseVoltages[0].domainId = 0;
    info.pstates[0].baseVoltages[0].voltDelta_uV.value = offsetMicrovolts;
    return writePstates(gpu, info, false);
}

bool GpuController::setOverVoltage(int offsetMicrovolts)
{
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu)
        return false;
    NvPstates20Info info;
    std::memset(&info, 0, sizeof(info));
    info.ov.numVoltages = 1;
    info.ov.voltages[0].domainId = 0;
    info.ov.voltages[0].voltDelta_uV.value = offsetMicrovolts;
    return writePstates(gpu, info, false);
}

bool GpuController::setPowerTarget(int policyId, float percent)
{
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu)
        return false;
    NvPowerPoliciesInfo info;
    if (!readPowerPoliciesInfo(gpu, info))
        return false;
    const PowerPolicy policy = findPowerPolicy(info, policyId);
    if (!policy.found)
        return false;
    const std::uint32_t raw = truncToUnsigned(double(percent) * 1000.0);
    if (raw > policy.maxRaw)
        percent = float(policy.maxRaw / 1000);
    else if (raw < policy.minRaw)
        percent = float(policy.minRaw / 1000);

    return writePowerLimit(gpu, policyId, truncToUnsigned(double(percent) * 1000.0));
}

bool GpuController::setThermalTarget(int policyId, float degrees, bool priority)
{
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu)
        return false;
    NvThermalPoliciesInfo info;
    if (readThermalPoliciesInfo(gpu, info) != NvApiStatus::Ok || !thermalSupported(info))
        return false;
    const ThermalPolicy policy = findThermalPolicy(info, policyId);
    if (!policy.found)
        return false;
    if (truncToInt(double(degrees) * 256.0) > policy.maxRaw)
        degrees = float(policy.maxRaw / 256);
    if (truncToInt(double(degrees) * 256.0) < policy.minRaw)
        degrees = float(policy.minRaw / 256);

    NvThermalPoliciesStatus status;
    status.setU8(NvThermalPoliciesStatus::count, 1);
    const std::size_t e = NvThermalPoliciesStatus::entry(0);
    status.setS32(e + NvThermalPoliciesStatus::policyId, policyId);
    status.setS32(e + NvThermalPoliciesStatus::limit, truncToInt(double(degrees) * 256.0));
    status.setU8(e + NvThermalPoliciesStatus::flags, priority ? 1 : 0);
    return tryLadder(status, NvApiVersion::thermalPoliciesStatusLadder, [gpu](NvThermalPoliciesStatus &r) {
               return nv().gpuThermalPoliciesSetStatus(gpu, &r);
           })
        == NvApiStatus::Ok;
}

int GpuController::setThermalPriority(int policyId, int flag)
{
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu)
        return NvApiStatus::InvalidHandle;
    NvThermalPoliciesInfo info;
    const NvStatus infoStatus = readThermalPoliciesInfo(gpu, info);
    if (infoStatus != NvApiStatus::Ok)
        return infoStatus;
    if (!thermalSupported(info))
        return 0;
    const int count = std::min<int>(info.u8(NvThermalPoliciesInfo::count), NvThermalPoliciesInfo::maxEntries);
    int index = 0;
    while (index < count
           && info.s32(NvThermalPoliciesInfo::entry(index) + NvThermalPoliciesInfo::policyId) != policyId)
        ++index;
    if (index == count)
        return index;
    if (flag != 0 && flag != 1)
        return index | (flag & 0xFF);

    NvThermalPoliciesStatus status;
    const int statusIds = std::min<int>(count, NvThermalPoliciesStatus::maxEntries);
    status.setU8(NvThermalPoliciesStatus::count, static_cast<NvU8>(statusIds));
    for (int i = 0; i < statusIds; ++i)
        status.setU32(NvThermalPoliciesStatus::entry(i) + NvThermalPoliciesStatus::policyId,
                      info.u32(NvThermalPoliciesInfo::entry(i) + NvThermalPoliciesInfo::policyId));
    const NvStatus read = tryLadder(status, NvApiVersion::thermalPoliciesStatusLadder,
                                    [gpu](NvThermalPoliciesStatus &r) {
                                        return nv().gpuThermalPoliciesGetStatus(gpu, &r);
                                    });
    if (read != NvApiStatus::Ok)
        return read;

    // Keep the policy's current limit: an entry written with a zero limit would
    // drop the card's temperature target to its minimum.
    std::optional<std::int32_t> currentLimit;
    const int readCount = std::min<int>(status.u8(NvThermalPoliciesStatus::count),
                                        NvThermalPoliciesStatus::maxEntries);
    for (int i = 0; i < readCount; ++i) {
        const std::size_t e = NvThermalPoliciesStatus::entry(i);
        if (status.s32(e + NvThermalPoliciesStatus::policyId) == policyId)
            currentLimit = status.s32(e + NvThermalPoliciesStatus::limit);
    }
    NvThermalPoliciesStatus write;
    write.setU8(NvThermalPoliciesStatus::count, 1);
    const std::size_t e = NvThermalPoliciesStatus::entry(0);
    write.setS32(e + NvThermalPoliciesStatus::policyId, policyId);
    write.setS32(e + NvThermalPoliciesStatus::limit,
                 currentLimit.value_or(findThermalPolicy(info, policyId).defaultRaw));
    write.setU8(e + NvThermalPoliciesStatus::flags, static_cast<NvU8>(flag));
    return tryLadder(write, NvApiVersion::thermalPoliciesStatusLadder,
                     [gpu](NvThermalPoliciesStatus &r) { return nv().gpuThermalPoliciesSetStatus(gpu, &r); });
}

bool GpuController::linkPowerToThermal(int powerPolicyId, int thermalPolicyId, float powerPercent,
                                       LinkResult &result)
{
    NvPhysicalGpuHandle gpu = handle();
    LinkPolicies l;
    if (!gpu || !readLinkPolicies(gpu, powerPolicyId, thermalPolicyId, l))
        return false;
    const float p = powerPercent * 1000.0f;
    if (p > l.pMax || p < l.pMin)
        return false;

    // A policy whose default sits on its limit has no span to scale: the default stands.
    float t = l.tDef;
    if (p > l.pDef) {
        if (l.pMax > l.pDef)
            t = std::min((p - l.pDef) / (l.pMax - l.pDef) * (l.tMax - l.tDef) + l.tDef, l.tMax);
    } else if (l.pDef > l.pMin) {
        t = std::max(l.tDef - (l.pDef - p) / (l.pDef - l.pMin) * (l.tDef - l.tMin), l.tMin);
    }
    result = {powerPercent, t};
    return true;
}

bool GpuController::linkThermalToPower(int powerPolicyId, int thermalPolicyId, float degrees,
                                       float currentPowerPercent, LinkResult &result)
{
    NvPhysicalGpuHandle gpu = handle();
    LinkPolicies l;
    if (!gpu || !readLinkPolicies(gpu, powerPolicyId, thermalPolicyId, l))
        return false;

    // The side of the default is chosen by the current power, not by the temperature.
    float powerOut = l.pDef / 1000.0f;
    if (currentPowerPercent * 1000.0f > l.pDef) {
        if (l.tMax > l.tDef)
            powerOut = std::min(((degrees - l.tDef) / (l.tMax - l.tDef) * (l.pMax - l.pDef) + l.pDef) / 1000.0f,
                                l.pMax / 1000.0f);
    } else if (l.tDef > l.tMin) {
        powerOut = std::max((l.pDef - (l.tDef - degrees) / (l.tDef - l.tMin) * (l.pDef - l.pMin)) / 1000.0f,
                            l.pMin / 1000.0f);
    }
    result = {powerOut, degrees};
    return true;
}

bool GpuController::writeCoolerLevels(NvPhysicalGpuHandle gpu, int level, int policy, bool retryShort)
{
    NvCoolerLevels levels;
    levels.setVersion(NvApiVersion::coolerLevelsV1);
    levels.setS32(NvCoolerLevels::level(0), level);
    levels.setS32(NvCoolerLevels::policy(0), policy);
    if (nv().gpuSetCoolerLevels(gpu, AllCoolers, &levels) == NvApiStatus::Ok)
        return true;
    if (!retryShort)
        return false;
    levels.setVersion(NvApiVersion::coolerLevelsV1Short);
    return nv().gpuSetCoolerLevels(gpu, AllCoolers, &levels) == NvApiStatus::Ok;
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
        const NvStatus read = tryLadder(settings, NvApiVersion::coolerSettingsLadder, [gpu](NvCoolerSettings &r) {
            return nv().gpuGetCoolerSettings(gpu, AllCoolers, &r);
        });
        if (read != NvApiStatus::Ok)
            return false;
        const std::size_t e = NvCoolerSettings::entry(0);
        written = writeCoolerLevels(gpu, settings.s32(e + NvCoolerSettings::levelLowPercent),
                                    settings.s32(e + NvCoolerSettings::defaultPolicy), false);
    } else {
        const bool known = policy == 1 || policy == 2 || policy == 4 || policy == 8 || policy == 32;
        written = writeCoolerLevels(gpu, levelPercent, known ? policy : 0, true);
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
    return writeCoolerLevels(gpu, 0, FanPolicy::Automatic, true);
}

bool GpuController::restoreDefaults()
{
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu)
        return false;
    nv().gpuEnableOverclockedPstates(gpu, 1);
    writeClockOffset(GraphicsDomain, 0, false);
    writeClockOffset(MemoryDomain, 0, false);

    // Without the policy's default there is nothing sound to write: a zero
    // target would throttle the card to its floor.
    PowerInfo power;
    bool powerWritten = false;
    if (readPowerInfo(power))
        powerWritten = writePowerLimit(gpu, power.policyId, static_cast<NvU32>(power.defaultPercent) * 1000);

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
    NvPhysicalGpuHandle gpu = handle();
    if (!gpu || count < 0 || (count > 0 && !buffer))
        return false;
    std::uint8_t reg = registerAddress;
    NvI2cInfo info;
    std::memset(&info, 0, sizeof(info));
    info.displayMask = 0;
    info.bIsDDCPort = 0;
    info.i2cDevAddress = address;
    info.pbI2cRegAddress = &reg; // present even when nothing is sent
    info.regAddrSize = static_cast<NvU32>(std::clamp(registerSize, 0, 1));
    info.pbData = buffer;
    info.cbSize = static_cast<NvU32>(count);
    info.i2cSpeed = I2cDeprecatedSpeed;
    info.i2cSpeedKhz = I2cSpeed400Khz;
    info.portId = 1;
    info.bIsPortIdSet = 1;

    NvU32 outPair[2] = {0, 0};
    auto plain = [&]() { return write ? nv().i2cWrite(gpu, &info) : nv().i2cRead(gpu, &info); };
    auto extended = [&]() {
        return write ? nv().i2cWriteEx(gpu, &info, outPair) : nv().i2cReadEx(gpu, &info, outPair);
    };

    // Newest version on the plain call first; a status other than a version
    // refusal moves over to the extended call, a refusal steps the version down.
    info.version = NvApiVersion::i2cV3;
    NvStatus status = plain();
    if (status == NvApiStatus::Ok)
        return true;
    if (status == NvApiStatus::IncompatibleStructVersion) {
        info.version = NvApiVersion::i2cV2;
        status = plain();
    } else {
        status = extended();
        if (status == NvApiStatus::IncompatibleStructVersion) {
            info.version = NvApiVersion::i2cV2;
            status = extended();
        }
    }
    if (status == NvApiStatus::Ok)
        return true;
    if (status == NvApiStatus::IncompatibleStructVersion) {
        info.version = NvApiVersion::i2cV1;
        status = plain();
    } else {
        status = extended();
        if (status == NvApiStatus::IncompatibleStructVersion) {
            info.version = NvApiVersion::i2cV1;
            status = extended();
        }
    }
    return status == NvApiStatus::Ok;
}

bool GpuController::i2cRead(std::uint8_t address, std::uint8_t registerAddress, int registerSize,
                            std::uint8_t *buffer, int count)
{
    return i2cTransaction(false, address, registerAddress, registerSize, buffer, count);
}

bool GpuController::i2cWrite(std::uint8_t address, std::uint8_t registerAddress, int registerSize,
                             const std::uint8_t *buffer, int count)
{
    // The driver takes a mutable pointer for both directions; a write only reads it.
    return i2cTransaction(true, address, registerAddress, registerSize, const_cast<std::uint8_t *>(buffer),
                          count);
}

bool GpuController::sendLedCommand(const std::uint8_t *payload, int payloadLength, std::uint8_t command,
                                   std::uint8_t parameterA, std::uint8_t parameterB, bool store)
{
    if (!handle())
        return false;
    const QByteArray packet = CardProtocol::ledCommandPacket(payload, payloadLength, command, parameterA,
                                                             parameterB, store);
    if (packet.isEmpty())
        return false;
    return i2cWrite(CardProtocol::LedWriteAddress, 0, 0, reinterpret_cast<const std::uint8_t *>(packet.constData()),
                    packet.size());
}

bool GpuController::readLedState(LedStateReading &state)
{
    QByteArray answer(CardProtocol::LedStateLength, '\0');
    if (!i2cRead(CardProtocol::LedStateAddress, 0, 0, reinterpret_cast<std::uint8_t *>(answer.data()),
                 answer.size()))
        return false;
    return CardProtocol::parseLedState(answer, state);
}

bool GpuController::sendLcdFrame(bool lcdEnabled, bool autoSwitch, int switchSeconds, std::uint8_t displayMode)
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
    std::uint8_t bytes[2] = {0, 0};
    if (!i2cRead(address, 0x00, 1, bytes, 2)) {
        temperatureC = 0;
        return false;
    }
    temperatureC = CardProtocol::boardSensorCelsius(bytes[0], bytes[1]);
    return true;
}
