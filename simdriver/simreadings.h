#pragma once

#include "nvapitypes.h"

#include <array>

/// The live state of a simulated card. The dynamics move it with the load
/// unless the card is frozen; tests may set any field exactly.
struct SimReadings
{
    double load = 0.0; ///< 0..1
    int gpuClockMhz = 0;
    int memoryClockMhz = 0;
    int videoClockMhz = 0;
    double temperatureC = 0.0;
    int fanLevelPercent = 0;
    int fanRpm = 0;
    int gpuUsage = 0;
    int fbUsage = 0;
    int videoUsage = 0;
    int busUsage = 0;
    NvU32 memoryUsedKb = 0;
    NvU32 powerDraw = 0; ///< 1/1000 percent of the rated power
    int coreVoltageUv = 0; ///< without the user's delta
    std::array<double, 4> boardSensorC = { 0.0, 0.0, 0.0, 0.0 };
};
