#pragma once

/// The kinds of versioned records a driver library exchanges with the
/// program. Each kind has its own ladder of accepted version words (see
/// NvRecordVersions).
enum class NvRecordKind : int {
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

constexpr int NvRecordKindCount = static_cast<int>(NvRecordKind::Count);
