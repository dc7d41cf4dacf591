#include "simrecordwriter.h"

#include "nvrecordversions.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

namespace {
constexpr NvU32 DomainGraphics = 0;
constexpr NvU32 DomainMemory = 4;
constexpr NvU32 DomainVideo = 8;
constexpr NvU32 VoltageDomainCore = 0;
constexpr NvU32 ThermalTargetGpu = 1;
constexpr NvU32 ThermalTargetBoard = 8;
constexpr NvU32 ThermalTargetAll = 15;
constexpr NvS32 ControllerGpuInternal = 1;
constexpr NvS32 ControllerAdm1032 = 2;
constexpr NvU32 CoolerAll = 7;
constexpr NvU32 PstateIdle = 8;
constexpr NvU32 PstateP2 = 2;

// Fields of a record computed in 64 bits and kept inside the field's type.
NvS32 toS32(std::int64_t value)
{
    return static_cast<NvS32>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

NvU32 toU32(std::int64_t value)
{
    return static_cast<NvU32>(std::clamp<std::int64_t>(value, 0, UINT32_MAX));
}

NvS32 khzOf(int mhz)
{
    return toS32(std::int64_t { mhz } * 1000);
}

std::size_t coveredEntries(std::size_t size, std::size_t base, std::size_t stride, std::size_t maxEntries)
{
    if (size <= base)
        return 0;
    return std::min(maxEntries, (size - base) / stride);
}
} // namespace

void SimRecordWriter::deliver(void *out, const void *record, std::size_t recordSize, NvU32 word)
{
    NvRecordVersions::deliver(out, record, recordSize, word);
}

std::vector<NvU32> SimRecordWriter::requestedIds(
    const NvU8 *bytes, std::size_t size, std::size_t stride, std::size_t maxEntries)
{
    std::vector<NvU32> ids;
    const std::size_t count = std::min<std::size_t>(bytes[4], coveredEntries(size, 8, stride, maxEntries));
    for (std::size_t i = 0; i < count; ++i) {
        NvU32 id = 0;
        std::memcpy(&id, bytes + 8 + i * stride, sizeof id);
        ids.push_back(id);
    }
    return ids;
}

NvStatus SimRecordWriter::pstates20(const SimCard &card, NvU32 word, NvPstates20Info *out)
{
    NvPstates20Info info {};
    info.flags = 1;
    info.numClocks = 2;
    info.numBaseVoltages = 1;
    info.numPstates = 2;
    fillP0(card, info.pstates[0]);
    if (!card.config().hasP0)
        info.pstates[0].pstateId = PstateP2;
    fillIdlePstate(card, info.pstates[1]);
    const SimCardConfig &config = card.config();
    info.ov.numVoltages = 1;
    NvPstates20BaseVoltageEntry &over = info.ov.voltages[0];
    over.domainId = VoltageDomainCore;
    over.flags = config.voltageEditable ? 1 : 0;
    over.volt_uV = toU32(std::int64_t { card.readings().coreVoltageUv } + card.tuning().voltageDeltaUv
        + card.tuning().overVoltageDeltaUv);
    over.voltDelta_uV
        = { card.tuning().overVoltageDeltaUv, config.overVoltageMinUv, config.overVoltageMaxUv };
    deliver(out, &info, sizeof info, word);
    return NvApiStatus::Ok;
}

void SimRecordWriter::fillP0(const SimCard &card, NvPstates20Pstate &pstate)
{
    const SimCardConfig &config = card.config();
    const SimTuning &tuning = card.tuning();
    pstate.pstateId = 0;
    pstate.flags = 1;

    NvPstates20ClockEntry &graphics = pstate.clocks[0];
    graphics.domainId = DomainGraphics;
    graphics.typeId = 1;
    graphics.flags = config.gpuEditable ? 1 : 0;
    graphics.freqDelta_kHz
        = { tuning.gpuOffsetKhz, khzOf(config.gpuOffsetMinMhz), khzOf(config.gpuOffsetMaxMhz) };
    graphics.data.range.minFreq_kHz = toU32(std::int64_t { config.gpuIdleMhz } * 1000);
    graphics.data.range.maxFreq_kHz
        = toU32(std::int64_t { config.gpuMaxBoostMhz } * 1000 + tuning.gpuOffsetKhz);
    graphics.data.range.domainId = VoltageDomainCore;
    graphics.data.range.minVoltage_uV = toU32(config.voltageIdleUv);
    graphics.data.range.maxVoltage_uV
        = toU32(std::int64_t { config.voltageLoadUv } + config.voltageDeltaMaxUv);

    NvPstates20ClockEntry &memory = pstate.clocks[1];
    memory.domainId = DomainMemory;
    memory.typeId = 0;
    memory.flags = config.memoryEditable ? 1 : 0;
    memory.freqDelta_kHz
        = { tuning.memoryOffsetKhz, khzOf(config.memoryOffsetMinMhz), khzOf(config.memoryOffsetMaxMhz) };
    memory.data.single.freq_kHz = toU32(std::int64_t { config.memoryMhz } * 1000 + tuning.memoryOffsetKhz);

    NvPstates20BaseVoltageEntry &core = pstate.baseVoltages[0];
    core.domainId = VoltageDomainCore;
    core.flags = config.voltageEditable ? 1 : 0;
    core.volt_uV = toU32(std::int64_t { card.readings().coreVoltageUv } + tuning.voltageDeltaUv);
    core.voltDelta_uV = { tuning.voltageDeltaUv, config.voltageDeltaMinUv, config.voltageDeltaMaxUv };
}

void SimRecordWriter::fillIdlePstate(const SimCard &card, NvPstates20Pstate &pstate)
{
    const SimCardConfig &config = card.config();
    pstate.pstateId = PstateIdle;
    pstate.flags = 0;
    NvPstates20ClockEntry &graphics = pstate.clocks[0];
    graphics.domainId = DomainGraphics;
    graphics.typeId = 1;
    graphics.data.range.minFreq_kHz = toU32(std::int64_t { config.gpuIdleMhz } * 1000);
    graphics.data.range.maxFreq_kHz = toU32(std::int64_t { config.gpuBaseMhz } * 1000 / 2);
    graphics.data.range.domainId = VoltageDomainCore;
    graphics.data.range.minVoltage_uV = toU32(config.voltageIdleUv);
    graphics.data.range.maxVoltage_uV = toU32(config.voltageIdleUv);
    NvPstates20ClockEntry &memory = pstate.clocks[1];
    memory.domainId = DomainMemory;
    memory.typeId = 0;
    memory.data.single.freq_kHz = toU32(std::int64_t { config.memoryIdleMhz } * 1000);
    NvPstates20BaseVoltageEntry &core = pstate.baseVoltages[0];
    core.domainId = VoltageDomainCore;
    core.volt_uV = toU32(config.voltageIdleUv);
}

NvStatus SimRecordWriter::clockFrequencies(const SimCard &card, NvU32 word, NvClockFrequencies *inOut)
{
    // Version 1 has no clock type: it reports the current clocks.
    const NvU32 typeWord = NvRecordVersions::versionOf(word) >= 2 ? inOut->clockType : 0;
    const int clockType = static_cast<int>(typeWord & 0xF);
    if (clockType > 2 || (typeWord & 0x00FFFFF0u) != 0)
        return NvApiStatus::InvalidArgument;
    NvClockFrequencies frequencies {};
    frequencies.clockType = typeWord;
    for (NvU32 domain : { DomainGraphics, DomainMemory, DomainVideo }) {
        frequencies.domain[domain].flags = 1;
        frequencies.domain[domain].frequency_kHz = card.clockKhz(static_cast<int>(domain), clockType);
    }
    deliver(inOut, &frequencies, sizeof frequencies, word);
    return NvApiStatus::Ok;
}

NvStatus SimRecordWriter::memoryInfo(const SimCard &card, NvU32 word, NvMemoryInfo *out)
{
    const SimCardConfig &config = card.config();
    const NvU32 used = std::min(card.readings().memoryUsedKb, config.dedicatedKb);
    NvMemoryInfo info {};
    info.dedicatedVideoMemory = config.dedicatedKb;
    info.availableDedicatedVideoMemory = config.availableDedicatedKb;
    info.systemVideoMemory = config.systemVideoKb;
    info.sharedSystemMemory = config.sharedSystemKb;
    info.curAvailableDedicatedVideoMemory = config.dedicatedKb - used;
    deliver(out, &info, sizeof info, word);
    return NvApiStatus::Ok;
}

NvStatus SimRecordWriter::thermalSettings(
    const SimCard &card, NvU32 word, NvU32 sensorIndex, NvThermalSettings *out)
{
    const SimCardConfig &config = card.config();
    const double celsius = card.readings().temperatureC;
    NvThermalSensor sensor {};
    sensor.defaultMinTemp = config.sensorDefaultMinC;
    sensor.defaultMaxTemp = config.sensorDefaultMaxC;
    if (config.gpuSensor) {
        sensor.controller = ControllerGpuInternal;
        sensor.currentTemp = static_cast<NvS32>(celsius);
        sensor.target = ThermalTargetGpu;
    } else {
        // A board without the GPU's own diode reports only an external
        // sensor on the board.
        sensor.controller = ControllerAdm1032;
        sensor.currentTemp = static_cast<NvS32>(celsius) - 6;
        sensor.target = ThermalTargetBoard;
    }
    if (sensorIndex != 0 && sensorIndex != ThermalTargetAll)
        return NvApiStatus::InvalidArgument;
    NvThermalSettings settings {};
    settings.count = 1;
    settings.sensor[0] = sensor;
    deliver(out, &settings, sizeof settings, word);
    return NvApiStatus::Ok;
}

NvStatus SimRecordWriter::dynamicPstates(const SimCard &card, NvU32 word, NvDynamicPstatesInfoEx *out)
{
    const SimReadings &readings = card.readings();
    NvDynamicPstatesInfoEx info {};
    info.flags = 1;
    const int percentages[4]
        = { readings.gpuUsage, readings.fbUsage, readings.videoUsage, readings.busUsage };
    for (int i = 0; i < 4; ++i) {
        info.utilization[i].flags = card.config().usagePresent ? 1 : 0;
        info.utilization[i].percentage = static_cast<NvU32>(std::clamp(percentages[i], 0, 100));
    }
    deliver(out, &info, sizeof info, word);
    return NvApiStatus::Ok;
}

NvStatus SimRecordWriter::coolerSettings(
    const SimCard &card, NvU32 word, NvU32 selector, NvCoolerSettings *out)
{
    const SimCardConfig &config = card.config();
    if (selector != CoolerAll && selector >= static_cast<NvU32>(config.coolerCount))
        return NvApiStatus::InvalidArgument;
    const SimReadings &readings = card.readings();
    const SimTuning &tuning = card.tuning();
    NvCoolerSettings settings;
    const std::size_t covered = coveredEntries(NvRecordVersions::sizeOf(word), NvCoolerSettings::entryBase,
        NvCoolerSettings::entryStride, NvCoolerSettings::maxEntries);
    const std::size_t count = std::min<std::size_t>(covered, static_cast<std::size_t>(config.coolerCount));
    settings.setU32(NvCoolerSettings::count, static_cast<NvU32>(count));
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t e = NvCoolerSettings::entry(i);
        settings.setU32(e + 0x00, 1); // a fan
        settings.setU32(e + 0x04, 2); // driven by the GPU's internal controller
        settings.setU32(e + NvCoolerSettings::levelLowPercent, static_cast<NvU32>(config.fanLevelMinPercent));
        settings.setU32(
            e + NvCoolerSettings::levelHighPercent, static_cast<NvU32>(config.fanLevelMaxPercent));
        settings.setU32(e + 0x10, static_cast<NvU32>(config.fanLevelMinPercent));
        settings.setU32(e + 0x14, static_cast<NvU32>(config.fanLevelMaxPercent));
        settings.setU32(
            e + NvCoolerSettings::currentLevelPercent, static_cast<NvU32>(readings.fanLevelPercent));
        settings.setU32(e + NvCoolerSettings::defaultPolicy, 32);
        settings.setU32(e + NvCoolerSettings::currentPolicy, tuning.coolerPolicy);
        settings.setU32(e + 0x24, ThermalTargetGpu);
        settings.setU32(e + 0x28, 1); // variable speed
        settings.setU32(e + 0x2C, 1); // active
        settings.setU32(e + 0x30, static_cast<NvU32>(readings.fanRpm));
        settings.setU8(e + NvCoolerSettings::tachRangeValid, config.tachRangeValid ? 1 : 0);
        if (config.tachRangeValid) {
            // The top of the tachometer's range comes first.
            settings.setU32(e + NvCoolerSettings::tachRangeLow, static_cast<NvU32>(config.fanMaxRpm));
            settings.setU32(e + NvCoolerSettings::tachRangeHigh, static_cast<NvU32>(config.fanMinRpm));
        }
    }
    deliver(out->data(), settings.data(), NvCoolerSettings::size, word);
    return NvApiStatus::Ok;
}

