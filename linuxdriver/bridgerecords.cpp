#include "bridgerecords.h"

#include "nvmlunits.h"

#include <algorithm>
#include <cstring>

namespace {

/// How many entries of `stride` bytes from offset 8 the first `size` bytes hold.
std::size_t coveredEntries(std::size_t size, std::size_t stride, std::size_t maxEntries)
{
    if (size <= 8)
        return 0;
    return std::min((size - 8) / stride, maxEntries);
}

/// The policy ids a status request names, or nullopt when its count runs past its size.
template <typename Record>
std::optional<std::vector<NvU32>> requestedIds(
    const Record &record, std::size_t size, std::size_t countOffset)
{
    const std::size_t count = record.u8(countOffset);
    if (count > coveredEntries(size, Record::entryStride, Record::maxEntries))
        return std::nullopt;
    std::vector<NvU32> ids;
    for (std::size_t i = 0; i < count; ++i)
        ids.push_back(record.u32(Record::entry(i)));
    return ids;
}

bool onlyPolicy(const std::optional<std::vector<NvU32>> &ids, NvU32 policyId)
{
    if (!ids)
        return false;
    return std::all_of(ids->begin(), ids->end(), [policyId](NvU32 id) { return id == policyId; });
}

void fillDomain(NvPstates20ClockEntry &entry, NvU32 domainId, const NvmlClockDomain &clock)
{
    entry.domainId = domainId;
    // A range entry: the program adds the offset to the base clock itself,
    // and the base clock the bridge reports is the stock one.
    entry.typeId = NvClockEntryType::Range;
    entry.flags = clock.offsetAnswered ? 1 : 0;
    entry.freqDelta_kHz.value = NvmlUnits::khzFromMhz(clock.offsetMhz);
    entry.freqDelta_kHz.min = NvmlUnits::khzFromMhz(clock.minOffsetMhz);
    entry.freqDelta_kHz.max = NvmlUnits::khzFromMhz(clock.maxOffsetMhz);
    entry.data.range.minFreq_kHz = NvmlUnits::khzFromMhz(clock.p0MinMhz);
    entry.data.range.maxFreq_kHz = NvmlUnits::khzFromMhz(clock.p0MaxMhz);
    entry.data.range.domainId = NvVoltageDomain::Core;
}

template <typename Record>
std::optional<std::vector<PolicyWrite>> writesOf(const Record &record, std::size_t size,
    std::size_t countOffset, std::size_t valueOffset, std::optional<std::size_t> flagsOffset)
{
    const std::size_t count = record.u8(countOffset);
    if (count == 0 || count > coveredEntries(size, Record::entryStride, Record::maxEntries))
        return std::nullopt;
    std::vector<PolicyWrite> writes;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t e = Record::entry(i);
        PolicyWrite w;
        w.policyId = record.u32(e);
        w.value = record.s32(e + valueOffset);
        w.priority = flagsOffset && (record.u8(e + *flagsOffset) & 1) != 0;
        writes.push_back(w);
    }
    return writes;
}

} // namespace

NvPstates20Info BridgeRecords::pstates(const NvmlClockDomain &graphics, const NvmlClockDomain &memory)
{
    NvPstates20Info info;
    std::memset(&info, 0, sizeof info);
    info.flags = (graphics.offsetAnswered || memory.offsetAnswered) ? 1 : 0;
    info.numPstates = 1;
    info.numClocks = 2;
    info.numBaseVoltages = 0;
    NvPstates20Pstate &p0 = info.pstates[0];
    p0.pstateId = 0;
    p0.flags = info.flags;
    fillDomain(p0.clocks[0], NvClockDomainId::Graphics, graphics);
    fillDomain(p0.clocks[1], NvClockDomainId::Memory, memory);
    return info;
}

NvClockFrequencies BridgeRecords::clockFrequencies(const NvmlClockSet &clocks, NvU32 clockTypeWord)
{
    NvClockFrequencies frequencies;
    std::memset(&frequencies, 0, sizeof frequencies);
    frequencies.clockType = clockTypeWord;
    const auto put = [&frequencies](NvU32 domain, const NvmlClock &clock) {
        if (!clock.present)
            return;
        frequencies.domain[domain].flags = 1;
        frequencies.domain[domain].frequency_kHz = NvmlUnits::khzFromMhz(clock.mhz);
    };
    put(NvClockDomainId::Graphics, clocks.graphics);
    put(NvClockDomainId::Memory, clocks.memory);
    put(NvClockDomainId::Processor, clocks.processor);
    put(8, clocks.video);
    return frequencies;
}

