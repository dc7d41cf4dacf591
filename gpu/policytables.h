#pragma once

#include "nvunpublishedrecords.h"
#include "tuningrecords.h"

#include <cstdint>
#include <optional>

/// A thermal policy's limits in 1/256 degree, found by id.
struct ThermalPolicy
{
    bool found = false;
    std::int32_t minRaw = 0;
    std::int32_t defaultRaw = 0;
    std::int32_t maxRaw = 0;
};

/// A power policy's limits in 1/1000 percent, found by id.
struct PowerPolicy
{
    bool found = false;
    std::int64_t minRaw = 0;
    std::int64_t defaultRaw = 0;
    std::int64_t maxRaw = 0;
};

/// Reads and builds the power and thermal policy records and the power
/// topology: finding a policy, the requests that name the ids to read, the
/// figures the tuning page shows, the one-entry records that set a limit.
/// Counts the driver reports are bounded by the records' own sizes.
class PolicyTables
{
public:
    static bool thermalSupported(const NvThermalPoliciesInfo &info);
    static ThermalPolicy findThermal(const NvThermalPoliciesInfo &info, int policyId);
    /// Index of the thermal policy with the id, or the policy count when none has it.
    static int thermalIndex(const NvThermalPoliciesInfo &info, int policyId);
    static PowerPolicy findPower(const NvPowerPoliciesInfo &info, int policyId);

    /// A status request for every channel of the topology.
    static NvPowerTopologyStatus topologyRequest(const NvPowerTopologyInfo &topology);
    /// A status request for every power policy; fills the limits and the policy
    /// id of `out` (the last policy's remain).
    static NvPowerPoliciesStatus powerRequest(const NvPowerPoliciesInfo &policies, PowerInfo &out);
    /// The current target and, from the topology channel each policy refers to, the draw.
    static void powerStatus(const NvPowerPoliciesInfo &policies, const NvPowerPoliciesStatus &status,
        const NvPowerTopologyStatus &topology, PowerInfo &out);

    /// A status request for every thermal policy;
    /// fills the limits and the policy id of `out` (the last policy's remain).
    static NvThermalPoliciesStatus thermalRequest(const NvThermalPoliciesInfo &info, ThermalLimitInfo &out);
    /// The current limit and priority flag of the last entry.
    static void thermalStatus(const NvThermalPoliciesStatus &status, ThermalLimitInfo &out);
    /// The current limit the status reports for the policy, if it names it.
    static std::optional<std::int32_t> thermalStatusLimit(
        const NvThermalPoliciesStatus &status, int policyId);

    /// One power policy's limit with bit 0 of its flags cleared.
    static NvPowerPoliciesStatus powerLimitRecord(int policyId, std::uint32_t limitRaw);
    /// One thermal policy's limit and flags byte.
    static NvThermalPoliciesStatus thermalLimitRecord(
        int policyId, std::int32_t limitRaw, std::uint8_t flags);
};
