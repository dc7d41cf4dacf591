#pragma once

#include "cardsampler.h"
#include "tuningrecords.h"

#include <QString>

#include <array>
#include <optional>

/// One card's readings in the exporter's terms: what the card answered, and
/// nothing for what it did not, so that an unsupported reading is left out
/// rather than exported as 0.
struct CardMetrics
{
    int index = 0;
    QString pciBus; ///< "0000:01:00.0": the label that stays when the cards are listed in another order
    QString name;
    quint32 deviceId = 0;
    quint32 subsystemId = 0;
    QString vbios;
    QString driver;
    bool up = false;

    std::optional<int> temperatureC;
    std::optional<int> temperatureTargetC;
    std::optional<int> graphicsClockMhz;
    std::optional<int> memoryClockMhz;
    std::optional<int> gpuUsagePercent;
    std::optional<int> frameBufferUsagePercent;
    std::optional<int> videoUsagePercent;
    std::optional<qint64> memoryUsedBytes;
    std::optional<qint64> memoryTotalBytes;
    std::optional<int> fanLevelPercent;
    std::optional<int> fanRpm;
    std::optional<int> powerDrawPercent;
    std::array<std::optional<int>, 4> boardSensorC;
    std::optional<LedStateReading> lighting;
    std::optional<bool> hasLcd;

    /// From one sampling cycle and the extra answers the cycle does not keep.
    static CardMetrics fromSample(const CardSample &sample, std::optional<int> fanRpm,
        std::optional<int> powerDrawPercent, const std::array<bool, 4> &boardSensors);
};
