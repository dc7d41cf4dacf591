#pragma once

#include "simcardconfig.h"
#include "simreadings.h"
#include "simtuning.h"

/// How a simulated card's readings follow its load. The load is a smooth
/// function of time; clocks, usage and memory follow it directly, the
/// temperature lags behind it, the fan follows the temperature (or the level
/// set by hand) and the board sensors follow the temperature.
class SimDynamics
{
public:
    /// Load in 0..1 at `seconds`, shifted by the card's phase.
    static double load(double seconds, double phase);

    /// The readings a card settles to at a constant load.
    static SimReadings settled(const SimCardConfig &config, const SimTuning &tuning, double load);

    /// Moves `readings` on by `dt` seconds towards the state of `load`.
    static void step(
        SimReadings &readings, const SimCardConfig &config, const SimTuning &tuning, double load, double dt);

    /// Fan level and speed for the current temperature and fan policy.
    static void applyFan(SimReadings &readings, const SimCardConfig &config, const SimTuning &tuning);

    static int fanRpmForLevel(const SimCardConfig &config, int levelPercent);

private:
    static int gpuClockMhz(const SimCardConfig &config, const SimTuning &tuning, double load, double tempC);
    static int memoryClockMhz(const SimCardConfig &config, const SimTuning &tuning, double load);
    static double targetTemperature(const SimCardConfig &config, double load);
    static NvU32 memoryUsedKb(const SimCardConfig &config, double load);
    static NvU32 powerDraw(const SimTuning &tuning, double load);
    static int coreVoltageUv(const SimCardConfig &config, int gpuClockMhz);
    static void applyLoad(
        SimReadings &readings, const SimCardConfig &config, const SimTuning &tuning, double load);
    static void applyBoardSensors(SimReadings &readings, const SimCardConfig &config);
};