NvMemoryInfo BridgeRecords::memory(const NvmlMemoryBytes &bytes)
{
    NvMemoryInfo info {};
    const unsigned long long usable = bytes.total > bytes.reserved ? bytes.total - bytes.reserved : 0;
    const unsigned long long used = std::min(bytes.used, bytes.total);
    info.dedicatedVideoMemory = NvmlUnits::kbFromBytes(bytes.total);
    info.availableDedicatedVideoMemory = NvmlUnits::kbFromBytes(usable);
    // The program counts total minus this as used: with NVML's own "used",
    // the gauge shows the number nvidia-smi shows (the reserved part is the
    // driver's, not the user's).
    info.curAvailableDedicatedVideoMemory = NvmlUnits::kbFromBytes(bytes.total - used);
    return info;
}

NvDynamicPstatesInfoEx BridgeRecords::utilization(const NvmlUtilization &utilization)
{
    NvDynamicPstatesInfoEx info {};
    info.flags = 1;
    info.utilization[0] = { 1, std::min<std::uint32_t>(utilization.gpuPercent, 100) };
    info.utilization[1] = { 1, std::min<std::uint32_t>(utilization.memoryPercent, 100) };
    if (utilization.videoPercent)
        info.utilization[2] = { 1, std::min<std::uint32_t>(*utilization.videoPercent, 100) };
    return info;
}

NvThermalSettings BridgeRecords::thermalSettings(std::int32_t currentC, std::int32_t maxC)
{
    NvThermalSettings settings {};
    settings.count = 1;
    settings.sensor[0].controller = 1; // the GPU's own sensor
    settings.sensor[0].defaultMinTemp = 0;
    settings.sensor[0].defaultMaxTemp = maxC;
    settings.sensor[0].currentTemp = currentC;
    settings.sensor[0].target = NvThermalTargetGpu;
    return settings;
}

NvThermalPoliciesInfo BridgeRecords::thermalPoliciesInfo(const NvmlAcousticLimits &limits)
{
    NvThermalPoliciesInfo info;
    info.setU8(NvThermalPoliciesInfo::flags, 1);
    info.setU8(NvThermalPoliciesInfo::count, 1);
    const std::size_t e = NvThermalPoliciesInfo::entry(0);
    info.setU32(e + NvThermalPoliciesInfo::policyId, ThermalPolicyId);
    info.setS32(e + NvThermalPoliciesInfo::minLimit, NvmlUnits::raw256FromDegrees(limits.minC));
    info.setS32(e + NvThermalPoliciesInfo::defaultLimit, NvmlUnits::raw256FromDegrees(limits.defaultC));
    info.setS32(e + NvThermalPoliciesInfo::maxLimit, NvmlUnits::raw256FromDegrees(limits.maxC));
    return info;
}

bool BridgeRecords::thermalPoliciesStatus(
    const NvmlAcousticLimits &limits, bool priority, NvThermalPoliciesStatus &inOut, std::size_t size)
{
    if (!onlyPolicy(requestedIds(inOut, size, NvThermalPoliciesStatus::count), ThermalPolicyId))
        return false;
    NvThermalPoliciesStatus status;
    status.setU8(NvThermalPoliciesStatus::count, 1);
    const std::size_t e = NvThermalPoliciesStatus::entry(0);
    status.setU32(e + NvThermalPoliciesStatus::policyId, ThermalPolicyId);
    status.setS32(e + NvThermalPoliciesStatus::limit, NvmlUnits::raw256FromDegrees(limits.currentC));
    status.setU8(e + NvThermalPoliciesStatus::flags, priority ? 1 : 0);
    inOut = status;
    return true;
}

NvPowerTopologyInfo BridgeRecords::powerTopologyInfo()
{
    NvPowerTopologyInfo info;
    info.setU8(NvPowerTopologyInfo::supported, 1);
    info.setU8(NvPowerTopologyInfo::count, 1);
    info.setU32(NvPowerTopologyInfo::channelId(0), PowerChannelId);
    return info;
}

