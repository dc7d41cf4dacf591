#include "lookkit.h"

#include <QPainter>

QColor LookKit::accent(int alpha)
{
    return QColor(252, 10, 53, alpha);
}

QColor LookKit::accentDeep(int alpha)
{
    return QColor(236, 9, 40, alpha);
}

QString LookKit::css(const QColor &colour)
{
    return QStringLiteral("rgba(%1,%2,%3,%4)")
        .arg(colour.red())
        .arg(colour.green())
        .arg(colour.blue())
        .arg(colour.alpha());
}

QString LookKit::dialogStyle()
{
    return QStringLiteral("QLabel{color:white;}"
                          "QPushButton{border:1px solid %1;background-color:%2;color:rgb(220,220,220);}"
                          "QPushButton:hover{border:1px solid %3;background-color:%1;}"
                          "QPushButton:pressed{border:1px solid %4;background-color:%5;}"
                          "QPushButton:checked{background-color:%6;}")
        .arg(css(accent(150)), css(accent(80)), css(accent(180)), css(accent(200)), css(accent(140)),
            css(accent(120)));
}

void LookKit::paintDialogPanel(QPainter &painter, const QRect &rect)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(accent(), 2.5));
    painter.setBrush(QColor(0, 0, 0, 220));
    painter.drawRoundedRect(rect, 10, 10);
}

QPoint LookKit::centredOn(const QRect &area, QSize size)
{
    return { area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2 };
}

QString LookKit::fontFamily(LanguageType language)
{
    return language == English ? QStringLiteral("Arial") : QStringLiteral("微软雅黑");
}
