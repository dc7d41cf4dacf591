#pragma once

#include "simi2ctransaction.h"

#include "nvapientrytypes.h"

#include <string>

class SimCallGuard;

/// The driver's entries, one per interface id, each with the exact argument
/// list of nvapientrytypes.h. Every entry runs through a SimCallGuard and
/// leaves its record work to SimRecordWriter and SimTuningApplier.
class SimEntries
{
public:
    /// The entry for an id, or null for an id the driver does not know.
    static void *entryFor(NvU32 id);

    static NvStatus initialize();
    static NvStatus unload();
    static NvStatus sysGetDriverAndBranchVersion(NvU32 *driverVersion, char *branch);
    static NvStatus enumPhysicalGpus(NvPhysicalGpuHandle *handles, NvU32 *count);
    static NvStatus enumTccPhysicalGpus(NvPhysicalGpuHandle *handles, NvU32 *count);
    static NvStatus gpuGetFullName(NvPhysicalGpuHandle gpu, char *text);
    static NvStatus gpuGetVbiosVersionString(NvPhysicalGpuHandle gpu, char *text);
    static NvStatus gpuGetPciIdentifiers(
        NvPhysicalGpuHandle gpu, NvU32 *deviceId, NvU32 *subSystemId, NvU32 *revisionId, NvU32 *extDeviceId);
    static NvStatus gpuGetMemoryType(NvPhysicalGpuHandle gpu, NvU32 *code);
    static NvStatus gpuGetFbWidthAndLocation(NvPhysicalGpuHandle gpu, NvU32 *widthBits, NvU32 *location);
    static NvStatus gpuGetMemoryInfo(NvPhysicalGpuHandle gpu, NvMemoryInfo *info);
    static NvStatus gpuGetAllClockFrequencies(NvPhysicalGpuHandle gpu, NvClockFrequencies *frequencies);
    static NvStatus gpuGetCoolerSettings(NvPhysicalGpuHandle gpu, NvU32 selector, NvCoolerSettings *settings);
    static NvStatus gpuSetCoolerLevels(NvPhysicalGpuHandle gpu, NvU32 selector, NvCoolerLevels *levels);
    static NvStatus gpuGetPstates20(NvPhysicalGpuHandle gpu, NvPstates20Info *info);
    static NvStatus gpuSetPstates20(NvPhysicalGpuHandle gpu, NvPstates20Info *info);
    static NvStatus gpuEnableOverclockedPstates(NvPhysicalGpuHandle gpu, NvU32 enable);
    static NvStatus gpuGetDynamicPstatesInfoEx(NvPhysicalGpuHandle gpu, NvDynamicPstatesInfoEx *info);
    static NvStatus gpuGetThermalSettings(
        NvPhysicalGpuHandle gpu, NvU32 sensorIndex, NvThermalSettings *settings);
    static NvStatus gpuThermalPoliciesGetInfo(NvPhysicalGpuHandle gpu, NvThermalPoliciesInfo *info);
    static NvStatus gpuThermalPoliciesGetStatus(NvPhysicalGpuHandle gpu, NvThermalPoliciesStatus *status);
    static NvStatus gpuThermalPoliciesSetStatus(NvPhysicalGpuHandle gpu, NvThermalPoliciesStatus *status);
    static NvStatus i2cRead(NvPhysicalGpuHandle gpu, NvI2cInfo *info);
    static NvStatus i2cWrite(NvPhysicalGpuHandle gpu, NvI2cInfo *info);
    static NvStatus i2cReadEx(NvPhysicalGpuHandle gpu, NvI2cInfo *info, NvU32 *outPair);
    static NvStatus i2cWriteEx(NvPhysicalGpuHandle gpu, NvI2cInfo *info, NvU32 *outPair);
    static NvStatus gpuPowerTopologyGetInfo(NvPhysicalGpuHandle gpu, NvPowerTopologyInfo *info);
    static NvStatus gpuPowerTopologyGetStatus(NvPhysicalGpuHandle gpu, NvPowerTopologyStatus *status);
    static NvStatus gpuPowerPoliciesGetInfo(NvPhysicalGpuHandle gpu, NvPowerPoliciesInfo *info);
    static NvStatus gpuPowerPoliciesGetStatus(NvPhysicalGpuHandle gpu, NvPowerPoliciesStatus *status);
    static NvStatus gpuPowerPoliciesSetStatus(NvPhysicalGpuHandle gpu, NvPowerPoliciesStatus *status);
    static NvStatus gpuGetTachReading(NvPhysicalGpuHandle gpu, NvU32 *rpm);
    static NvStatus gpuGetBusId(NvPhysicalGpuHandle gpu, NvU32 *bus);
    static NvStatus gpuGetBusSlotId(NvPhysicalGpuHandle gpu, NvU32 *slot);
    static void preCallHook(NvU32 id, NvU32 *scratch);
    static void postCallHook(NvU32 id, NvU32 *scratch, NvStatus status);

private:
    static NvStatus enumerate(NvU32 id, bool tcc, NvPhysicalGpuHandle *handles, NvU32 *count);
    static NvStatus i2cTransfer(
        NvU32 id, NvPhysicalGpuHandle gpu, NvI2cInfo *info, bool write, bool extended, NvU32 *outPair);
    /// Reads the caller's transport record as far as its version covers.
    static bool describe(const NvI2cInfo *info, SimI2cTransaction &transaction, NvI2cInfo &covered);
    static NvStatus transfer(SimCallGuard &call, const NvI2cInfo &covered, SimI2cTransaction &transaction);
    static void copyText(char *out, const std::string &text);
};
