#pragma once

#include "nvapirecords.h"
#include "nvunpublishedrecords.h"

#include <array>

/// The version words of every record, built from the record sizes of this
/// build. Ladders list them newest first.
namespace NvApiVersion {
constexpr NvU32 pstates20V3 = nvVersionWord(sizeof(NvPstates20Info), 3);
constexpr NvU32 pstates20V2 = nvVersionWord(sizeof(NvPstates20Info), 2);
constexpr NvU32 pstates20V1 = nvVersionWord(offsetof(NvPstates20Info, ov), 1);
constexpr std::array<NvU32, 3> pstates20Ladder = { pstates20V3, pstates20V2, pstates20V1 };
// Memory clock offsets are written with version 1 first.
constexpr std::array<NvU32, 3> memoryOffsetLadder = { pstates20V1, pstates20V2, pstates20V1 };

constexpr NvU32 clockFrequenciesV3 = nvVersionWord(sizeof(NvClockFrequencies), 3);
constexpr NvU32 clockFrequenciesV2 = nvVersionWord(sizeof(NvClockFrequencies), 2);
constexpr NvU32 clockFrequenciesV1 = nvVersionWord(sizeof(NvClockFrequencies), 1);
constexpr std::array<NvU32, 3> clockFrequenciesLadder
    = { clockFrequenciesV3, clockFrequenciesV2, clockFrequenciesV1 };

constexpr NvU32 memoryInfoV3 = nvVersionWord(sizeof(NvMemoryInfo), 3);
constexpr NvU32 memoryInfoV2 = nvVersionWord(offsetof(NvMemoryInfo, dedicatedVideoMemoryEvictionsSize), 2);
constexpr NvU32 memoryInfoV1 = nvVersionWord(offsetof(NvMemoryInfo, curAvailableDedicatedVideoMemory), 1);
constexpr std::array<NvU32, 3> memoryInfoLadder = { memoryInfoV3, memoryInfoV2, memoryInfoV1 };

constexpr NvU32 thermalSettingsV2 = nvVersionWord(sizeof(NvThermalSettings), 2);
constexpr NvU32 thermalSettingsV1 = nvVersionWord(sizeof(NvThermalSettings), 1);
constexpr std::array<NvU32, 2> thermalSettingsLadder = { thermalSettingsV2, thermalSettingsV1 };

constexpr NvU32 dynamicPstatesV1 = nvVersionWord(sizeof(NvDynamicPstatesInfoEx), 1);

constexpr NvU32 i2cV3 = nvVersionWord(NvI2cLayout::sizeV3, 3);
constexpr NvU32 i2cV2 = nvVersionWord(NvI2cLayout::sizeV2, 2);
constexpr NvU32 i2cV1 = nvVersionWord(NvI2cLayout::sizeV1, 1);

constexpr std::array<NvU32, 5> coolerSettingsLadder = { 0x40558, 0x30508, 0x203C8, 0x103C8, 0x10098 };
constexpr NvU32 coolerLevelsV1 = 0x100A4;
constexpr NvU32 coolerLevelsV1Short = 0x1001C;
// A level write that fails is tried once more with the short record.
constexpr std::array<NvU32, 2> coolerLevelsLadder = { coolerLevelsV1, coolerLevelsV1Short };

constexpr std::array<NvU32, 2> thermalPoliciesInfoLadder = { 0x20068, 0x10058 };
constexpr std::array<NvU32, 2> thermalPoliciesStatusLadder = { 0x20038, 0x10028 };

constexpr NvU32 powerTopologyInfoV1 = 0x10018;
constexpr NvU32 powerTopologyStatusV1 = 0x10048;
constexpr NvU32 powerPoliciesInfoV1 = 0x100B8;
constexpr NvU32 powerPoliciesStatusV1 = 0x10048;

static_assert(pstates20V3 == 0x31CF8 && pstates20V2 == 0x21CF8 && pstates20V1 == 0x11C94, "pstates20 words");
static_assert(clockFrequenciesV3 == 0x30108 && clockFrequenciesV1 == 0x10108, "clock words");
static_assert(memoryInfoV3 == 0x30020 && memoryInfoV2 == 0x20018 && memoryInfoV1 == 0x10014, "memory words");
static_assert(thermalSettingsV2 == 0x20044 && thermalSettingsV1 == 0x10044, "thermal words");
static_assert(dynamicPstatesV1 == 0x10048, "dynamic pstates word");
static_assert(sizeof(void *) != 4 || (i2cV3 == 0x3002C && i2cV2 == 0x20024 && i2cV1 == 0x10020), "i2c words");
static_assert(sizeof(void *) != 8 || (i2cV3 == 0x30040 && i2cV2 == 0x20038 && i2cV1 == 0x10030), "i2c words");
} // namespace NvApiVersion
