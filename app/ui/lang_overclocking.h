#pragma once

#include <QString>
#include <QStringList>

/// Texts of the overclocking page.
/// The defaults are the Chinese texts: a view not yet given its texts shows Chinese.
struct Lang_OverClocking
{
    QString gpuClock = QStringLiteral("核心频率(MHz)");
    QString fanSpeed = QStringLiteral("风扇转速(%)");
    QString gpuVoltage = QStringLiteral("核心电压(mV)");
    QString memClock = QStringLiteral("显存频率(MHz)");
    QString targetPower = QStringLiteral("目标功耗(%)");
    QString targetTemp = QStringLiteral("最大温度(C)");
    QString apply = QStringLiteral("应用");
    QString cancel = QStringLiteral("取消");
    QString restoreDefault = QStringLiteral("默认");
    QString applyQuestion = QStringLiteral("确定应用当前设置？");
    /// Shown when the card refused a value the user applied; not one of the numbered entries, so it stays
    /// out of texts() and Count.
    QString applyRefused = QStringLiteral(
        "显卡拒绝了部分设置，这些项目保持显卡当前的值。修改频率、功耗、温度目标和风扇需要管理员权限。");

    static constexpr int Count = 10;

    /// In table order.
    QStringList texts() const
    {
        return { gpuClock, fanSpeed, gpuVoltage, memClock, targetPower, targetTemp, apply, cancel,
            restoreDefault, applyQuestion };
    }
};
