#pragma once

#include "gpurecords.h"
#include "linkscaling.h"
#include "nvapirecords.h"
#include "nvunpublishedrecords.h"
#include "versionladder.h"

#include <cstdint>

/// The driver entries the controller uses for one GPU, each with its record
/// version ladder: what to send and in which versions, not what it means.
/// Holds nothing but the handle; a null handle makes every call fail.
class CardDriver
{
public:
    explicit CardDriver(NvPhysicalGpuHandle gpu)
        : m_gpu(gpu)
    {
    }

    /// Clock frequencies of a kind; the record is zeroed before every version.
    bool clockFrequencies(ClockKind kind, NvClockFrequencies &freq) const;
    /// The performance-state table; zeroed when every version fails.
    bool pstates(NvPstates20Info &info) const;
    /// Writes the table; the memory offset ladder starts at version 1.
    bool setPstates(NvPstates20Info &info, bool memoryLadder) const;
    /// Memory information; the answered word tells which fields are valid.
    LadderResult memoryInfo(NvMemoryInfo &info) const;
    bool thermalSettings(NvThermalSettings &settings) const;

    /// The cooler settings as the reading takes them: only a refusal of the
    /// newest version leads down the ladder, where any failure moves on.
    LadderResult coolerSettingsForReading(NvCoolerSettings &settings) const;
    /// The cooler settings, any failure moving on to the next version.
    bool coolerSettings(NvCoolerSettings &settings) const;
    /// Cooler 0's level and policy; `retryShort` tries the short record after a failure.
    bool setCoolerLevels(int level, int policy, bool retryShort) const;

    /// Policies info, and false too when the card does not support power policies.
    bool powerPoliciesInfo(NvPowerPoliciesInfo &info) const;
    /// One power policy's limit, bit 0 of its flags cleared.
    bool setPowerLimit(int policyId, std::uint32_t limitRaw) const;
    NvStatus thermalPoliciesInfo(NvThermalPoliciesInfo &info) const;
    NvStatus thermalPoliciesStatus(NvThermalPoliciesStatus &status) const;
    NvStatus setThermalPoliciesStatus(NvThermalPoliciesStatus &status) const;
    /// The limits of a power and a thermal policy, both found by id.
    bool linkLimits(int powerPolicyId, int thermalPolicyId, LinkLimits &limits) const;

    /// One I2C transaction through the transport's fallback chain.
    bool i2c(bool write, std::uint8_t address, std::uint8_t registerAddress, int registerSize,
        std::uint8_t *buffer, int count) const;

private:
    NvPhysicalGpuHandle m_gpu;
};
