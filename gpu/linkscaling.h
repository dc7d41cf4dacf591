#pragma once

#include "tuningrecords.h"

/// The power and temperature limits the linking operations scale between:
/// power in 1/1000 percent of the rated power, temperature in degrees.
struct LinkLimits
{
    float powerMin = 0.0f;
    float powerDefault = 0.0f;
    float powerMax = 0.0f;
    float thermalMin = 0.0f;
    float thermalDefault = 0.0f;
    float thermalMax = 0.0f;
};

/// Links the power target and the temperature target: each side's distance
/// from its default, as a share of the span to its limit, gives the other
/// side's value at the same share. A span of zero leaves the default.
class LinkScaling
{
public:
    /// The limits from the driver's raw values: power in 1/1000 percent,
    /// temperature in 1/256 degree.
    static LinkLimits fromRaw(float powerMin, float powerDefault, float powerMax, int thermalMinRaw,
        int thermalDefaultRaw, int thermalMaxRaw);

    /// The temperature linked to a power target in percent; false when the
    /// power lies outside its limits.
    static bool powerToThermal(const LinkLimits &limits, float powerPercent, LinkResult &result);

    /// The power target in percent linked to a temperature, as (power,
    /// degrees) like the other direction's result. The side of the default is
    /// chosen by the current power, not by the temperature.
    static LinkResult thermalToPower(const LinkLimits &limits, float degrees, float currentPowerPercent);
};
