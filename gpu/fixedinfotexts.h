#pragma once

#include <QString>

#include <cstdint>

/// The memory type a card reports and what it means for the bandwidth.
struct MemoryType
{
    const char *text = "Unknown";
    int multiplier = 2; ///< transfers per memory clock the bandwidth counts
};

/// The texts of the fixed-information record that are more than a number
/// with a unit: memory type, driver version, memory bandwidth. C locale.
class FixedInfoTexts
{
public:
    /// The memory type for a code of the memory type query; "Unknown" (with
    /// multiplier 2) when the query failed or the code is not in the table.
    static MemoryType memoryType(bool queryOk, std::uint32_t code);

    /// The driver version with a point before its last two digits: 41109 is "411.09".
    static QString driverVersion(std::uint32_t version);

    /// multiplier x memory clock x bus width / 8 / 1000 in single precision, "%.1fGB/s".
    static QString bandwidth(int multiplier, std::int32_t memoryMhz, std::uint32_t busWidthBits);
};
