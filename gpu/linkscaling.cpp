#include "linkscaling.h"

#include <algorithm>

LinkLimits LinkScaling::fromRaw(float powerMin, float powerDefault, float powerMax, int thermalMinRaw,
    int thermalDefaultRaw, int thermalMaxRaw)
{
    LinkLimits limits;
    limits.powerMin = powerMin;
    limits.powerDefault = powerDefault;
    limits.powerMax = powerMax;
    limits.thermalMin = thermalMinRaw / 256.0f;
    limits.thermalDefault = thermalDefaultRaw / 256.0f;
    limits.thermalMax = thermalMaxRaw / 256.0f;
    return limits;
}

bool LinkScaling::powerToThermal(const LinkLimits &l, float powerPercent, LinkResult &result)
{
    const float p = powerPercent * 1000.0f;
    if (p > l.powerMax || p < l.powerMin)
        return false;

    float t = l.thermalDefault;
    if (p > l.powerDefault) {
        if (l.powerMax > l.powerDefault)
            t = std::min(
                (p - l.powerDefault) / (l.powerMax - l.powerDefault) * (l.thermalMax - l.thermalDefault)
                    + l.thermalDefault,
                l.thermalMax);
    } else if (l.powerDefault > l.powerMin) {
        t = std::max(l.thermalDefault
                - (l.powerDefault - p) / (l.powerDefault - l.powerMin) * (l.thermalDefault - l.thermalMin),
            l.thermalMin);
    }
    result = { powerPercent, t };
    return true;
}

LinkResult LinkScaling::thermalToPower(const LinkLimits &l, float degrees, float currentPowerPercent)
{
    float power = l.powerDefault / 1000.0f;
    if (currentPowerPercent * 1000.0f > l.powerDefault) {
        if (l.thermalMax > l.thermalDefault)
            power = std::min(((degrees - l.thermalDefault) / (l.thermalMax - l.thermalDefault)
                                     * (l.powerMax - l.powerDefault)
                                 + l.powerDefault)
                    / 1000.0f,
                l.powerMax / 1000.0f);
    } else if (l.thermalDefault > l.thermalMin) {
        power = std::max((l.powerDefault
                             - (l.thermalDefault - degrees) / (l.thermalDefault - l.thermalMin)
                                 * (l.powerDefault - l.powerMin))
                / 1000.0f,
            l.powerMin / 1000.0f);
    }
    return { power, degrees };
}
