#include "nvmlgpu.h"

#include <algorithm>
#include <vector>

namespace {
constexpr nvmlReturn_t Missing = Nvml::Return::FunctionNotFound;
} // namespace

NvmlGpu::NvmlGpu(const NvmlSymbols &symbols, nvmlDevice_t device)
    : m_nvml(symbols)
    , m_device(device)
{
}

bool NvmlGpu::tryOlder(nvmlReturn_t status)
{
    return status == Nvml::Return::NotSupported || status == Nvml::Return::FunctionNotFound
        || status == Nvml::Return::ArgumentVersionMismatch || status == Nvml::Return::Deprecated;
}

nvmlReturn_t NvmlGpu::text(NvmlFn::DeviceGetText fn, std::size_t capacity, std::string &out) const
{
    out.clear();
    if (!fn)
        return Missing;
    std::vector<char> buffer(capacity + 1, '\0');
    const nvmlReturn_t status = fn(m_device, buffer.data(), static_cast<unsigned int>(capacity));
    if (status == Nvml::Return::Success)
        out.assign(buffer.data());
    return status;
}

nvmlReturn_t NvmlGpu::name(std::string &name) const
{
    return text(m_nvml.getName, Nvml::DeviceNameBuffer, name);
}

nvmlReturn_t NvmlGpu::vbiosVersion(std::string &version) const
{
    return text(m_nvml.getVbiosVersion, Nvml::VbiosBuffer, version);
}

nvmlReturn_t NvmlGpu::pciInfo(nvmlPciInfo_t &info) const
{
    info = nvmlPciInfo_t();
    if (!m_nvml.getPciInfo)
        return Missing;
    const nvmlReturn_t status = m_nvml.getPciInfo(m_device, &info);
    info.busId[sizeof info.busId - 1] = '\0';
    return status;
}

nvmlReturn_t NvmlGpu::memoryBusWidth(unsigned int &bits) const
{
    bits = 0;
    return m_nvml.getMemoryBusWidth ? m_nvml.getMemoryBusWidth(m_device, &bits) : Missing;
}

nvmlReturn_t NvmlGpu::memory(NvmlMemoryBytes &bytes) const
{
    bytes = NvmlMemoryBytes();
    nvmlReturn_t status = Missing;
    if (m_nvml.getMemoryInfoV2) {
        nvmlMemory_v2_t v2 {};
        v2.version = Nvml::memoryV2;
        status = m_nvml.getMemoryInfoV2(m_device, &v2);
        if (status == Nvml::Return::Success) {
            bytes = { v2.total, v2.reserved, v2.free, v2.used };
            return status;
        }
        if (!tryOlder(status))
            return status;
    }
    if (!m_nvml.getMemoryInfo)
        return status;
    nvmlMemory_t v1 {};
    status = m_nvml.getMemoryInfo(m_device, &v1);
    if (status == Nvml::Return::Success)
        bytes = { v1.total, 0, v1.free, v1.used };
    return status;
}

NvmlClock NvmlGpu::clockOf(NvmlFn::DeviceGetClock fn, unsigned int type) const
{
    NvmlClock clock;
    if (!fn)
        return clock;
    unsigned int mhz = 0;
    if (fn(m_device, type, &mhz) == Nvml::Return::Success)
        clock = { true, mhz };
    return clock;
}

NvmlClockSet NvmlGpu::clocks(ClockKind kind) const
{
    const auto pick = [this, kind](unsigned int type) {
        if (kind == ClockKind::Current)
            return clockOf(m_nvml.getClockInfo, type);
        const NvmlClock preferred = clockOf(
            kind == ClockKind::Base ? m_nvml.getDefaultApplicationsClock : m_nvml.getMaxCustomerBoostClock,
            type);
        return preferred.present && preferred.mhz > 0 ? preferred : clockOf(m_nvml.getMaxClockInfo, type);
    };
    NvmlClockSet set;
    set.graphics = pick(Nvml::Clock::Graphics);
    set.memory = pick(Nvml::Clock::Memory);
    set.processor = pick(Nvml::Clock::Sm);
    set.video = pick(Nvml::Clock::Video);
    return set;
}

