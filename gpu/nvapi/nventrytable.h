#pragma once

#include "nvapientrytypes.h"
#include "nvapiids.h"

/// The one table from interface id to entry, for any driver library whose
/// entries class has a static member per id with the argument list of
/// nvapientrytypes.h (the simulated driver's and the one for real cards):
/// a library answers exactly the program's table, each id with the right type.
template <typename Fn> void *nvEntry(Fn fn)
{
    return reinterpret_cast<void *>(fn);
}

/// The entry for an id of the program's table, or null for any other id.
template <typename Entries> void *nvEntryFor(NvU32 id)
{
    switch (id) {
    case NvApiId::Initialize:
        return nvEntry<NvApiFn::Initialize>(&Entries::initialize);
    case NvApiId::Unload:
        return nvEntry<NvApiFn::Unload>(&Entries::unload);
    case NvApiId::SysGetDriverAndBranchVersion:
        return nvEntry<NvApiFn::SysGetDriverAndBranchVersion>(&Entries::sysGetDriverAndBranchVersion);
    case NvApiId::GpuGetMemoryInfo:
        return nvEntry<NvApiFn::GpuGetMemoryInfo>(&Entries::gpuGetMemoryInfo);
    case NvApiId::EnumPhysicalGpus:
        return nvEntry<NvApiFn::EnumGpus>(&Entries::enumPhysicalGpus);
    case NvApiId::EnumTccPhysicalGpus:
        return nvEntry<NvApiFn::EnumGpus>(&Entries::enumTccPhysicalGpus);
    case NvApiId::GpuGetFullName:
        return nvEntry<NvApiFn::GpuGetText>(&Entries::gpuGetFullName);
    case NvApiId::GpuGetPciIdentifiers:
        return nvEntry<NvApiFn::GpuGetPciIdentifiers>(&Entries::gpuGetPciIdentifiers);
    case NvApiId::GpuGetVbiosVersionString:
        return nvEntry<NvApiFn::GpuGetText>(&Entries::gpuGetVbiosVersionString);
    case NvApiId::GpuGetMemoryType:
        return nvEntry<NvApiFn::GpuGetU32>(&Entries::gpuGetMemoryType);
    case NvApiId::GpuGetFbWidthAndLocation:
        return nvEntry<NvApiFn::GpuGetFbWidthAndLocation>(&Entries::gpuGetFbWidthAndLocation);
    case NvApiId::GpuGetAllClockFrequencies:
        return nvEntry<NvApiFn::GpuGetAllClockFrequencies>(&Entries::gpuGetAllClockFrequencies);
    case NvApiId::GpuGetCoolerSettings:
        return nvEntry<NvApiFn::GpuGetCoolerSettings>(&Entries::gpuGetCoolerSettings);
    case NvApiId::GpuSetCoolerLevels:
        return nvEntry<NvApiFn::GpuSetCoolerLevels>(&Entries::gpuSetCoolerLevels);
    case NvApiId::GpuGetPstates20:
        return nvEntry<NvApiFn::GpuPstates20>(&Entries::gpuGetPstates20);
    case NvApiId::GpuSetPstates20:
        return nvEntry<NvApiFn::GpuPstates20>(&Entries::gpuSetPstates20);
    case NvApiId::GpuEnableOverclockedPstates:
        return nvEntry<NvApiFn::GpuEnableOverclockedPstates>(&Entries::gpuEnableOverclockedPstates);
    case NvApiId::GpuGetDynamicPstatesInfoEx:
        return nvEntry<NvApiFn::GpuGetDynamicPstatesInfoEx>(&Entries::gpuGetDynamicPstatesInfoEx);
    case NvApiId::GpuGetThermalSettings:
        return nvEntry<NvApiFn::GpuGetThermalSettings>(&Entries::gpuGetThermalSettings);
    case NvApiId::GpuThermalPoliciesGetInfo:
        return nvEntry<NvApiFn::GpuThermalPoliciesInfo>(&Entries::gpuThermalPoliciesGetInfo);
    case NvApiId::GpuThermalPoliciesGetStatus:
        return nvEntry<NvApiFn::GpuThermalPoliciesStatus>(&Entries::gpuThermalPoliciesGetStatus);
    case NvApiId::GpuThermalPoliciesSetStatus:
        return nvEntry<NvApiFn::GpuThermalPoliciesStatus>(&Entries::gpuThermalPoliciesSetStatus);
    case NvApiId::I2cRead:
        return nvEntry<NvApiFn::I2c>(&Entries::i2cRead);
    case NvApiId::I2cWrite:
        return nvEntry<NvApiFn::I2c>(&Entries::i2cWrite);
    case NvApiId::I2cWriteEx:
        return nvEntry<NvApiFn::I2cEx>(&Entries::i2cWriteEx);
    case NvApiId::I2cReadEx:
        return nvEntry<NvApiFn::I2cEx>(&Entries::i2cReadEx);
    case NvApiId::GpuPowerTopologyGetInfo:
        return nvEntry<NvApiFn::GpuPowerTopologyInfo>(&Entries::gpuPowerTopologyGetInfo);
    case NvApiId::GpuPowerTopologyGetStatus:
        return nvEntry<NvApiFn::GpuPowerTopologyStatus>(&Entries::gpuPowerTopologyGetStatus);
    case NvApiId::GpuPowerPoliciesGetInfo:
        return nvEntry<NvApiFn::GpuPowerPoliciesInfo>(&Entries::gpuPowerPoliciesGetInfo);
    case NvApiId::GpuPowerPoliciesGetStatus:
        return nvEntry<NvApiFn::GpuPowerPoliciesStatus>(&Entries::gpuPowerPoliciesGetStatus);
    case NvApiId::GpuPowerPoliciesSetStatus:
        return nvEntry<NvApiFn::GpuPowerPoliciesStatus>(&Entries::gpuPowerPoliciesSetStatus);
    case NvApiId::GpuGetTachReading:
        return nvEntry<NvApiFn::GpuGetU32>(&Entries::gpuGetTachReading);
    case NvApiId::GpuGetBusId:
        return nvEntry<NvApiFn::GpuGetU32>(&Entries::gpuGetBusId);
    case NvApiId::GpuGetBusSlotId:
        return nvEntry<NvApiFn::GpuGetU32>(&Entries::gpuGetBusSlotId);
    default:
        return nullptr;
    }
}