bool BridgeRecords::powerTopologyStatus(
    std::uint32_t usageMw, std::uint32_t ratedMw, NvPowerTopologyStatus &inOut, std::size_t size)
{
    if (!onlyPolicy(requestedIds(inOut, size, NvPowerTopologyStatus::count), PowerChannelId))
        return false;
    NvPowerTopologyStatus status;
    status.setU8(NvPowerTopologyStatus::count, 1);
    const std::size_t e = NvPowerTopologyStatus::entry(0);
    status.setU32(e + NvPowerTopologyStatus::channelId, PowerChannelId);
    status.setU32(e + NvPowerTopologyStatus::power, NvmlUnits::pct1000FromMilliwatts(usageMw, ratedMw));
    inOut = status;
    return true;
}

NvPowerPoliciesInfo BridgeRecords::powerPoliciesInfo(const NvmlPowerLimits &limits)
{
    NvPowerPoliciesInfo info;
    info.setU8(NvPowerPoliciesInfo::supported, 1);
    info.setU8(NvPowerPoliciesInfo::count, 1);
    const std::size_t e = NvPowerPoliciesInfo::entry(0);
    info.setU32(e + NvPowerPoliciesInfo::policyId, PowerPolicyId);
    info.setU32(e + NvPowerPoliciesInfo::channelRef, PowerChannelId);
    info.setU32(
        e + NvPowerPoliciesInfo::minLimit, NvmlUnits::pct1000FromMilliwatts(limits.minMw, limits.ratedMw));
    info.setU32(e + NvPowerPoliciesInfo::defaultLimit,
        NvmlUnits::pct1000FromMilliwatts(limits.ratedMw, limits.ratedMw));
    info.setU32(
        e + NvPowerPoliciesInfo::maxLimit, NvmlUnits::pct1000FromMilliwatts(limits.maxMw, limits.ratedMw));
    return info;
}

bool BridgeRecords::powerPoliciesStatus(
    const NvmlPowerLimits &limits, NvPowerPoliciesStatus &inOut, std::size_t size)
{
    if (!onlyPolicy(requestedIds(inOut, size, NvPowerPoliciesStatus::count), PowerPolicyId))
        return false;
    NvPowerPoliciesStatus status;
    status.setU8(NvPowerPoliciesStatus::count, 1);
    const std::size_t e = NvPowerPoliciesStatus::entry(0);
    status.setU32(e + NvPowerPoliciesStatus::policyId, PowerPolicyId);
    status.setU32(
        e + NvPowerPoliciesStatus::limit, NvmlUnits::pct1000FromMilliwatts(limits.limitMw, limits.ratedMw));
    inOut = status;
    return true;
}

NvCoolerSettings BridgeRecords::coolerSettings(const NvmlCooler &cooler, std::size_t recordSize)
{
    NvCoolerSettings settings;
    const std::size_t room = coveredEntries(std::min(recordSize, NvCoolerSettings::size),
        NvCoolerSettings::entryStride, NvCoolerSettings::maxEntries);
    const std::size_t count = std::min(room, cooler.fans.size());
    settings.setU32(NvCoolerSettings::count, static_cast<NvU32>(count));
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t e = NvCoolerSettings::entry(i);
        settings.setU32(e + NvCoolerSettings::levelLowPercent, cooler.minPercent);
        settings.setU32(e + NvCoolerSettings::levelHighPercent, cooler.maxPercent);
        settings.setU32(e + NvCoolerSettings::currentLevelPercent, cooler.fans[i].levelPercent);
        settings.setU32(e + NvCoolerSettings::defaultPolicy, CoolerPolicyAutomatic);
        settings.setU32(e + NvCoolerSettings::currentPolicy,
            cooler.fans[i].manual ? CoolerPolicyManual : CoolerPolicyAutomatic);
        // NVML gives no tachometer range: the flag byte stays 0.
    }
    return settings;
}

std::optional<std::vector<PolicyWrite>> BridgeRecords::thermalWrites(
    const NvThermalPoliciesStatus &status, std::size_t size)
{
    return writesOf(status, size, NvThermalPoliciesStatus::count, NvThermalPoliciesStatus::limit,
        NvThermalPoliciesStatus::flags);
}

std::optional<std::vector<PolicyWrite>> BridgeRecords::powerWrites(
    const NvPowerPoliciesStatus &status, std::size_t size)
{
    return writesOf(status, size, NvPowerPoliciesStatus::count, NvPowerPoliciesStatus::limit, std::nullopt);
}