nvmlReturn_t NvmlGpu::clockDomain(unsigned int clockType, NvmlClockDomain &domain) const
{
    domain = NvmlClockDomain();
    if (m_nvml.getMinMaxClockOfPstate)
        m_nvml.getMinMaxClockOfPstate(
            m_device, clockType, Nvml::PstateP0, &domain.p0MinMhz, &domain.p0MaxMhz);

    nvmlReturn_t status = Missing;
    if (m_nvml.getClockOffsets) {
        nvmlClockOffset_v1_t offset {};
        offset.version = Nvml::clockOffsetV1;
        offset.type = clockType;
        offset.pstate = Nvml::PstateP0;
        status = m_nvml.getClockOffsets(m_device, &offset);
        if (status == Nvml::Return::Success) {
            domain = { true, offset.clockOffsetMHz, offset.minClockOffsetMHz, offset.maxClockOffsetMHz,
                domain.p0MinMhz, domain.p0MaxMhz };
            return status;
        }
        if (!tryOlder(status))
            return status;
    }
    const bool graphics = clockType == Nvml::Clock::Graphics;
    const NvmlFn::DeviceGetInt get = graphics ? m_nvml.getGpcClkVfOffset : m_nvml.getMemClkVfOffset;
    const NvmlFn::DeviceGetIntRange range
        = graphics ? m_nvml.getGpcClkMinMaxVfOffset : m_nvml.getMemClkMinMaxVfOffset;
    if (!get || !range)
        return status;
    int value = 0, low = 0, high = 0;
    status = get(m_device, &value);
    if (status != Nvml::Return::Success)
        return status;
    status = range(m_device, &low, &high);
    if (status != Nvml::Return::Success)
        return status;
    domain.offsetAnswered = true;
    domain.offsetMhz = value;
    domain.minOffsetMhz = low;
    domain.maxOffsetMhz = high;
    return status;
}

nvmlReturn_t NvmlGpu::setClockOffset(unsigned int clockType, std::int32_t offsetMhz) const
{
    nvmlReturn_t status = Missing;
    if (m_nvml.setClockOffsets) {
        nvmlClockOffset_v1_t offset {};
        offset.version = Nvml::clockOffsetV1;
        offset.type = clockType;
        offset.pstate = Nvml::PstateP0;
        offset.clockOffsetMHz = offsetMhz;
        status = m_nvml.setClockOffsets(m_device, &offset);
        if (!tryOlder(status))
            return status;
    }
    const NvmlFn::DeviceSetInt set
        = clockType == Nvml::Clock::Graphics ? m_nvml.setGpcClkVfOffset : m_nvml.setMemClkVfOffset;
    return set ? set(m_device, offsetMhz) : status;
}

nvmlReturn_t NvmlGpu::utilization(NvmlUtilization &utilization) const
{
    utilization = NvmlUtilization();
    if (!m_nvml.getUtilizationRates)
        return Missing;
    nvmlUtilization_t rates {};
    const nvmlReturn_t status = m_nvml.getUtilizationRates(m_device, &rates);
    if (status != Nvml::Return::Success)
        return status;
    utilization.gpuPercent = rates.gpu;
    utilization.memoryPercent = rates.memory;
    for (NvmlFn::DeviceGetCodecUtilization fn :
        { m_nvml.getEncoderUtilization, m_nvml.getDecoderUtilization }) {
        unsigned int percent = 0, samplingUs = 0;
        if (fn && fn(m_device, &percent, &samplingUs) == Nvml::Return::Success)
            utilization.videoPercent = std::max(utilization.videoPercent.value_or(0), percent);
    }
    return status;
}

nvmlReturn_t NvmlGpu::temperature(std::int32_t &celsius) const
{
    celsius = 0;
    nvmlReturn_t status = Missing;
    if (m_nvml.getTemperatureV) {
        nvmlTemperature_v1_t reading {};
        reading.version = Nvml::temperatureV1;
        reading.sensorType = Nvml::TemperatureGpu;
        status = m_nvml.getTemperatureV(m_device, &reading);
        if (status == Nvml::Return::Success) {
            celsius = reading.temperature;
            return status;
        }
        if (!tryOlder(status))
            return status;
    }
    if (!m_nvml.getTemperature)
        return status;
    unsigned int value = 0;
    status = m_nvml.getTemperature(m_device, Nvml::TemperatureGpu, &value);
    if (status == Nvml::Return::Success)
        celsius = static_cast<std::int32_t>(std::min(value, 1000u));
    return status;
}

nvmlReturn_t NvmlGpu::threshold(unsigned int which, std::int32_t &celsius) const
{
    celsius = 0;
    if (!m_nvml.getTemperatureThreshold)
        return Missing;
    unsigned int value = 0;
    const nvmlReturn_t status = m_nvml.getTemperatureThreshold(m_device, which, &value);
    if (status == Nvml::Return::Success)
        celsius = static_cast<std::int32_t>(std::min(value, 1000u));
    return status;
}

