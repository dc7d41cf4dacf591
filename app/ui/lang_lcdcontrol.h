#pragma once

#include <QString>
#include <QStringList>

/// Texts of the LCD page.
/// The defaults are the Chinese texts: a view not yet given its texts shows Chinese.
struct Lang_LcdControl
{
    QString switchLcd = QStringLiteral("开启/关闭LCD");
    QString lcdControl = QStringLiteral("LCD控制设置");
    QString switchAutomatically = QStringLiteral("自动切换");
    QString switchManually = QStringLiteral("手动切换");
    QString time = QStringLiteral("自动切换时间：");
    QString hotkey = QStringLiteral("快捷键：");
    QString apply = QStringLiteral("确定");
    QString cancel = QStringLiteral("取消");
    QString applyQuestion = QStringLiteral("确定应用当前修改吗?");
    /// Shown when the chosen hotkey cannot be registered; not one of the numbered entries, so it stays out of
    /// texts() and Count.
    QString hotkeyUnavailable = QStringLiteral("该快捷键已被其他程序占用，请选择其他组合键。");

    static constexpr int Count = 9;

    /// In table order.
    QStringList texts() const
    {
        return { switchLcd, lcdControl, switchAutomatically, switchManually, time, hotkey, apply, cancel,
            applyQuestion };
    }
};
