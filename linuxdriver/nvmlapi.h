#pragma once

#include <cstddef>

// Our own declaration of the part of NVIDIA's management library (NVML) the
// bridge uses: no NVML header ships with Debian's main archive. Names, values
// and layouts follow NVIDIA's public nvml.h; the static_asserts pin every
// record the bridge hands to NVML, since a wrong version word makes NVML
// answer "function not found" and the feature silently vanishes.

extern "C" {

struct nvmlDevice_st;
using nvmlDevice_t = nvmlDevice_st *;
using nvmlReturn_t = unsigned int;

/// nvmlPciInfo_t as nvmlDeviceGetPciInfo_v3 fills it.
struct nvmlPciInfo_t
{
    char busIdLegacy[16];
    unsigned int domain;
    unsigned int bus;
    unsigned int device;
    unsigned int pciDeviceId; ///< device << 16 | vendor
    unsigned int pciSubSystemId; ///< subsystem device << 16 | subsystem vendor
    char busId[32]; ///< "%08X:%02X:%02X.0"
};

struct nvmlMemory_t
{
    unsigned long long total;
    unsigned long long free;
    unsigned long long used;
};

struct nvmlMemory_v2_t
{
    unsigned int version;
    unsigned long long total;
    unsigned long long reserved;
    unsigned long long free;
    unsigned long long used;
};

struct nvmlUtilization_t
{
    unsigned int gpu;
    unsigned int memory;
};

struct nvmlClockOffset_v1_t
{
    unsigned int version;
    unsigned int type; ///< nvmlClockType_t
    unsigned int pstate; ///< nvmlPstates_t
    int clockOffsetMHz;
    int minClockOffsetMHz;
    int maxClockOffsetMHz;
};

struct nvmlFanSpeedInfo_v1_t
{
    unsigned int version;
    unsigned int fan;
    unsigned int speed; ///< RPM
};

struct nvmlTemperature_v1_t
{
    unsigned int version;
    unsigned int sensorType; ///< nvmlTemperatureSensors_t
    int temperature;
};

struct nvmlPowerValue_v2_t
{
    unsigned int version;
    unsigned char powerScope; ///< nvmlPowerScopeType_t: 0 the GPU
    unsigned int powerValueMw;
};

struct nvmlSystemDriverBranchInfo_v1_t
{
    unsigned int version;
    char branch[80];
};

} // extern "C"

namespace Nvml {

/// NVML's version words: the record size in the low bits, the version from bit 24.
constexpr unsigned int structVersion(std::size_t size, unsigned int version)
{
    return static_cast<unsigned int>(size) | (version << 24);
}

constexpr unsigned int memoryV2 = structVersion(sizeof(nvmlMemory_v2_t), 2);
constexpr unsigned int clockOffsetV1 = structVersion(sizeof(nvmlClockOffset_v1_t), 1);
constexpr unsigned int fanSpeedInfoV1 = structVersion(sizeof(nvmlFanSpeedInfo_v1_t), 1);
constexpr unsigned int temperatureV1 = structVersion(sizeof(nvmlTemperature_v1_t), 1);
constexpr unsigned int powerValueV2 = structVersion(sizeof(nvmlPowerValue_v2_t), 2);
constexpr unsigned int driverBranchV1 = structVersion(sizeof(nvmlSystemDriverBranchInfo_v1_t), 1);

// The words of NVIDIA's header on x86-64, where the bridge runs.
static_assert(sizeof(void *) != 8 || memoryV2 == 0x02000028, "nvmlMemory_v2 word");
static_assert(clockOffsetV1 == 0x01000018, "nvmlClockOffset_v1 word");
static_assert(fanSpeedInfoV1 == 0x0100000C, "nvmlFanSpeedInfo_v1 word");
static_assert(temperatureV1 == 0x0100000C, "nvmlTemperature_v1 word");
static_assert(powerValueV2 == 0x0200000C, "nvmlPowerValue_v2 word");
static_assert(driverBranchV1 == 0x01000054, "nvmlSystemDriverBranchInfo_v1 word");
static_assert(sizeof(nvmlPciInfo_t) == 68, "nvmlPciInfo_t layout");
static_assert(offsetof(nvmlPciInfo_t, pciDeviceId) == 28 && offsetof(nvmlPciInfo_t, busId) == 36,
    "nvmlPciInfo_t layout");
static_assert(
    offsetof(nvmlMemory_v2_t, total) == 8 && offsetof(nvmlMemory_v2_t, used) == 32, "nvmlMemory_v2_t layout");
static_assert(offsetof(nvmlPowerValue_v2_t, powerValueMw) == 8, "nvmlPowerValue_v2_t layout");

namespace Return {
constexpr nvmlReturn_t Success = 0;
constexpr nvmlReturn_t Uninitialized = 1;
constexpr nvmlReturn_t InvalidArgument = 2;
constexpr nvmlReturn_t NotSupported = 3;
constexpr nvmlReturn_t NoPermission = 4;
constexpr nvmlReturn_t NotFound = 6;
constexpr nvmlReturn_t InsufficientSize = 7;
constexpr nvmlReturn_t DriverNotLoaded = 9;
constexpr nvmlReturn_t Timeout = 10;
constexpr nvmlReturn_t LibraryNotFound = 12;
constexpr nvmlReturn_t FunctionNotFound = 13;
constexpr nvmlReturn_t GpuIsLost = 15;
constexpr nvmlReturn_t LibRmVersionMismatch = 18;
constexpr nvmlReturn_t InUse = 19;
constexpr nvmlReturn_t ArgumentVersionMismatch = 25;
constexpr nvmlReturn_t Deprecated = 26;
constexpr nvmlReturn_t Unknown = 999;
} // namespace Return

/// nvmlClockType_t.
namespace Clock {
constexpr unsigned int Graphics = 0;
constexpr unsigned int Sm = 1;
constexpr unsigned int Memory = 2;
constexpr unsigned int Video = 3;
} // namespace Clock

constexpr unsigned int PstateP0 = 0;
constexpr unsigned int TemperatureGpu = 0;

/// nvmlTemperatureThresholds_t.
namespace Threshold {
constexpr unsigned int Shutdown = 0;
constexpr unsigned int Slowdown = 1;
constexpr unsigned int MemoryMax = 2;
constexpr unsigned int GpuMax = 3;
constexpr unsigned int AcousticMin = 4;
constexpr unsigned int AcousticCurrent = 5;
constexpr unsigned int AcousticMax = 6;
} // namespace Threshold

/// nvmlFanControlPolicy_t.
namespace FanPolicy {
constexpr unsigned int TemperatureContinuousSoftware = 0;
constexpr unsigned int Manual = 1;
} // namespace FanPolicy

constexpr unsigned char PowerScopeGpu = 0;

constexpr std::size_t DeviceNameBuffer = 96;
constexpr std::size_t VbiosBuffer = 32;
constexpr std::size_t DriverVersionBuffer = 80;

} // namespace Nvml