NvStatus SimRecordWriter::thermalPoliciesInfo(const SimCard &card, NvU32 word, NvThermalPoliciesInfo *out)
{
    const SimCardConfig &config = card.config();
    NvThermalPoliciesInfo info;
    info.setU8(NvThermalPoliciesInfo::flags, config.thermalSupported ? 1 : 0);
    if (config.thermalSupported) {
        info.setU8(NvThermalPoliciesInfo::count, 1);
        const std::size_t e = NvThermalPoliciesInfo::entry(0);
        info.setU32(e + NvThermalPoliciesInfo::policyId, config.thermalPolicyId);
        info.setS32(e + NvThermalPoliciesInfo::minLimit, toS32(std::int64_t { config.thermalMinC } * 256));
        info.setS32(
            e + NvThermalPoliciesInfo::defaultLimit, toS32(std::int64_t { config.thermalDefaultC } * 256));
        info.setS32(e + NvThermalPoliciesInfo::maxLimit, toS32(std::int64_t { config.thermalMaxC } * 256));
    }
    deliver(out->data(), info.data(), NvThermalPoliciesInfo::size, word);
    return NvApiStatus::Ok;
}

NvStatus SimRecordWriter::thermalPoliciesStatus(
    const SimCard &card, NvU32 word, NvThermalPoliciesStatus *inOut)
{
    const SimCardConfig &config = card.config();
    const std::vector<NvU32> ids = requestedIds(inOut->data(), NvRecordVersions::sizeOf(word),
        NvThermalPoliciesStatus::entryStride, NvThermalPoliciesStatus::maxEntries);
    for (NvU32 id : ids) {
        if (id != config.thermalPolicyId)
            return NvApiStatus::InvalidArgument;
    }
    NvThermalPoliciesStatus status;
    if (config.thermalSupported) {
        status.setU8(NvThermalPoliciesStatus::count, 1);
        const std::size_t e = NvThermalPoliciesStatus::entry(0);
        status.setU32(e + NvThermalPoliciesStatus::policyId, config.thermalPolicyId);
        status.setS32(e + NvThermalPoliciesStatus::limit, card.tuning().thermalLimitRaw);
        status.setU8(e + NvThermalPoliciesStatus::flags, card.tuning().thermalPriority ? 1 : 0);
    }
    deliver(inOut->data(), status.data(), NvThermalPoliciesStatus::size, word);
    return NvApiStatus::Ok;
}

