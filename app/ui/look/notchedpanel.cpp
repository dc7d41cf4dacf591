#include "notchedpanel.h"

#include "lookkit.h"

#include <QPainter>

const QColor NotchedPanel::Fill = LookKit::accent(60);
const QColor NotchedPanel::BandLine(255, 0, 0, 200);

QPainterPath NotchedPanel::shape(QSizeF size)
{
    const qreal w = size.width();
    const qreal h = size.height();
    QPainterPath page;
    page.moveTo(0, 0);
    page.lineTo(w, 0);
    page.lineTo(w, 0.9 * h);
    page.lineTo(0.9 * w, h);
    page.lineTo(0, h);
    page.closeSubpath();
    return page;
}

void NotchedPanel::paint(QPainter &painter, QSize size, int bandHeight)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Fill);
    painter.drawPath(shape(size));
    painter.drawRect(QRectF(0, 0, size.width(), bandHeight));
}

void NotchedPanel::paintBandLine(QPainter &painter, QSize size, int bandHeight)
{
    QPen line(BandLine);
    line.setWidthF(2);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(line);
    painter.drawLine(QPointF(0, bandHeight), QPointF(size.width(), bandHeight));
}
