#include "simdynamics.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

namespace {
constexpr double Pi = 3.14159265358979323846;
constexpr double TemperatureLagSeconds = 25.0;
constexpr double MemoryLagSeconds = 6.0;
constexpr double MaxStepSeconds = 1.0;
constexpr double SettleAfterSeconds = 600.0;

double smoothStep(double edge0, double edge1, double x)
{
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

double approach(double value, double target, double dt, double lagSeconds)
{
    return value + (target - value) * (1.0 - std::exp(-dt / lagSeconds));
}

// Sums and products of a card's numbers are taken in 64 bits and only then
// brought back to the int of a reading.
int saturated(std::int64_t value)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

int saturated(double value)
{
    if (std::isnan(value))
        return 0;
    return static_cast<int>(std::clamp<double>(std::round(value), INT_MIN, INT_MAX));
}
} // namespace

double SimDynamics::load(double seconds, double phase)
{
    // A few slow waves of different periods: looks like a game session with
    // quieter stretches, never repeats quickly, and is smooth everywhere.
    const double slow = 0.30 * std::sin(2.0 * Pi * seconds / 97.0 + phase);
    const double middle = 0.17 * std::sin(2.0 * Pi * seconds / 31.0 + 1.7 * phase);
    const double fast = 0.05 * std::sin(2.0 * Pi * seconds / 7.3 + 3.1 * phase);
    return std::clamp(0.5 + slow + middle + fast, 0.0, 1.0);
}

SimReadings SimDynamics::settled(const SimCardConfig &config, const SimTuning &tuning, double load)
{
    SimReadings readings;
    readings.temperatureC = targetTemperature(config, load);
    readings.memoryUsedKb = memoryUsedKb(config, load);
    applyLoad(readings, config, tuning, load);
    applyFan(readings, config, tuning);
    applyBoardSensors(readings, config);
    return readings;
}

void SimDynamics::step(
    SimReadings &readings, const SimCardConfig &config, const SimTuning &tuning, double load, double dt)
{
    if (dt <= 0.0)
        return;
    if (dt > SettleAfterSeconds) {
        readings = settled(config, tuning, load);
        return;
    }
    const double target = targetTemperature(config, load);
    const double usedTarget = memoryUsedKb(config, load);
    for (double left = dt; left > 0.0; left -= MaxStepSeconds) {
        const double slice = std::min(left, MaxStepSeconds);
        readings.temperatureC = approach(readings.temperatureC, target, slice, TemperatureLagSeconds);
        readings.memoryUsedKb
            = static_cast<NvU32>(approach(readings.memoryUsedKb, usedTarget, slice, MemoryLagSeconds));
    }
    applyLoad(readings, config, tuning, load);
    applyFan(readings, config, tuning);
    applyBoardSensors(readings, config);
}

void SimDynamics::applyLoad(
    SimReadings &readings, const SimCardConfig &config, const SimTuning &tuning, double load)
{
    readings.load = load;
    readings.gpuClockMhz = gpuClockMhz(config, tuning, load, readings.temperatureC);
    readings.memoryClockMhz = memoryClockMhz(config, tuning, load);
    readings.videoClockMhz = saturated(
        std::int64_t { config.videoBaseMhz } * readings.gpuClockMhz / std::max(1, config.gpuBaseMhz));
    readings.gpuUsage = static_cast<int>(std::lround(load * 100.0));
    readings.fbUsage = static_cast<int>(std::lround(load * 68.0));
    readings.videoUsage = 0;
    readings.busUsage = static_cast<int>(std::lround(load * 11.0));
    readings.powerDraw = powerDraw(tuning, load);
    readings.coreVoltageUv = coreVoltageUv(config, readings.gpuClockMhz);
}

int SimDynamics::gpuClockMhz(const SimCardConfig &config, const SimTuning &tuning, double load, double tempC)
{
    const double share = smoothStep(0.08, 0.7, load);
    if (share <= 0.0)
        return config.gpuIdleMhz;
    const double top = double(config.gpuMaxBoostMhz) + tuning.gpuOffsetKhz / 1000;
    double clock = config.gpuIdleMhz + (top - config.gpuIdleMhz) * share;
    // Above the temperature target the card sheds 13 MHz a degree, and a power
    // target below the draw scales the boost part down.
    const double limitC = tuning.thermalLimitRaw / 256.0;
    if (tempC > limitC)
        clock -= 13.0 * (tempC - limitC);
    const NvU32 wanted = powerDraw(SimTuning {}, load);
    if (tuning.powerLimit > 0 && wanted > tuning.powerLimit)
        clock = config.gpuIdleMhz + (clock - config.gpuIdleMhz) * tuning.powerLimit / wanted;
    return std::max(config.gpuIdleMhz, saturated(clock));
}

int SimDynamics::memoryClockMhz(const SimCardConfig &config, const SimTuning &tuning, double load)
{
    if (load < 0.1)
        return config.memoryIdleMhz;
    if (load < 0.25)
        return saturated(std::int64_t { config.memoryIdleMhz } * 2);
    // An offset below the clock itself leaves the memory standing, not running backwards.
    return saturated(
        std::max<std::int64_t>(0, std::int64_t { config.memoryMhz } + tuning.memoryOffsetKhz / 1000));
}

double SimDynamics::targetTemperature(const SimCardConfig &config, double load)
{
    return config.ambientC + 4.0 + load * 44.0;
}

NvU32 SimDynamics::memoryUsedKb(const SimCardConfig &config, double load)
{
    const double used = config.memoryIdleUsedKb + load * 0.62 * config.dedicatedKb;
    return static_cast<NvU32>(std::min<double>(used, config.dedicatedKb));
}

NvU32 SimDynamics::powerDraw(const SimTuning &tuning, double load)
{
    const NvU32 wanted = static_cast<NvU32>(9000 + load * 96000);
    if (tuning.powerLimit > 0)
        return std::min(wanted, tuning.powerLimit);
    return wanted;
}

int SimDynamics::coreVoltageUv(const SimCardConfig &config, int gpuClockMhz)
{
    const double span = std::max(1.0, double(config.gpuMaxBoostMhz) - config.gpuIdleMhz);
    const double share = std::clamp((double(gpuClockMhz) - config.gpuIdleMhz) / span, 0.0, 1.0);
    const double uv = config.voltageIdleUv + (double(config.voltageLoadUv) - config.voltageIdleUv) * share;
    // Voltage steps are 6.25 mV on these cards.
    return saturated(std::round(uv / 6250.0) * 6250.0);
}

void SimDynamics::applyFan(SimReadings &readings, const SimCardConfig &config, const SimTuning &tuning)
{
    if (!config.hasCooler) {
        readings.fanLevelPercent = 0;
        readings.fanRpm = 0;
        return;
    }
    int level = tuning.coolerLevelPercent;
    if (tuning.coolerPolicy == 32) {
        const double wanted = config.fanAutoMinPercent + (readings.temperatureC - 45.0) * 1.6;
        const double lowest = std::min<double>(config.fanAutoMinPercent, 100.0);
        level = saturated(std::clamp<double>(wanted, lowest, 100.0));
    }
    level = std::clamp(
        level, config.fanLevelMinPercent, std::max(config.fanLevelMinPercent, config.fanLevelMaxPercent));
    readings.fanLevelPercent = level;
    readings.fanRpm = fanRpmForLevel(config, level);
}

int SimDynamics::fanRpmForLevel(const SimCardConfig &config, int levelPercent)
{
    if (levelPercent <= 0)
        return 0;
    return saturated(std::int64_t { config.fanMinRpm }
        + (std::int64_t { config.fanMaxRpm } - config.fanMinRpm) * levelPercent / 100);
}

void SimDynamics::applyBoardSensors(SimReadings &readings, const SimCardConfig &config)
{
    const double rise = readings.temperatureC - config.ambientC;
    for (std::size_t i = 0; i < readings.boardSensorC.size(); ++i) {
        const double celsius = config.ambientC + rise * config.boardSensorShare[i];
        readings.boardSensorC[i] = std::round(celsius * 16.0) / 16.0;
    }
}
