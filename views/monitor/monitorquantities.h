#pragma once

#include "gpurecords.h"

#include <QString>

// Which member of a record each row and graph of the monitoring pages shows, in row order.
namespace MonitorQuantities {

constexpr int GpuCount = 6;
constexpr int BoardCount = 4;
constexpr int GpuMask = (1 << GpuCount) - 1;
constexpr int BoardMask = (1 << BoardCount) - 1;

/// Core clock, fan speed, temperature, memory clock, memory usage, GPU usage for i = 0..5.
inline const MonitorValue &gpu(const NvCardBaseInfo &info, int i)
{
    switch (i) {
    case 0:
        return info.gpuClock;
    case 1:
        return info.fanSpeed;
    case 2:
        return info.temperature;
    case 3:
        return info.memoryClock;
    case 4:
        return info.memoryUsage;
    default:
        return info.gpuUsage;
    }
}

/// What follows the numbers of GPU row i: the two usages are percentages.
inline QString gpuUnit(int i)
{
    return i == 4 || i == 5 ? QStringLiteral("%") : QString();
}

/// Board sensor i = 0..3 in the record's order.
inline const MonitorValue &board(const BoardTempCompleteInfo &info, int i)
{
    switch (i) {
    case 0:
        return info.sensor1;
    case 1:
        return info.sensor2;
    case 2:
        return info.sensor3;
    default:
        return info.sensor4;
    }
}

} // namespace MonitorQuantities