nvmlReturn_t NvmlGpu::setAcousticTarget(std::int32_t celsius) const
{
    if (!m_nvml.setTemperatureThreshold)
        return Missing;
    int value = celsius;
    return m_nvml.setTemperatureThreshold(m_device, Nvml::Threshold::AcousticCurrent, &value);
}

nvmlReturn_t NvmlGpu::powerUsage(std::uint32_t &milliwatts) const
{
    milliwatts = 0;
    unsigned int value = 0;
    if (!m_nvml.getPowerUsage)
        return Missing;
    const nvmlReturn_t status = m_nvml.getPowerUsage(m_device, &value);
    milliwatts = value;
    return status;
}

nvmlReturn_t NvmlGpu::powerLimits(NvmlPowerLimits &limits) const
{
    limits = NvmlPowerLimits();
    if (!m_nvml.getPowerDefaultLimit || !m_nvml.getPowerLimit || !m_nvml.getPowerLimitConstraints)
        return Missing;
    unsigned int rated = 0, current = 0, low = 0, high = 0;
    nvmlReturn_t status = m_nvml.getPowerDefaultLimit(m_device, &rated);
    if (status == Nvml::Return::Success)
        status = m_nvml.getPowerLimit(m_device, &current);
    if (status == Nvml::Return::Success)
        status = m_nvml.getPowerLimitConstraints(m_device, &low, &high);
    if (status != Nvml::Return::Success)
        return status;
    // A rating of 0 or a range that does not hold it cannot be shown as percent.
    if (rated == 0 || low > high)
        return Nvml::Return::NotSupported;
    limits = { rated, low, high, current };
    return status;
}

nvmlReturn_t NvmlGpu::setPowerLimit(std::uint32_t milliwatts) const
{
    nvmlReturn_t status = Missing;
    if (m_nvml.setPowerLimitV2) {
        nvmlPowerValue_v2_t value {};
        value.version = Nvml::powerValueV2;
        value.powerScope = Nvml::PowerScopeGpu;
        value.powerValueMw = milliwatts;
        status = m_nvml.setPowerLimitV2(m_device, &value);
        if (!tryOlder(status))
            return status;
    }
    return m_nvml.setPowerLimit ? m_nvml.setPowerLimit(m_device, milliwatts) : status;
}

nvmlReturn_t NvmlGpu::fanCount(unsigned int &count) const
{
    count = 0;
    return m_nvml.getNumFans ? m_nvml.getNumFans(m_device, &count) : Missing;
}

nvmlReturn_t NvmlGpu::cooler(NvmlCooler &cooler) const
{
    cooler = NvmlCooler();
    unsigned int count = 0;
    nvmlReturn_t status = fanCount(count);
    if (status != Nvml::Return::Success)
        return status;
    if (count == 0 || !m_nvml.getFanSpeed)
        return Nvml::Return::NotSupported;
    unsigned int low = 0, high = 100;
    if (m_nvml.getMinMaxFanSpeed && m_nvml.getMinMaxFanSpeed(m_device, &low, &high) == Nvml::Return::Success
        && low <= high && high <= 100)
        cooler.minPercent = low, cooler.maxPercent = high;
    for (unsigned int fan = 0; fan < std::min(count, 32u); ++fan) {
        NvmlFan state;
        status = m_nvml.getFanSpeed(m_device, fan, &state.levelPercent);
        if (status != Nvml::Return::Success)
            return status;
        unsigned int policy = Nvml::FanPolicy::TemperatureContinuousSoftware;
        if (m_nvml.getFanControlPolicy)
            m_nvml.getFanControlPolicy(m_device, fan, &policy);
        state.manual = policy == Nvml::FanPolicy::Manual;
        cooler.fans.push_back(state);
    }
    return Nvml::Return::Success;
}

nvmlReturn_t NvmlGpu::setFanLevel(unsigned int fan, unsigned int percent) const
{
    return m_nvml.setFanSpeed ? m_nvml.setFanSpeed(m_device, fan, percent) : Missing;
}

nvmlReturn_t NvmlGpu::setFanAutomatic(unsigned int fan) const
{
    return m_nvml.setDefaultFanSpeed ? m_nvml.setDefaultFanSpeed(m_device, fan) : Missing;
}

nvmlReturn_t NvmlGpu::fanRpm(std::uint32_t &rpm) const
{
    rpm = 0;
    if (!m_nvml.getFanSpeedRpm)
        return Missing;
    nvmlFanSpeedInfo_v1_t info {};
    info.version = Nvml::fanSpeedInfoV1;
    info.fan = 0;
    const nvmlReturn_t status = m_nvml.getFanSpeedRpm(m_device, &info);
    if (status == Nvml::Return::Success)
        rpm = info.speed;
    return status;
}
