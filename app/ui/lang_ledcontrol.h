#pragma once

#include <QString>
#include <QStringList>

/// Texts of the LED page.
/// The defaults are the Chinese texts: a view not yet given its texts shows Chinese.
struct Lang_LedControl
{
    QString singleBreath = QStringLiteral("单色呼吸");
    QString singleBright = QStringLiteral("单色常亮");
    QString multipleBreath = QStringLiteral("呼吸");
    QString multipleBright = QStringLiteral("常亮");
    QString interval = QStringLiteral("切换间隔");
    QString stateDisplay = QStringLiteral("状态显示");
    QString ledOff = QStringLiteral("睡  眠");
    QString gradient = QStringLiteral("渐变");
    QString reset = QStringLiteral("重置自定义颜色");
    QString light = QStringLiteral("灯效");

    static constexpr int Count = 10;

    /// In table order.
    QStringList texts() const
    {
        return { singleBreath, singleBright, multipleBreath, multipleBright, interval, stateDisplay, ledOff,
            gradient, reset, light };
    }
};
