#include "cardmetrics.h"

CardMetrics CardMetrics::fromSample(const CardSample &sample, std::optional<int> fanRpm,
    std::optional<int> powerDrawPercent, const std::array<bool, 4> &boardSensors)
{
    CardMetrics m;
    const NvInfo &fixed = sample.fixed;
    const NvCardBaseInfo &live = sample.live;
    // A card whose name and memory no longer answer has gone (or its driver has).
    m.up = sample.valid.memory && !fixed.name.isEmpty() && fixed.name != QLatin1String("Unknown");
    m.name = fixed.name;
    m.vbios = fixed.biosVersion;
    m.driver = fixed.driverVersion;
    if (!m.up)
        return m;
    if (sample.valid.thermal)
        m.temperatureC = live.temperature.current;
    if (sample.valid.clocks) {
        m.graphicsClockMhz = live.gpuClock.current;
        m.memoryClockMhz = live.memoryClock.current;
    }
    if (sample.valid.usage) {
        m.gpuUsagePercent = sample.usage.gpuPercent;
        m.frameBufferUsagePercent = sample.usage.frameBufferPercent;
        m.videoUsagePercent = sample.usage.videoEnginePercent;
    }
    m.memoryTotalBytes = qint64(live.memoryAmount.rangeTop) * 1024 * 1024;
    m.memoryUsedBytes = qint64(live.memoryAmount.current) * 1024 * 1024;
    // A cooler with a level range is a fan; a passive board reports none.
    if (sample.valid.cooler && sample.cooler.levelHighPercent > sample.cooler.levelLowPercent)
        m.fanLevelPercent = sample.cooler.currentLevelPercent;
    m.fanRpm = fanRpm;
    m.powerDrawPercent = powerDrawPercent;
    const std::array<int, 4> board = { sample.board.sensor1.current, sample.board.sensor2.current,
        sample.board.sensor3.current, sample.board.sensor4.current };
    for (std::size_t i = 0; i < board.size(); ++i) {
        if (boardSensors[i])
            m.boardSensorC[i] = board[i];
    }
    return m;
}