NvStatus SimRecordWriter::powerTopologyInfo(const SimCard &card, NvU32 word, NvPowerTopologyInfo *out)
{
    const SimCardConfig &config = card.config();
    NvPowerTopologyInfo info;
    info.setU8(NvPowerTopologyInfo::supported, config.powerSupported ? 1 : 0);
    if (config.powerSupported) {
        info.setU8(NvPowerTopologyInfo::count, 1);
        info.setU32(NvPowerTopologyInfo::channelId(0), config.powerChannelId);
    }
    deliver(out->data(), info.data(), NvPowerTopologyInfo::size, word);
    return NvApiStatus::Ok;
}

NvStatus SimRecordWriter::powerTopologyStatus(const SimCard &card, NvU32 word, NvPowerTopologyStatus *inOut)
{
    const SimCardConfig &config = card.config();
    const std::vector<NvU32> ids = requestedIds(inOut->data(), NvRecordVersions::sizeOf(word),
        NvPowerTopologyStatus::entryStride, NvPowerTopologyStatus::maxEntries);
    for (NvU32 id : ids) {
        if (id != config.powerChannelId)
            return NvApiStatus::InvalidArgument;
    }
    NvPowerTopologyStatus status;
    if (config.powerSupported) {
        status.setU8(NvPowerTopologyStatus::count, 1);
        const std::size_t e = NvPowerTopologyStatus::entry(0);
        status.setU32(e + NvPowerTopologyStatus::channelId, config.powerChannelId);
        status.setU32(e + NvPowerTopologyStatus::power, card.readings().powerDraw);
    }
    deliver(inOut->data(), status.data(), NvPowerTopologyStatus::size, word);
    return NvApiStatus::Ok;
}

