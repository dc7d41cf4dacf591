#pragma once

#include <array>
#include <cstdint>

// Ranges and settings the tuning operations read and write. Clocks in MHz,
// voltages in mV, power in percent of the rated power, temperatures in
// degrees Celsius; all truncated from the driver's finer units.

struct ClockRange
{
    std::int32_t baseClockMhz = 0;
    std::int32_t minOffsetMhz = 0;
    std::int32_t maxOffsetMhz = 0;
    std::uint8_t editable = 0;
};

struct VoltageInfo
{
    std::int32_t highestMv = 0;
    std::int32_t lowestMv = 0;
    std::int32_t stockMv = 0;
    std::int32_t stockMv2 = 0;
    std::int32_t currentMv = 0;
    std::uint8_t editable = 0;
};

struct PowerInfo
{
    std::int32_t minimumPercent = 0;
    std::int32_t maximumPercent = 0;
    std::int32_t defaultPercent = 0;
    std::int32_t currentTargetPercent = 0;
    std::int32_t currentDrawPercent = 0;
    std::int32_t policyId = 0;
    std::uint8_t supported = 0;
};

struct ThermalLimitInfo
{
    std::int32_t minimumC = 0;
    std::int32_t maximumC = 0;
    std::int32_t defaultC = 0;
    std::int32_t currentC = 0;
    std::uint8_t priority = 0;
    std::int32_t policyId = 0;
    std::uint8_t supported = 0;
};

/// A value the user gave and the value linked to it.
struct LinkResult
{
    float given = 0.0f;
    float linked = 0.0f;
};

/// What the lighting controller reports about itself.
struct LedStateReading
{
    std::array<std::array<std::uint8_t, 3>, 7> colors = {}; ///< RGB, red first
    int colorCount = 0; ///< at most 7
    std::array<unsigned, 3> parameters = { 0, 0, 0 };
    int kind = 0; ///< kind 3 has the extra features
};
