#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

// Conversions from the driver's fine units to the program's whole ones.

/// Truncates toward zero, saturating instead of overflowing on wild input.
inline std::int32_t truncToInt(double value)
{
    if (std::isnan(value))
        return 0;
    value = std::clamp(value, double(std::numeric_limits<std::int32_t>::min()),
        double(std::numeric_limits<std::int32_t>::max()));
    return static_cast<std::int32_t>(value);
}

/// Truncates toward zero; negative input gives 0, too large saturates.
inline std::uint32_t truncToUnsigned(double value)
{
    if (std::isnan(value) || value <= 0.0)
        return 0;
    value = std::min(value, double(std::numeric_limits<std::uint32_t>::max()));
    return static_cast<std::uint32_t>(value);
}

/// Whole degrees from 1/256 degree, truncated.
inline std::int32_t raw256ToDegrees(std::int32_t raw)
{
    return truncToInt(raw * 0.00390625);
}
