#include "simtuningapplier.h"

#include "nvrecordversions.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr NvU32 DomainGraphics = 0;
constexpr NvU32 DomainMemory = 4;
constexpr NvU32 VoltageDomainCore = 0;
constexpr NvU32 CoolerAll = 7;
constexpr NvU32 PolicyAutomatic = 32;

template <typename Record> Record copyCovered(const Record *in, NvU32 word)
{
    Record record;
    std::memcpy(record.data(), in->data(), std::min(NvRecordVersions::sizeOf(word), Record::size));
    return record;
}

std::size_t coveredEntries(NvU32 word, std::size_t stride, std::size_t maxEntries)
{
    const std::size_t size = NvRecordVersions::sizeOf(word);
    return size <= 8 ? 0 : std::min(maxEntries, (size - 8) / stride);
}
} // namespace

NvStatus SimTuningApplier::pstates20(SimCard &card, NvU32 word, const NvPstates20Info *in)
{
    NvPstates20Info info {};
    std::memcpy(&info, in, std::min(NvRecordVersions::sizeOf(word), sizeof info));
    if (info.numPstates > 16 || info.numClocks > 8 || info.numBaseVoltages > 4)
        return NvApiStatus::InvalidArgument;
    PstateChanges changes;
    for (std::size_t p = 0; p < info.numPstates; ++p) {
        const NvStatus status = collectPstate(card, info, p, changes);
        if (status != NvApiStatus::Ok)
            return status;
    }
    if (NvRecordVersions::sizeOf(word) >= sizeof info) {
        const NvStatus status = collectOverVoltage(card, info, changes);
        if (status != NvApiStatus::Ok)
            return status;
    }
    if (changes.gpu)
        card.setGpuOffsetKhz(changes.gpuKhz);
    if (changes.memory)
        card.setMemoryOffsetKhz(changes.memoryKhz);
    if (changes.voltage)
        card.setVoltageDeltaUv(changes.voltageUv);
    if (changes.overVoltage)
        card.setOverVoltageDeltaUv(changes.overVoltageUv);
    return NvApiStatus::Ok;
}

NvStatus SimTuningApplier::collectPstate(
    const SimCard &card, const NvPstates20Info &info, std::size_t index, PstateChanges &changes)
{
    const SimCardConfig &config = card.config();
    const NvPstates20Pstate &pstate = info.pstates[index];
    // Only P0 can be tuned on these cards.
    if (pstate.pstateId != 0 || !config.hasP0)
        return NvApiStatus::InvalidArgument;
    for (std::size_t c = 0; c < info.numClocks; ++c) {
        const NvPstates20ClockEntry &clock = pstate.clocks[c];
        if (clock.domainId == DomainGraphics) {
            if (!config.gpuEditable)
                return NvApiStatus::NotSupported;
            changes.gpu = true;
            changes.gpuKhz = clock.freqDelta_kHz.value;
        } else if (clock.domainId == DomainMemory) {
            if (!config.memoryEditable)
                return NvApiStatus::NotSupported;
            changes.memory = true;
            changes.memoryKhz = clock.freqDelta_kHz.value;
        } else {
            return NvApiStatus::InvalidArgument;
        }
    }
    for (std::size_t v = 0; v < info.numBaseVoltages; ++v) {
        const NvPstates20BaseVoltageEntry &voltage = pstate.baseVoltages[v];
        if (voltage.domainId != VoltageDomainCore)
            return NvApiStatus::InvalidArgument;
        if (!config.voltageEditable)
            return NvApiStatus::NotSupported;
        changes.voltage = true;
        changes.voltageUv = voltage.voltDelta_uV.value;
    }
    return NvApiStatus::Ok;
}

NvStatus SimTuningApplier::collectOverVoltage(
    const SimCard &card, const NvPstates20Info &info, PstateChanges &changes)
{
    if (info.ov.numVoltages > 4)
        return NvApiStatus::InvalidArgument;
    for (std::size_t v = 0; v < info.ov.numVoltages; ++v) {
        const NvPstates20BaseVoltageEntry &voltage = info.ov.voltages[v];
        if (voltage.domainId != VoltageDomainCore)
            return NvApiStatus::InvalidArgument;
        if (!card.config().voltageEditable)
            return NvApiStatus::NotSupported;
        changes.overVoltage = true;
        changes.overVoltageUv = voltage.voltDelta_uV.value;
    }
    return NvApiStatus::Ok;
}

NvStatus SimTuningApplier::coolerLevels(SimCard &card, NvU32 word, NvU32 selector, const NvCoolerLevels *in)
{
    const SimCardConfig &config = card.config();
    if (selector != CoolerAll && selector >= static_cast<NvU32>(config.coolerCount))
        return NvApiStatus::InvalidArgument;
    const NvCoolerLevels levels = copyCovered(in, word);
    const auto level = static_cast<int>(levels.u32(NvCoolerLevels::level(0)));
    const NvU32 policy = levels.u32(NvCoolerLevels::policy(0));
    if (policy == PolicyAutomatic) {
        card.setCooler(card.tuning().coolerLevelPercent, PolicyAutomatic);
        return NvApiStatus::Ok;
    }
    // The card pulls a level outside its bounds back into them.
    card.setCooler(level, policy);
    return NvApiStatus::Ok;
}

NvStatus SimTuningApplier::thermalPoliciesStatus(SimCard &card, NvU32 word, const NvThermalPoliciesStatus *in)
{
    const SimCardConfig &config = card.config();
    if (!config.thermalSupported)
        return NvApiStatus::NotSupported;
    const NvThermalPoliciesStatus status = copyCovered(in, word);
    const std::size_t count = status.u8(NvThermalPoliciesStatus::count);
    if (count == 0
        || count
            > coveredEntries(word, NvThermalPoliciesStatus::entryStride, NvThermalPoliciesStatus::maxEntries))
        return NvApiStatus::InvalidArgument;
    for (std::size_t i = 0; i < count; ++i) {
        if (status.u32(NvThermalPoliciesStatus::entry(i) + NvThermalPoliciesStatus::policyId)
            != config.thermalPolicyId)
            return NvApiStatus::InvalidArgument;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t e = NvThermalPoliciesStatus::entry(i);
        card.setThermalLimit(status.s32(e + NvThermalPoliciesStatus::limit),
            (status.u8(e + NvThermalPoliciesStatus::flags) & 1) != 0);
    }
    return NvApiStatus::Ok;
}

NvStatus SimTuningApplier::powerPoliciesStatus(SimCard &card, NvU32 word, const NvPowerPoliciesStatus *in)
{
    const SimCardConfig &config = card.config();
    if (!config.powerSupported)
        return NvApiStatus::NotSupported;
    const NvPowerPoliciesStatus status = copyCovered(in, word);
    const std::size_t count = status.u8(NvPowerPoliciesStatus::count);
    if (count == 0
        || count
            > coveredEntries(word, NvPowerPoliciesStatus::entryStride, NvPowerPoliciesStatus::maxEntries))
        return NvApiStatus::InvalidArgument;
    for (std::size_t i = 0; i < count; ++i) {
        if (status.u32(NvPowerPoliciesStatus::entry(i) + NvPowerPoliciesStatus::policyId)
            != config.powerPolicyId)
            return NvApiStatus::InvalidArgument;
    }
    for (std::size_t i = 0; i < count; ++i)
        card.setPowerLimit(status.u32(NvPowerPoliciesStatus::entry(i) + NvPowerPoliciesStatus::limit));
    return NvApiStatus::Ok;
}