/// One function-pointer type per NVML symbol the bridge resolves.
namespace NvmlFn {
using Init = nvmlReturn_t (*)();
using Shutdown = nvmlReturn_t (*)();
using GetCount = nvmlReturn_t (*)(unsigned int *);
using GetHandleByIndex = nvmlReturn_t (*)(unsigned int, nvmlDevice_t *);
using SystemGetDriverVersion = nvmlReturn_t (*)(char *, unsigned int);
using SystemGetDriverBranch = nvmlReturn_t (*)(nvmlSystemDriverBranchInfo_v1_t *, unsigned int);
using DeviceGetText = nvmlReturn_t (*)(nvmlDevice_t, char *, unsigned int);
using DeviceGetPciInfo = nvmlReturn_t (*)(nvmlDevice_t, nvmlPciInfo_t *);
using DeviceGetUInt = nvmlReturn_t (*)(nvmlDevice_t, unsigned int *);
using DeviceGetInt = nvmlReturn_t (*)(nvmlDevice_t, int *);
using DeviceSetInt = nvmlReturn_t (*)(nvmlDevice_t, int);
using DeviceSetUInt = nvmlReturn_t (*)(nvmlDevice_t, unsigned int);
using DeviceGetIntRange = nvmlReturn_t (*)(nvmlDevice_t, int *, int *);
using DeviceGetUIntRange = nvmlReturn_t (*)(nvmlDevice_t, unsigned int *, unsigned int *);
using DeviceGetMemory = nvmlReturn_t (*)(nvmlDevice_t, nvmlMemory_t *);
using DeviceGetMemoryV2 = nvmlReturn_t (*)(nvmlDevice_t, nvmlMemory_v2_t *);
using DeviceGetClock = nvmlReturn_t (*)(nvmlDevice_t, unsigned int type, unsigned int *mhz);
using DeviceGetClockOfPstate = nvmlReturn_t (*)(
    nvmlDevice_t, unsigned int type, unsigned int pstate, unsigned int *minMhz, unsigned int *maxMhz);
using DeviceClockOffsets = nvmlReturn_t (*)(nvmlDevice_t, nvmlClockOffset_v1_t *);
using DeviceGetUtilization = nvmlReturn_t (*)(nvmlDevice_t, nvmlUtilization_t *);
using DeviceGetCodecUtilization = nvmlReturn_t (*)(nvmlDevice_t, unsigned int *, unsigned int *samplingUs);
using DeviceGetTemperature = nvmlReturn_t (*)(nvmlDevice_t, unsigned int sensor, unsigned int *);
using DeviceGetTemperatureV = nvmlReturn_t (*)(nvmlDevice_t, nvmlTemperature_v1_t *);
using DeviceGetThreshold = nvmlReturn_t (*)(nvmlDevice_t, unsigned int threshold, unsigned int *);
using DeviceSetThreshold = nvmlReturn_t (*)(nvmlDevice_t, unsigned int threshold, int *);
using DeviceSetPowerLimitV2 = nvmlReturn_t (*)(nvmlDevice_t, nvmlPowerValue_v2_t *);
using DeviceFanGet = nvmlReturn_t (*)(nvmlDevice_t, unsigned int fan, unsigned int *);
using DeviceFanSet = nvmlReturn_t (*)(nvmlDevice_t, unsigned int fan, unsigned int);
using DeviceFanReset = nvmlReturn_t (*)(nvmlDevice_t, unsigned int fan);
using DeviceGetFanRpm = nvmlReturn_t (*)(nvmlDevice_t, nvmlFanSpeedInfo_v1_t *);
} // namespace NvmlFn