NvStatus SimRecordWriter::powerPoliciesInfo(const SimCard &card, NvU32 word, NvPowerPoliciesInfo *out)
{
    const SimCardConfig &config = card.config();
    NvPowerPoliciesInfo info;
    info.setU8(NvPowerPoliciesInfo::supported, config.powerSupported ? 1 : 0);
    if (config.powerSupported) {
        info.setU8(NvPowerPoliciesInfo::count, 1);
        const std::size_t e = NvPowerPoliciesInfo::entry(0);
        info.setU32(e + NvPowerPoliciesInfo::policyId, config.powerPolicyId);
        info.setU32(e + NvPowerPoliciesInfo::channelRef, config.powerChannelId);
        info.setU32(e + NvPowerPoliciesInfo::minLimit, config.powerMin);
        info.setU32(e + NvPowerPoliciesInfo::defaultLimit, config.powerDefault);
        info.setU32(e + NvPowerPoliciesInfo::maxLimit, config.powerMax);
    }
    deliver(out->data(), info.data(), NvPowerPoliciesInfo::size, word);
    return NvApiStatus::Ok;
}

NvStatus SimRecordWriter::powerPoliciesStatus(const SimCard &card, NvU32 word, NvPowerPoliciesStatus *inOut)
{
    const SimCardConfig &config = card.config();
    const std::vector<NvU32> ids = requestedIds(inOut->data(), NvRecordVersions::sizeOf(word),
        NvPowerPoliciesStatus::entryStride, NvPowerPoliciesStatus::maxEntries);
    for (NvU32 id : ids) {
        if (id != config.powerPolicyId)
            return NvApiStatus::InvalidArgument;
    }
    NvPowerPoliciesStatus status;
    if (config.powerSupported) {
        status.setU8(NvPowerPoliciesStatus::count, 1);
        const std::size_t e = NvPowerPoliciesStatus::entry(0);
        status.setU32(e + NvPowerPoliciesStatus::policyId, config.powerPolicyId);
        status.setU32(e + NvPowerPoliciesStatus::limit, card.tuning().powerLimit);
    }
    deliver(inOut->data(), status.data(), NvPowerPoliciesStatus::size, word);
    return NvApiStatus::Ok;
}
