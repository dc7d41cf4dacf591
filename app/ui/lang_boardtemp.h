#pragma once

#include <QString>
#include <QStringList>

/// Texts of the board temperature page.
/// The defaults are the Chinese texts: a view not yet given its texts shows Chinese.
struct Lang_BoardTemp
{
    QString boardTemp = QStringLiteral("主板温度");
    QString mem1 = QStringLiteral("显存一");
    QString mem2 = QStringLiteral("显存二");
    QString coreMos = QStringLiteral("核心MOS");
    QString memMos = QStringLiteral("显存MOS");

    static constexpr int Count = 5;

    /// In table order.
    QStringList texts() const { return { boardTemp, mem1, mem2, coreMos, memMos }; }
};
