#pragma once

/// The kinds of versioned records the simulated driver exchanges. Each kind
/// has its own ladder of accepted version words (see SimVersions).
enum class SimRecordKind : int {
    Pstates20,
    ClockFrequencies,
    MemoryInfo,
    ThermalSettings,
    DynamicPstates,
    CoolerSettings,
    CoolerLevels,
    ThermalPoliciesInfo,
    ThermalPoliciesStatus,
    PowerTopologyInfo,
    PowerTopologyStatus,
    PowerPoliciesInfo,
    PowerPoliciesStatus,
    I2cInfo,
    Count
};

constexpr int SimRecordKindCount = static_cast<int>(SimRecordKind::Count);
