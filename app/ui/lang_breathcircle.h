#pragma once

#include <QString>
#include <QStringList>

/// Texts of the circle gauge.
/// The defaults are the Chinese texts: a view not yet given its texts shows Chinese.
struct Lang_BreathCircle
{
    QString clock = QStringLiteral("核 心 频 率");
    QString temperature = QStringLiteral("核 心 温 度");
    QString memory = QStringLiteral("显 存 占 用");
    QString preset = QStringLiteral("预设 ");
    QString present = QStringLiteral("当前 ");
    QString decrease = QStringLiteral("减少 ");
    QString increase = QStringLiteral("增加 ");

    static constexpr int Count = 7;

    /// In table order.
    QStringList texts() const { return { clock, temperature, memory, preset, present, decrease, increase }; }
};
