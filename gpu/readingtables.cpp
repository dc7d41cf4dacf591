#include "readingtables.h"

#include "nvapiversions.h"

#include <algorithm>
#include <iterator>

MemoryReading ReadingTables::memory(const NvMemoryInfo &info, NvU32 answeredVersion, bool tcc)
{
    MemoryReading memory;
    memory.dedicatedKb = static_cast<std::int32_t>(info.dedicatedVideoMemory);
    if (tcc)
        return memory;
    const bool versionOne = (answeredVersion >> 16) == 1;
    const NvU32 available
        = versionOne ? info.availableDedicatedVideoMemory : info.curAvailableDedicatedVideoMemory;
    memory.currentAvailableKb = static_cast<std::int32_t>(available);
    memory.usedKb = static_cast<std::int32_t>(info.dedicatedVideoMemory - available);
    memory.availableDedicatedKb = static_cast<std::int32_t>(info.availableDedicatedVideoMemory);
    return memory;
}

ThermalReading ReadingTables::thermal(const NvThermalSettings &settings)
{
    const NvU32 count = std::min<NvU32>(settings.count, NvU32(std::size(settings.sensor)));
    for (NvU32 i = 0; i < count; ++i) {
        const NvThermalSensor &s = settings.sensor[i];
        if (s.target == NvThermalTargetGpu)
            return { s.defaultMinTemp, s.defaultMaxTemp, s.currentTemp };
    }
    return ThermalReading();
}

bool ReadingTables::usage(const NvDynamicPstatesInfoEx &info, UsageReading &usage)
{
    std::int32_t *fields[]
        = { &usage.gpuPercent, &usage.frameBufferPercent, &usage.videoEnginePercent, &usage.busPercent };
    static_assert(
        std::size(fields) <= std::size(NvDynamicPstatesInfoEx().utilization), "utilisation domains");
    bool any = false;
    for (std::size_t d = 0; d < std::size(fields); ++d) {
        if (!(info.utilization[d].flags & 1))
            continue;
        *fields[d] = static_cast<std::int32_t>(info.utilization[d].percentage);
        any = true;
    }
    return any;
}

bool ReadingTables::coolerAnswerUsable(const LadderResult &result)
{
    // Running off the end of the ladder fails; a first answer other than a refusal is judged here.
    if (!result.ok() && result.tried > 1)
        return false;
    const NvStatus status = result.status;
    return !(status == NvApiStatus::Error || status == NvApiStatus::InvalidArgument
        || status == NvApiStatus::HandleInvalidated || status == NvApiStatus::ExpectedPhysicalGpuHandle);
}

void ReadingTables::cooler(const NvCoolerSettings &settings, CoolerReading &cooler)
{
    const int count = static_cast<int>(
        std::min<NvU32>(settings.u32(NvCoolerSettings::count), NvCoolerSettings::maxEntries));
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
    }
}
