#pragma once

#include "nvapirecords.h"
#include "nvunpublishedrecords.h"

/// The argument lists of the driver's entries, as nvapi_QueryInterface hands
/// them out. Text buffers are NvApiLimits::ShortStringMax (64) bytes, handle
/// arrays NvApiLimits::MaxPhysicalGpus (64) entries, the extended I2C calls'
/// out pair two words.
namespace NvApiFn {
using QueryInterface = void *(*)(NvU32 id);
using Initialize = NvStatus (*)();
using Unload = NvStatus (*)();
using SysGetDriverAndBranchVersion = NvStatus (*)(NvU32 *driverVersion, char *branch);
using GpuGetMemoryInfo = NvStatus (*)(NvPhysicalGpuHandle, NvMemoryInfo *);
using EnumGpus = NvStatus (*)(NvPhysicalGpuHandle *handles, NvU32 *count);
using GpuGetText = NvStatus (*)(NvPhysicalGpuHandle, char *text);
using GpuGetPciIdentifiers = NvStatus (*)(
    NvPhysicalGpuHandle, NvU32 *deviceId, NvU32 *subSystemId, NvU32 *revisionId, NvU32 *extDeviceId);
using GpuGetU32 = NvStatus (*)(NvPhysicalGpuHandle, NvU32 *value);
using GpuGetFbWidthAndLocation = NvStatus (*)(NvPhysicalGpuHandle, NvU32 *widthBits, NvU32 *location);
using GpuGetAllClockFrequencies = NvStatus (*)(NvPhysicalGpuHandle, NvClockFrequencies *);
using GpuGetCoolerSettings = NvStatus (*)(NvPhysicalGpuHandle, NvU32 selector, NvCoolerSettings *);
using GpuSetCoolerLevels = NvStatus (*)(NvPhysicalGpuHandle, NvU32 selector, NvCoolerLevels *);
using GpuPstates20 = NvStatus (*)(NvPhysicalGpuHandle, NvPstates20Info *);
using GpuEnableOverclockedPstates = NvStatus (*)(NvPhysicalGpuHandle, NvU32 enable);
using GpuGetDynamicPstatesInfoEx = NvStatus (*)(NvPhysicalGpuHandle, NvDynamicPstatesInfoEx *);
using GpuGetThermalSettings = NvStatus (*)(NvPhysicalGpuHandle, NvU32 sensorIndex, NvThermalSettings *);
using GpuThermalPoliciesInfo = NvStatus (*)(NvPhysicalGpuHandle, NvThermalPoliciesInfo *);
using GpuThermalPoliciesStatus = NvStatus (*)(NvPhysicalGpuHandle, NvThermalPoliciesStatus *);
using I2c = NvStatus (*)(NvPhysicalGpuHandle, NvI2cInfo *);
using I2cEx = NvStatus (*)(NvPhysicalGpuHandle, NvI2cInfo *, NvU32 *outPair);
using GpuPowerTopologyInfo = NvStatus (*)(NvPhysicalGpuHandle, NvPowerTopologyInfo *);
using GpuPowerTopologyStatus = NvStatus (*)(NvPhysicalGpuHandle, NvPowerTopologyStatus *);
using GpuPowerPoliciesInfo = NvStatus (*)(NvPhysicalGpuHandle, NvPowerPoliciesInfo *);
using GpuPowerPoliciesStatus = NvStatus (*)(NvPhysicalGpuHandle, NvPowerPoliciesStatus *);
using PreCallHook = void (*)(NvU32 id, NvU32 *scratch);
using PostCallHook = void (*)(NvU32 id, NvU32 *scratch, NvStatus status);
} // namespace NvApiFn
