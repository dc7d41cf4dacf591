#include "cardinfoassembler.h"

namespace {
MonitorValue fromPair(const ExtremePair &pair, std::int32_t current, std::int32_t rangeTop)
{
    return { pair.maximum, pair.minimum, current, rangeTop, 0 };
}

std::int32_t percentOf(std::int64_t value, std::int32_t whole)
{
    return static_cast<std::int32_t>(double(value) / double(whole) * 100.0);
}
} // namespace

NvCardBaseInfo CardInfoAssembler::assemble(const Readings &r, const ExtremesTable &x)
{
    if (r.clocks.gpuMhz > 2000)
        m_highGpuClockSeen = true;
    if (r.clocks.memoryMhz > 5000)
        m_highMemoryClockSeen = true;
    if (r.cooler.fanSpeedRpm > 1500)
        m_highFanSpeedSeen = true;

    NvCardBaseInfo info;
    info.gpuClock
        = fromPair(extreme(x, Extreme::GpuClock), r.clocks.gpuMhz, m_highGpuClockSeen ? 3000 : 2000);
    info.memoryClock = fromPair(
        extreme(x, Extreme::MemoryClock), r.clocks.memoryMhz, m_highMemoryClockSeen ? 10000 : 5000);
    info.fanSpeed
        = fromPair(extreme(x, Extreme::FanSpeed), r.cooler.fanSpeedRpm, m_highFanSpeedSeen ? 5000 : 3000);
    info.temperature = fromPair(extreme(x, Extreme::Temperature), r.thermal.currentC, 104);
    info.gpuUsage = fromPair(extreme(x, Extreme::GpuUsage), r.usage.gpuPercent, 100);

    const ExtremePair &used = extreme(x, Extreme::UsedMemory);
    const std::int32_t dedicated = r.memory.dedicatedKb;
    info.memoryUsage.rangeTop = 100;
    if (dedicated != 0) {
        info.memoryUsage.current = percentOf(r.memory.usedKb, dedicated);
        info.memoryUsage.maximum = percentOf(used.maximum, dedicated);
        info.memoryUsage.minimum = percentOf(used.minimum, dedicated);
    }
    info.memoryAmount
        = { used.maximum / 1024, used.minimum / 1024, r.memory.usedKb >> 10, dedicated >> 10, 0 };
    return info;
}

BoardTempCompleteInfo CardInfoAssembler::assembleBoard(const BoardTemperatures &t, const ExtremesTable &x)
{
    BoardTempCompleteInfo info;
    info.sensor1 = fromPair(extreme(x, Extreme::BoardSensor1), t.sensorC[0], 100);
    info.sensor2 = fromPair(extreme(x, Extreme::BoardSensor2), t.sensorC[1], 100);
    info.sensor3 = fromPair(extreme(x, Extreme::BoardSensor3), t.sensorC[2], 100);
    info.sensor4 = fromPair(extreme(x, Extreme::BoardSensor4), t.sensorC[3], 100);
    return info;
}
