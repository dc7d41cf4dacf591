#pragma once

#include <QString>
#include <QStringList>

/// Texts of the GPU monitor page.
/// The defaults are the Chinese texts: a view not yet given its texts shows Chinese.
struct MonitorPageTexts
{
    QString driverVersion = QStringLiteral("驱动版本");
    QString gpuClock = QStringLiteral("核心频率");
    QString fanSpeed = QStringLiteral("风扇转速");
    QString temperature = QStringLiteral("温     度");
    QString memClock = QStringLiteral("显存频率");
    QString memUsage = QStringLiteral("显存使用率");
    QString gpuUsage = QStringLiteral("GPU使用率");

    static constexpr int Count = 7;

    /// In table order.
    QStringList texts() const
    {
        return { driverVersion, gpuClock, fanSpeed, temperature, memClock, memUsage, gpuUsage };
    }
};
