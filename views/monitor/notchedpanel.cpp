#include "notchedpanel.h"

#include <QPainter>
#include <QPainterPath>

const QColor NotchedPanel::Fill(252, 10, 53, 60);
const QColor NotchedPanel::BandLine(255, 0, 0, 200);

void NotchedPanel::paint(QPainter &painter, QSize size, int bandHeight)
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
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Fill);
    painter.drawPath(page);
    painter.drawRect(QRectF(0, 0, w, bandHeight));
}

void NotchedPanel::paintBandLine(QPainter &painter, QSize size, int bandHeight)
{
    QPen line(BandLine);
    line.setWidthF(2);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(line);
    painter.drawLine(QPointF(0, bandHeight), QPointF(size.width(), bandHeight));
}
