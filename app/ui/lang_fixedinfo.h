#pragma once

#include <QString>
#include <QStringList>

/// Texts of the fixed information panel.
/// The defaults are the Chinese texts: a view not yet given its texts shows Chinese.
struct Lang_FixedInfo
{
    QString busWidth = QStringLiteral("显存位宽");
    QString bandWidth = QStringLiteral("显存带宽");
    QString memType = QStringLiteral("显存类型");
    QString memSize = QStringLiteral("显存容量");
    QString gpuClock = QStringLiteral("核心频率");
    QString memClock = QStringLiteral("显存频率");
    QString customizedGpuClock = QStringLiteral("自定义核心频率");
    QString increase = QStringLiteral("增加");
    QString decrease = QStringLiteral("减少");
    QString customizedMemClock = QStringLiteral("自定义显存频率");
    QString biosVersion = QStringLiteral("BIOS版本号");
    QString cardInfo = QStringLiteral("基本信息");

    static constexpr int Count = 12;

    /// In table order.
    QStringList texts() const
    {
        return { busWidth, bandWidth, memType, memSize, gpuClock, memClock, customizedGpuClock, increase,
            decrease, customizedMemClock, biosVersion, cardInfo };
    }
};
