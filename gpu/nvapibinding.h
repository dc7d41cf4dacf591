#pragma once

#include "nvapientrytypes.h"
#include "nvapiids.h"

#include <mutex>

#include <array>
#include <atomic>

class ModuleLoader;

/// The one place that loads the driver library and resolves its entries by
/// interface id. Process-wide: every controller of every thread shares the
/// loaded library, its entry cache and the count of calls in flight. Entry
/// calls take no lock; only initialize, unload and the first load do.
class NvApiBinding
{
public:
    static NvApiBinding &instance();

    NvApiBinding(const NvApiBinding &) = delete;
    NvApiBinding &operator=(const NvApiBinding &) = delete;

    /// Loads the library if needed and counts one more user of it.
    NvStatus initialize();
    /// Releases one user; frees the library when it was the last and no call is in flight.
    NvStatus unload();

    NvStatus sysGetDriverAndBranchVersion(NvU32 *driverVersion, char *branch);
    NvStatus gpuGetMemoryInfo(NvPhysicalGpuHandle gpu, NvMemoryInfo *info);
    NvStatus enumPhysicalGpus(NvPhysicalGpuHandle *handles, NvU32 *count);
    NvStatus enumTccPhysicalGpus(NvPhysicalGpuHandle *handles, NvU32 *count);
    NvStatus gpuGetFullName(NvPhysicalGpuHandle gpu, char *name);
    NvStatus gpuGetPciIdentifiers(
        NvPhysicalGpuHandle gpu, NvU32 *deviceId, NvU32 *subSystemId, NvU32 *revisionId, NvU32 *extDeviceId);
    NvStatus gpuGetVbiosVersionString(NvPhysicalGpuHandle gpu, char *text);
    NvStatus gpuGetMemoryType(NvPhysicalGpuHandle gpu, NvU32 *memoryType);
    NvStatus gpuGetFbWidthAndLocation(NvPhysicalGpuHandle gpu, NvU32 *widthBits, NvU32 *location);
    NvStatus gpuGetAllClockFrequencies(NvPhysicalGpuHandle gpu, NvClockFrequencies *clocks);
    NvStatus gpuGetCoolerSettings(NvPhysicalGpuHandle gpu, NvU32 selector, NvCoolerSettings *settings);
    NvStatus gpuSetCoolerLevels(NvPhysicalGpuHandle gpu, NvU32 selector, NvCoolerLevels *levels);
    NvStatus gpuGetPstates20(NvPhysicalGpuHandle gpu, NvPstates20Info *info);
    NvStatus gpuSetPstates20(NvPhysicalGpuHandle gpu, NvPstates20Info *info);
    NvStatus gpuEnableOverclockedPstates(NvPhysicalGpuHandle gpu, NvU32 enable);
    NvStatus gpuGetDynamicPstatesInfoEx(NvPhysicalGpuHandle gpu, NvDynamicPstatesInfoEx *info);
    NvStatus gpuGetThermalSettings(NvPhysicalGpuHandle gpu, NvU32 sensorIndex, NvThermalSettings *settings);
    NvStatus gpuThermalPoliciesGetInfo(NvPhysicalGpuHandle gpu, NvThermalPoliciesInfo *info);
    NvStatus gpuThermalPoliciesGetStatus(NvPhysicalGpuHandle gpu, NvThermalPoliciesStatus *status);
    NvStatus gpuThermalPoliciesSetStatus(NvPhysicalGpuHandle gpu, NvThermalPoliciesStatus *status);
    NvStatus i2cRead(NvPhysicalGpuHandle gpu, NvI2cInfo *info);
    NvStatus i2cWrite(NvPhysicalGpuHandle gpu, NvI2cInfo *info);
    NvStatus i2cWriteEx(NvPhysicalGpuHandle gpu, NvI2cInfo *info, NvU32 *outPair);
    NvStatus i2cReadEx(NvPhysicalGpuHandle gpu, NvI2cInfo *info, NvU32 *outPair);
    NvStatus gpuPowerTopologyGetInfo(NvPhysicalGpuHandle gpu, NvPowerTopologyInfo *info);
    NvStatus gpuPowerTopologyGetStatus(NvPhysicalGpuHandle gpu, NvPowerTopologyStatus *status);
    NvStatus gpuPowerPoliciesGetInfo(NvPhysicalGpuHandle gpu, NvPowerPoliciesInfo *info);
    NvStatus gpuPowerPoliciesGetStatus(NvPhysicalGpuHandle gpu, NvPowerPoliciesStatus *status);
    NvStatus gpuPowerPoliciesSetStatus(NvPhysicalGpuHandle gpu, NvPowerPoliciesStatus *status);
    NvStatus gpuGetTachReading(NvPhysicalGpuHandle gpu, NvU32 *rpm);
    NvStatus gpuGetBusId(NvPhysicalGpuHandle gpu, NvU32 *bus);
    NvStatus gpuGetBusSlotId(NvPhysicalGpuHandle gpu, NvU32 *slot);

    /// Test seam: the loader used for the next load (null restores the
    /// platform's). Refused (false) while the library is loaded.
    bool setModuleLoader(ModuleLoader *loader);
    bool isLoaded() const { return m_loaded.load(); }
    int callsInFlight() const { return m_callsInFlight.load(); }
    int referenceCount() const { return m_referenceCount.load(); }

private:
    NvApiBinding();

    template <typename Fn, typename... Args> NvStatus call(NvApiEntry entry, Args... args);

    NvStatus ensureLoaded();
    NvStatus loadLocked();
    bool pendingUnloadFinished() const;
    void clearLocked();

    std::mutex m_lock; // serialises initialize, unload and loading
    ModuleLoader *m_loader;
    std::atomic<void *> m_module { nullptr };
    std::atomic<NvApiFn::QueryInterface> m_query { nullptr };
    std::atomic<NvApiFn::PreCallHook> m_preHook { nullptr };
    std::atomic<NvApiFn::PostCallHook> m_postHook { nullptr };
    std::array<std::atomic<void *>, NvApiEntryCount> m_cache;
    std::atomic<int> m_callsInFlight { 0 };
    std::atomic<int> m_referenceCount { 0 };
    std::atomic<bool> m_unloading { false };
    std::atomic<bool> m_loaded { false };
};
