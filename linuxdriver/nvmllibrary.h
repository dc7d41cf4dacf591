#pragma once

#include "nvapitypes.h"
#include "nvmlapi.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

/// Every NVML entry the bridge may use; null where the installed library
/// lacks it (an older driver), which makes that feature "not supported".
struct NvmlSymbols
{
    NvmlFn::Init init = nullptr;
    NvmlFn::Shutdown shutdown = nullptr;
    NvmlFn::GetCount getCount = nullptr;
    NvmlFn::GetHandleByIndex getHandleByIndex = nullptr;

    NvmlFn::SystemGetDriverVersion systemGetDriverVersion = nullptr;
    NvmlFn::SystemGetDriverBranch systemGetDriverBranch = nullptr;
    NvmlFn::DeviceGetText getName = nullptr;
    NvmlFn::DeviceGetText getVbiosVersion = nullptr;
    NvmlFn::DeviceGetPciInfo getPciInfo = nullptr;
    NvmlFn::DeviceGetUInt getMemoryBusWidth = nullptr;
    NvmlFn::DeviceGetMemoryV2 getMemoryInfoV2 = nullptr;
    NvmlFn::DeviceGetMemory getMemoryInfo = nullptr;

    NvmlFn::DeviceGetClock getClockInfo = nullptr;
    NvmlFn::DeviceGetClock getMaxClockInfo = nullptr;
    NvmlFn::DeviceGetClock getDefaultApplicationsClock = nullptr;
    NvmlFn::DeviceGetClock getMaxCustomerBoostClock = nullptr;
    NvmlFn::DeviceGetClockOfPstate getMinMaxClockOfPstate = nullptr;
    NvmlFn::DeviceClockOffsets getClockOffsets = nullptr;
    NvmlFn::DeviceClockOffsets setClockOffsets = nullptr;
    NvmlFn::DeviceGetInt getGpcClkVfOffset = nullptr;
    NvmlFn::DeviceGetInt getMemClkVfOffset = nullptr;
    NvmlFn::DeviceSetInt setGpcClkVfOffset = nullptr;
    NvmlFn::DeviceSetInt setMemClkVfOffset = nullptr;
    NvmlFn::DeviceGetIntRange getGpcClkMinMaxVfOffset = nullptr;
    NvmlFn::DeviceGetIntRange getMemClkMinMaxVfOffset = nullptr;

    NvmlFn::DeviceGetUtilization getUtilizationRates = nullptr;
    NvmlFn::DeviceGetCodecUtilization getEncoderUtilization = nullptr;
    NvmlFn::DeviceGetCodecUtilization getDecoderUtilization = nullptr;
    NvmlFn::DeviceGetTemperatureV getTemperatureV = nullptr;
    NvmlFn::DeviceGetTemperature getTemperature = nullptr;
    NvmlFn::DeviceGetThreshold getTemperatureThreshold = nullptr;
    NvmlFn::DeviceSetThreshold setTemperatureThreshold = nullptr;

    NvmlFn::DeviceGetUInt getPowerUsage = nullptr;
    NvmlFn::DeviceGetUInt getPowerDefaultLimit = nullptr;
    NvmlFn::DeviceGetUInt getPowerLimit = nullptr;
    NvmlFn::DeviceGetUIntRange getPowerLimitConstraints = nullptr;
    NvmlFn::DeviceSetPowerLimitV2 setPowerLimitV2 = nullptr;
    NvmlFn::DeviceSetUInt setPowerLimit = nullptr;

    NvmlFn::DeviceGetUInt getNumFans = nullptr;
    NvmlFn::DeviceGetUIntRange getMinMaxFanSpeed = nullptr;
    NvmlFn::DeviceFanGet getFanSpeed = nullptr;
    NvmlFn::DeviceFanGet getFanControlPolicy = nullptr;
    NvmlFn::DeviceFanSet setFanSpeed = nullptr;
    NvmlFn::DeviceFanReset setDefaultFanSpeed = nullptr;
    NvmlFn::DeviceGetFanRpm getFanSpeedRpm = nullptr;
};

/// One NVML symbol by name and whether the loaded library has it.
struct NvmlSymbolPresence
{
    const char *name;
    bool present;
};

/// Loads NVIDIA's management library with dlopen (never at link time, so the
/// bridge loads on a machine without the driver and reports no card) and
/// resolves every symbol on its own. Reference-counted: the first acquire
/// loads and initialises NVML, the last release shuts it down and unloads it.
class NvmlLibrary
{
public:
    static NvmlLibrary &instance();

    NvmlLibrary(const NvmlLibrary &) = delete;
    NvmlLibrary &operator=(const NvmlLibrary &) = delete;

    /// Counts one more user; the first loads and initialises. The NVAPI
    /// status: -2 without the library or one of its four required symbols.
    NvStatus acquire();
    /// Counts one user less; the last runs `beforeShutdown` (while NVML still
    /// answers), then shuts NVML down and unloads it.
    NvStatus release(void (*beforeShutdown)() = nullptr);

    /// Whether NVML is loaded and initialised: the symbols are valid.
    bool ready() const { return m_ready.load(std::memory_order_acquire); }
    const NvmlSymbols &symbols() const { return m_symbols; }
    /// Every symbol the bridge knows, present or not (for the device check).
    std::vector<NvmlSymbolPresence> presence() const;

    /// The library's file: LUMETRA_NVML_LIBRARY when it is an absolute path,
    /// else the soname every NVIDIA driver installs.
    static std::string libraryName();

private:
    NvmlLibrary() = default;

    NvStatus loadLocked();
    void unloadLocked();

    std::mutex m_lock;
    void *m_module = nullptr;
    int m_users = 0;
    NvmlSymbols m_symbols;
    std::atomic<bool> m_ready { false };
};
