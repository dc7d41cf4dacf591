#pragma once

#include "nvapitypes.h"

/// What tuning writes have set on a simulated card.
struct SimTuning
{
    int gpuOffsetKhz = 0;
    int memoryOffsetKhz = 0;
    int voltageDeltaUv = 0;
    int overVoltageDeltaUv = 0;
    NvU32 powerLimit = 0; ///< 1/1000 percent
    int thermalLimitRaw = 0; ///< 1/256 degree
    bool thermalPriority = false;
    int coolerLevelPercent = 0; ///< the manual level; ignored under the automatic policy
    NvU32 coolerPolicy = 32;
    bool overclockedPstatesEnabled = false;
};
