#pragma once

#include "nvapirecords.h"
#include "nvunpublishedrecords.h"

#include <cstdint>
#include <optional>
#include <vector>

/// The offset state of one clock domain as NVML tells it (offsets in NVML's
/// own unit: MHz of the clock for graphics, transfer-rate MHz for memory).
struct NvmlClockDomain
{
    bool offsetAnswered = false; ///< the domain is editable only then
    std::int32_t offsetMhz = 0;
    std::int32_t minOffsetMhz = 0;
    std::int32_t maxOffsetMhz = 0;
    std::uint32_t p0MinMhz = 0;
    std::uint32_t p0MaxMhz = 0;
};

/// One clock of NVML's: present or not, and its value.
struct NvmlClock
{
    bool present = false;
    std::uint32_t mhz = 0;
};

/// The clocks of one clock type, in the program's domains.
struct NvmlClockSet
{
    NvmlClock graphics;
    NvmlClock memory;
    NvmlClock processor;
    NvmlClock video;
};

struct NvmlMemoryBytes
{
    unsigned long long total = 0;
    unsigned long long reserved = 0;
    unsigned long long free = 0;
    unsigned long long used = 0;
};

struct NvmlUtilization
{
    std::uint32_t gpuPercent = 0;
    std::uint32_t memoryPercent = 0;
    std::optional<std::uint32_t> videoPercent; ///< the busier of encoder and decoder
};

/// The acoustic temperature target, whole degrees.
struct NvmlAcousticLimits
{
    std::int32_t minC = 0;
    std::int32_t currentC = 0;
    std::int32_t maxC = 0;
    std::int32_t defaultC = 0; ///< the first target seen in this boot
};

/// Power in mW; the rated power is the default limit.
struct NvmlPowerLimits
{
    std::uint32_t ratedMw = 0;
    std::uint32_t minMw = 0;
    std::uint32_t maxMw = 0;
    std::uint32_t limitMw = 0;
};

struct NvmlFan
{
    std::uint32_t levelPercent = 0;
    bool manual = false;
};

struct NvmlCooler
{
    std::uint32_t minPercent = 0;
    std::uint32_t maxPercent = 100;
    std::vector<NvmlFan> fans;
};

/// A thermal or power status entry the program asked to write.
struct PolicyWrite
{
    NvU32 policyId = 0;
    NvS32 value = 0; ///< 1/256 degree or 1/1000 percent
    bool priority = false;
};

/// Pure translations between NVML's values and the driver records the program
/// reads and writes: no NVML call, so every byte is checked by tables.
namespace BridgeRecords {
constexpr NvU32 ThermalPolicyId = 1;
constexpr NvU32 PowerPolicyId = 0;
constexpr NvU32 PowerChannelId = 0;
constexpr NvU32 CoolerPolicyManual = 1;
constexpr NvU32 CoolerPolicyAutomatic = 32;

/// One P-state (P0) with the graphics and the memory clock; a domain is
/// editable only when its offset answered. No voltage entries: NVML has no
/// core voltage.
NvPstates20Info pstates(const NvmlClockDomain &graphics, const NvmlClockDomain &memory);
NvClockFrequencies clockFrequencies(const NvmlClockSet &clocks, NvU32 clockTypeWord);
NvMemoryInfo memory(const NvmlMemoryBytes &bytes);
NvDynamicPstatesInfoEx utilization(const NvmlUtilization &utilization);
NvThermalSettings thermalSettings(std::int32_t currentC, std::int32_t maxC);
NvThermalPoliciesInfo thermalPoliciesInfo(const NvmlAcousticLimits &limits);
/// The status of the requested policies (all of them for a count of 0), the
/// request read as far as the caller's `size` covers it; false when it names
/// a policy the card does not have or runs past its size.
bool thermalPoliciesStatus(
    const NvmlAcousticLimits &limits, bool priority, NvThermalPoliciesStatus &inOut, std::size_t size);
NvPowerTopologyInfo powerTopologyInfo();
/// The one channel's draw as 1/1000 percent of the rated power; false when
/// the request names another channel.
bool powerTopologyStatus(
    std::uint32_t usageMw, std::uint32_t ratedMw, NvPowerTopologyStatus &inOut, std::size_t size);
NvPowerPoliciesInfo powerPoliciesInfo(const NvmlPowerLimits &limits);
bool powerPoliciesStatus(const NvmlPowerLimits &limits, NvPowerPoliciesStatus &inOut, std::size_t size);
/// Cooler entries for as many fans as the caller's record size holds.
NvCoolerSettings coolerSettings(const NvmlCooler &cooler, std::size_t recordSize);

/// The entries of a status record the program wants written, read only as far
/// as the record's size and count go; nullopt for a malformed record.
std::optional<std::vector<PolicyWrite>> thermalWrites(
    const NvThermalPoliciesStatus &status, std::size_t size);
std::optional<std::vector<PolicyWrite>> powerWrites(const NvPowerPoliciesStatus &status, std::size_t size);
} // namespace BridgeRecords
