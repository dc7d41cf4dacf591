#pragma once

#include "nvmllibrary.h"

#include <QJsonObject>
#include <QString>

#include <optional>

/// One GPU as NVML itself reports it, read with the plain calls and no
/// conversion of the bridge's, so that the device check can hold the
/// program's readings against it.
struct NvmlView
{
    QString name;
    QString busId;
    std::string sysfsBusId; ///< "0000:01:00.0"
    unsigned int deviceId = 0;
    unsigned int subsystemId = 0;
    std::optional<unsigned long long> memoryTotalBytes;
    std::optional<int> temperatureC;
    std::optional<unsigned int> powerUsageMw;
    std::optional<unsigned int> powerDefaultMw;
    std::optional<unsigned int> powerLimitMw;
    std::optional<unsigned int> powerMinMw;
    std::optional<unsigned int> powerMaxMw;
    unsigned int fans = 0;
    bool graphicsOffsetAnswered = false;
    bool acousticTargetAnswered = false;

    /// Reads GPU `index` with the plain NVML calls; false when NVML has no such GPU.
    static bool read(const NvmlSymbols &nvml, unsigned int index, NvmlView &view);
    QJsonObject json() const;
};
