#include "tuningrules.h"

#include "makerids.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

struct BoostEntry
{
    std::uint32_t subsystemDeviceId;
    int gpuClockMhz;
};

const BoostEntry BoostTable[] = {
    { 0x111E, 1759 },
    { 0x111D, 1733 },
    { 0x11DC, 1708 },
    { 0x112B, 1683 },
};

const char *const HighPerformanceModel = "GeForce GTX 1070 Ti";

// The stored value when it is a real setting inside [low, high]; otherwise the reading stays.
int storedOrRead(qint32 stored, int read, int low, int high, bool settable)
{
    if (!settable || stored < 0 || low > high || stored < low || stored > high)
        return read;
    return stored;
}

} // namespace

int TuningRules::boostClockMhz(std::uint32_t subsystemDeviceId)
{
    for (const BoostEntry &entry : BoostTable) {
        if (entry.subsystemDeviceId == subsystemDeviceId)
            return entry.gpuClockMhz;
    }
    return 0;
}

bool TuningRules::mayRunHighPerformancePreset(std::uint32_t subsystemId, const QString &fullName)
{
    return (subsystemId & 0xFFFFu) == MakerSubsystemVendorId
        && fullName == QLatin1String(HighPerformanceModel);
}

TuningState TuningRules::withStoredValues(const TuningState &read, const AdjustRecord &stored)
{
    TuningState s = read;
    s.clocks.gpuMhz = storedOrRead(stored.GpuFreClock, read.clocks.gpuMhz, read.gpuClockMinMhz(),
        read.gpuClockMaxMhz(), read.gpuRange.editable);
    s.clocks.memoryMhz = storedOrRead(stored.MemoryFreClock, read.clocks.memoryMhz, read.memoryClockMinMhz(),
        read.memoryClockMaxMhz(), read.memoryRange.editable);
    s.cooler.currentLevelPercent = storedOrRead(stored.FanSpeedLevel, read.cooler.currentLevelPercent,
        read.cooler.levelLowPercent, read.cooler.levelHighPercent, read.fanSettable());
    s.thermal.currentC = storedOrRead(stored.Temperature, read.thermal.currentC, read.thermal.minimumC,
        read.thermal.maximumC, read.thermal.supported);
    s.voltage.currentMv = storedOrRead(stored.Voltage, read.voltage.currentMv, read.voltage.lowestMv,
        read.voltage.highestMv, read.voltage.editable);
    s.power.currentTargetPercent = storedOrRead(stored.Power, read.power.currentTargetPercent,
        read.power.minimumPercent, read.power.maximumPercent, read.power.supported);
    return s;
}

int TuningRules::voltageOffsetMicrovolts(const VoltageInfo &voltage, int voltageMv)
{
    int mv = voltageMv;
    if (voltage.lowestMv <= voltage.highestMv)
        mv = std::min(std::max(mv, voltage.lowestMv), voltage.highestMv);
    return (mv - voltage.stockMv) * 1000;
}

bool TuningRules::linkStep(float linked, int &rowValue)
{
    if (!std::isfinite(linked))
        return false;
    const double truncated = std::trunc(double(linked));
    if (truncated < double(std::numeric_limits<int>::min())
        || truncated > double(std::numeric_limits<int>::max()))
        return false;
    rowValue = static_cast<int>(truncated);
    return true;
}

TuningState TuningRules::highPerformanceState(const TuningState &working, int boostMhz)
{
    TuningState s = working;
    s.clocks.gpuMhz = boostMhz;
    s.clocks.memoryMhz = working.memoryRange.baseClockMhz;
    s.voltage.currentMv = working.voltage.stockMv;
    s.power.currentTargetPercent = working.power.maximumPercent;
    s.thermal.currentC = working.thermal.defaultC;
    s.fanMode = TuningState::FanAutomatic;
    s.link = false;
    return s;
}

TuningState TuningRules::stockState(const TuningState &working)
{
    TuningState s = working;
    s.clocks.gpuMhz = working.gpuRange.baseClockMhz;
    s.clocks.memoryMhz = working.memoryRange.baseClockMhz;
    s.power.currentTargetPercent = working.power.defaultPercent;
    s.thermal.currentC = working.thermal.defaultC;
    s.voltage.currentMv = working.voltage.stockMv;
    s.fanMode = TuningState::FanAutomatic;
    s.link = false;
    return s;
}
