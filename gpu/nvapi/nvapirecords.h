#pragma once

#include "nvapitypes.h"

#include <cstddef>

// Our own definitions of the published NVAPI record layouts. Every field has
// its natural alignment, as in the driver's headers; the static_asserts pin
// the sizes and offsets the driver checks through the version word.

/// Clock domain ids of the performance-state and clock-frequency records.
namespace NvClockDomainId {
constexpr NvU32 Graphics = 0;
constexpr NvU32 Memory = 4;
constexpr NvU32 Processor = 7;
} // namespace NvClockDomainId

/// How a performance-state clock entry gives its frequency.
namespace NvClockEntryType {
constexpr NvU32 Single = 0;
constexpr NvU32 Range = 1;
} // namespace NvClockEntryType

namespace NvVoltageDomain {
constexpr NvU32 Core = 0;
} // namespace NvVoltageDomain

/// Sensor target of a thermal sensor that measures the GPU itself.
constexpr NvS32 NvThermalTargetGpu = 1;

struct NvPstates20Delta
{
    NvS32 value;
    NvS32 min;
    NvS32 max;
};

struct NvPstates20ClockEntry
{
    NvU32 domainId; ///< graphics 0, memory 4, processor 7
    NvU32 typeId; ///< 0 single frequency, 1 frequency range
    NvU32 flags; ///< bit 0: editable
    NvPstates20Delta freqDelta_kHz;
    union {
        struct
        {
            NvU32 freq_kHz;
        } single;
        struct
        {
            NvU32 minFreq_kHz;
            NvU32 maxFreq_kHz;
            NvU32 domainId;
            NvU32 minVoltage_uV;
            NvU32 maxVoltage_uV;
        } range;
    } data;
};

struct NvPstates20BaseVoltageEntry
{
    NvU32 domainId; ///< core 0
    NvU32 flags; ///< bit 0: editable
    NvU32 volt_uV;
    NvPstates20Delta voltDelta_uV;
};

struct NvPstates20Pstate
{
    NvU32 pstateId;
    NvU32 flags;
    NvPstates20ClockEntry clocks[8];
    NvPstates20BaseVoltageEntry baseVoltages[4];
};

struct NvPstates20OverVoltage
{
    NvU32 numVoltages;
    NvPstates20BaseVoltageEntry voltages[4];
};

/// NV_GPU_PERF_PSTATES20_INFO in its V2 layout (version 1 ends before `ov`).
struct NvPstates20Info
{
    NvU32 version;
    NvU32 flags;
    NvU32 numPstates;
    NvU32 numClocks;
    NvU32 numBaseVoltages;
    NvPstates20Pstate pstates[16];
    NvPstates20OverVoltage ov;
};

static_assert(sizeof(NvPstates20ClockEntry) == 0x2C, "clock entry layout");
static_assert(sizeof(NvPstates20BaseVoltageEntry) == 0x18, "base voltage layout");
static_assert(sizeof(NvPstates20Pstate) == 0x1C8, "pstate layout");
static_assert(offsetof(NvPstates20Pstate, baseVoltages) == 0x168, "pstate layout");
static_assert(offsetof(NvPstates20Info, pstates) == 0x14, "pstates20 layout");
static_assert(offsetof(NvPstates20Info, ov) == 0x1C94, "pstates20 v1 size");
static_assert(sizeof(NvPstates20Info) == 0x1CF8, "pstates20 v2 size");

struct NvClockDomain
{
    NvU32 flags; ///< bit 0: present
    NvU32 frequency_kHz;
};

/// NV_GPU_CLOCK_FREQUENCIES; the low 4 bits of `clockType` pick current, base or boost.
struct NvClockFrequencies
{
    NvU32 version;
    NvU32 clockType;
    NvClockDomain domain[32];
};
static_assert(sizeof(NvClockFrequencies) == 0x108, "clock frequencies size");

