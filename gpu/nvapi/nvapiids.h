#pragma once

#include "nvapitypes.h"

#include <array>

/// The interface ids the program resolves through nvapi_QueryInterface, in the
/// order of the binding's entry table.
namespace NvApiId {
constexpr NvU32 Initialize = 0x0150E828;
constexpr NvU32 Unload = 0xD22BDD7E;
constexpr NvU32 SysGetDriverAndBranchVersion = 0x2926AAAD;
constexpr NvU32 GpuGetMemoryInfo = 0x07F9B368;
constexpr NvU32 EnumPhysicalGpus = 0xE5AC921F;
constexpr NvU32 EnumTccPhysicalGpus = 0xD9930B07;
constexpr NvU32 GpuGetFullName = 0xCEEE8E9F;
constexpr NvU32 GpuGetPciIdentifiers = 0x2DDFB66E;
constexpr NvU32 GpuGetVbiosVersionString = 0xA561FD7D;
constexpr NvU32 GpuGetMemoryType = 0x57F7CAAC;
constexpr NvU32 GpuGetFbWidthAndLocation = 0x11104158;
constexpr NvU32 GpuGetAllClockFrequencies = 0xDCB616C3;
constexpr NvU32 GpuGetCoolerSettings = 0xDA141340;
constexpr NvU32 GpuSetCoolerLevels = 0x891FA0AE;
constexpr NvU32 GpuGetPstates20 = 0x6FF81213;
constexpr NvU32 GpuSetPstates20 = 0x0F4DAE6B;
constexpr NvU32 GpuEnableOverclockedPstates = 0xB23B70EE;
constexpr NvU32 GpuGetDynamicPstatesInfoEx = 0x60DED2ED;
constexpr NvU32 GpuGetThermalSettings = 0xE3640A56;
constexpr NvU32 GpuThermalPoliciesGetInfo = 0x0D258BB5;
constexpr NvU32 GpuThermalPoliciesGetStatus = 0xE9C425A1;
constexpr NvU32 GpuThermalPoliciesSetStatus = 0x34C0B13D;
constexpr NvU32 I2cRead = 0x2FDE12C5;
constexpr NvU32 I2cWrite = 0xE812EB07;
constexpr NvU32 I2cWriteEx = 0x283AC65A;
constexpr NvU32 I2cReadEx = 0x4D7B0709;
constexpr NvU32 GpuPowerTopologyGetInfo = 0xA4DFD3F2;
constexpr NvU32 GpuPowerTopologyGetStatus = 0xEDCF624E;
constexpr NvU32 GpuPowerPoliciesGetInfo = 0x34206D86;
constexpr NvU32 GpuPowerPoliciesGetStatus = 0x70916171;
constexpr NvU32 GpuPowerPoliciesSetStatus = 0xAD95F5ED;
constexpr NvU32 GpuGetTachReading = 0x5F608315;
/// The GPU's PCI bus and slot (device) numbers: where it sits, which stays when cards are listed in another
/// order.
constexpr NvU32 GpuGetBusId = 0x1BE0B8E5;
constexpr NvU32 GpuGetBusSlotId = 0x2A0A350F;

constexpr NvU32 PreCallHook = 0x33C7358C;
constexpr NvU32 PostCallHook = 0x593E8644;
} // namespace NvApiId

/// Positions in the entry table; each has one cache slot.
enum class NvApiEntry : int {
    Initialize,
    Unload,
    SysGetDriverAndBranchVersion,
    GpuGetMemoryInfo,
    EnumPhysicalGpus,
    EnumTccPhysicalGpus,
    GpuGetFullName,
    GpuGetPciIdentifiers,
    GpuGetVbiosVersionString,
    GpuGetMemoryType,
    GpuGetFbWidthAndLocation,
    GpuGetAllClockFrequencies,
    GpuGetCoolerSettings,
    GpuSetCoolerLevels,
    GpuGetPstates20,
    GpuSetPstates20,
    GpuEnableOverclockedPstates,
    GpuGetDynamicPstatesInfoEx,
    GpuGetThermalSettings,
    GpuThermalPoliciesGetInfo,
    GpuThermalPoliciesGetStatus,
    GpuThermalPoliciesSetStatus,
    I2cRead,
    I2cWrite,
    I2cWriteEx,
    I2cReadEx,
    GpuPowerTopologyGetInfo,
    GpuPowerTopologyGetStatus,
    GpuPowerPoliciesGetInfo,
    GpuPowerPoliciesGetStatus,
    GpuPowerPoliciesSetStatus,
    GpuGetTachReading,
    GpuGetBusId,
    GpuGetBusSlotId,
    Count
};

constexpr int NvApiEntryCount = static_cast<int>(NvApiEntry::Count);

constexpr std::array<NvU32, NvApiEntryCount> NvApiEntryIds = {
    NvApiId::Initialize,
    NvApiId::Unload,
    NvApiId::SysGetDriverAndBranchVersion,
    NvApiId::GpuGetMemoryInfo,
    NvApiId::EnumPhysicalGpus,
    NvApiId::EnumTccPhysicalGpus,
    NvApiId::GpuGetFullName,
    NvApiId::GpuGetPciIdentifiers,
    NvApiId::GpuGetVbiosVersionString,
    NvApiId::GpuGetMemoryType,
    NvApiId::GpuGetFbWidthAndLocation,
    NvApiId::GpuGetAllClockFrequencies,
    NvApiId::GpuGetCoolerSettings,
    NvApiId::GpuSetCoolerLevels,
    NvApiId::GpuGetPstates20,
    NvApiId::GpuSetPstates20,
    NvApiId::GpuEnableOverclockedPstates,
    NvApiId::GpuGetDynamicPstatesInfoEx,
    NvApiId::GpuGetThermalSettings,
    NvApiId::GpuThermalPoliciesGetInfo,
    NvApiId::GpuThermalPoliciesGetStatus,
    NvApiId::GpuThermalPoliciesSetStatus,
    NvApiId::I2cRead,
    NvApiId::I2cWrite,
    NvApiId::I2cWriteEx,
    NvApiId::I2cReadEx,
    NvApiId::GpuPowerTopologyGetInfo,
    NvApiId::GpuPowerTopologyGetStatus,
    NvApiId::GpuPowerPoliciesGetInfo,
    NvApiId::GpuPowerPoliciesGetStatus,
    NvApiId::GpuPowerPoliciesSetStatus,
    NvApiId::GpuGetTachReading,
    NvApiId::GpuGetBusId,
    NvApiId::GpuGetBusSlotId,
};
