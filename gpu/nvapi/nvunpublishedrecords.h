#pragma once

#include "nvrawrecord.h"

// The records the driver does not publish, at the largest size any version
// word names. Only the offsets below are known; the rest belongs to the driver.

/// Cooler settings: +4 count, entries of 0x44 bytes from +8.
struct NvCoolerSettings : NvRawRecord<0x558>
{
    static constexpr std::size_t entryBase = 8;
    static constexpr std::size_t entryStride = 0x44;
    static constexpr std::size_t maxEntries = (size - entryBase) / entryStride;
    static constexpr std::size_t entry(std::size_t i) { return entryBase + i * entryStride; }

    static constexpr std::size_t count = 4;
    // Offsets inside an entry.
    static constexpr std::size_t readMark = 0x00;
    static constexpr std::size_t levelLowPercent = 0x08;
    static constexpr std::size_t levelHighPercent = 0x0C;
    static constexpr std::size_t currentLevelPercent = 0x18;
    static constexpr std::size_t defaultPolicy = 0x1C;
    static constexpr std::size_t currentPolicy = 0x20;
    static constexpr std::size_t tachRangeValid = 0x34; // byte
    static constexpr std::size_t tachRangeLow = 0x38;
    static constexpr std::size_t tachRangeHigh = 0x3C;
};

/// Cooler levels: level/policy pairs from +4, cooler 0 first.
struct NvCoolerLevels : NvRawRecord<0xA4>
{
    static constexpr std::size_t level(std::size_t cooler) { return 4 + cooler * 8; }
    static constexpr std::size_t policy(std::size_t cooler) { return 8 + cooler * 8; }
};

/// Thermal policies info: byte +4 bit 0 supported, byte +5 count, 24-byte entries from +8.
struct NvThermalPoliciesInfo : NvRawRecord<0x68>
{
    static constexpr std::size_t flags = 4;
    static constexpr std::size_t count = 5;
    static constexpr std::size_t entryStride = 24;
    static constexpr std::size_t maxEntries = (size - 8) / entryStride;
    static constexpr std::size_t entry(std::size_t i) { return 8 + i * entryStride; }
    static constexpr std::size_t policyId = 0x00;
    static constexpr std::size_t minLimit = 0x08; // 1/256 degree
    static constexpr std::size_t defaultLimit = 0x0C;
    static constexpr std::size_t maxLimit = 0x10;
};

/// Thermal policies status: byte +4 count, 12-byte entries from +8.
struct NvThermalPoliciesStatus : NvRawRecord<0x38>
{
    static constexpr std::size_t count = 4;
    static constexpr std::size_t entryStride = 12;
    static constexpr std::size_t maxEntries = (size - 8) / entryStride;
    static constexpr std::size_t entry(std::size_t i) { return 8 + i * entryStride; }
    static constexpr std::size_t policyId = 0x00;
    static constexpr std::size_t limit = 0x04; // 1/256 degree
    static constexpr std::size_t flags = 0x08; // byte, bit 0 priority
};

/// Power topology info: byte +4 supported, byte +5 channel count, u32 ids from +8.
struct NvPowerTopologyInfo : NvRawRecord<0x18>
{
    static constexpr std::size_t supported = 4;
    static constexpr std::size_t count = 5;
    static constexpr std::size_t maxEntries = (size - 8) / 4;
    static constexpr std::size_t channelId(std::size_t i) { return 8 + i * 4; }
};

/// Power topology status: byte +4 count, 16-byte entries from +8.
struct NvPowerTopologyStatus : NvRawRecord<0x48>
{
    static constexpr std::size_t count = 4;
    static constexpr std::size_t entryStride = 16;
    static constexpr std::size_t maxEntries = (size - 8) / entryStride;
    static constexpr std::size_t entry(std::size_t i) { return 8 + i * entryStride; }
    static constexpr std::size_t channelId = 0x00;
    static constexpr std::size_t power = 0x08; // 1/1000 percent of rated power
};

/// Power policies info: byte +4 supported, byte +5 count, 44-byte entries from +8.
struct NvPowerPoliciesInfo : NvRawRecord<0xB8>
{
    static constexpr std::size_t supported = 4;
    static constexpr std::size_t count = 5;
    static constexpr std::size_t entryStride = 44;
    static constexpr std::size_t maxEntries = (size - 8) / entryStride;
    static constexpr std::size_t entry(std::size_t i) { return 8 + i * entryStride; }
    static constexpr std::size_t policyId = 0x00;
    static constexpr std::size_t channelRef = 0x04;
    static constexpr std::size_t minLimit = 0x0C; // 1/1000 percent
    static constexpr std::size_t defaultLimit = 0x18;
    static constexpr std::size_t maxLimit = 0x24;
};

/// Power policies status: byte +4 count, 16-byte entries from +8.
struct NvPowerPoliciesStatus : NvRawRecord<0x48>
{
    static constexpr std::size_t count = 4;
    static constexpr std::size_t entryStride = 16;
    static constexpr std::size_t maxEntries = (size - 8) / entryStride;
    static constexpr std::size_t entry(std::size_t i) { return 8 + i * entryStride; }
    static constexpr std::size_t policyId = 0x00;
    static constexpr std::size_t flags = 0x04; // bit 0 cleared on write
    static constexpr std::size_t limit = 0x08; // 1/1000 percent
};