/// NV_DISPLAY_DRIVER_MEMORY_INFO, all sizes in KB.
struct NvMemoryInfo
{
    NvU32 version;
    NvU32 dedicatedVideoMemory;
    NvU32 availableDedicatedVideoMemory;
    NvU32 systemVideoMemory;
    NvU32 sharedSystemMemory;
    NvU32 curAvailableDedicatedVideoMemory; ///< version 2 on
    NvU32 dedicatedVideoMemoryEvictionsSize; ///< version 3
    NvU32 dedicatedVideoMemoryEvictionCount; ///< version 3
};
static_assert(sizeof(NvMemoryInfo) == 0x20, "memory info size");
static_assert(offsetof(NvMemoryInfo, curAvailableDedicatedVideoMemory) == 0x14, "memory info v1 size");
static_assert(offsetof(NvMemoryInfo, dedicatedVideoMemoryEvictionsSize) == 0x18, "memory info v2 size");

struct NvThermalSensor
{
    NvS32 controller;
    NvS32 defaultMinTemp;
    NvS32 defaultMaxTemp;
    NvS32 currentTemp;
    NvS32 target; ///< 1: the GPU
};

/// NV_GPU_THERMAL_SETTINGS.
struct NvThermalSettings
{
    NvU32 version;
    NvU32 count;
    NvThermalSensor sensor[3];
};
static_assert(sizeof(NvThermalSettings) == 0x44, "thermal settings size");

struct NvUtilization
{
    NvU32 flags; ///< bit 0: present
    NvU32 percentage;
};

/// NV_GPU_DYNAMIC_PSTATES_INFO_EX; domains GPU 0, frame buffer 1, video 2, bus 3.
struct NvDynamicPstatesInfoEx
{
    NvU32 version;
    NvU32 flags;
    NvUtilization utilization[8];
};
static_assert(sizeof(NvDynamicPstatesInfoEx) == 0x48, "dynamic pstates size");

/// NV_I2C_INFO. It holds two pointers, so its size (and with it its version
/// words) differs between 32-bit and 64-bit builds.
struct NvI2cInfo
{
    NvU32 version;
    NvU32 displayMask;
    NvU8 bIsDDCPort;
    NvU8 i2cDevAddress; ///< 8-bit form: the 7-bit address shifted left by one
    NvU8 *pbI2cRegAddress;
    NvU32 regAddrSize;
    NvU8 *pbData;
    NvU32 cbSize;
    NvU32 i2cSpeed; ///< deprecated from version 2 on: 0xFFFF
    NvS32 i2cSpeedKhz; ///< version 2 on; 6 is 400 kHz
    NvU8 portId; ///< version 3
    NvU32 bIsPortIdSet;
};

namespace NvI2cLayout {
constexpr std::size_t roundUp(std::size_t n, std::size_t a)
{
    return (n + a - 1) / a * a;
}
constexpr std::size_t sizeV3 = sizeof(NvI2cInfo);
constexpr std::size_t sizeV2 = roundUp(offsetof(NvI2cInfo, portId), alignof(NvI2cInfo));
constexpr std::size_t sizeV1 = roundUp(offsetof(NvI2cInfo, i2cSpeedKhz), alignof(NvI2cInfo));
} // namespace NvI2cLayout

static_assert(sizeof(void *) != 8 || NvI2cLayout::sizeV3 == 0x40, "64-bit i2c v3 size");
static_assert(sizeof(void *) != 8 || NvI2cLayout::sizeV2 == 0x38, "64-bit i2c v2 size");
static_assert(sizeof(void *) != 8 || NvI2cLayout::sizeV1 == 0x30, "64-bit i2c v1 size");
static_assert(sizeof(void *) != 4 || NvI2cLayout::sizeV3 == 0x2C, "32-bit i2c v3 size");
static_assert(sizeof(void *) != 4 || NvI2cLayout::sizeV2 == 0x24, "32-bit i2c v2 size");
static_assert(sizeof(void *) != 4 || NvI2cLayout::sizeV1 == 0x20, "32-bit i2c v1 size");
