#include "korvo_userdefinefanspeed.h"

#include "lookkit.h"
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace {

const QColor GridColor = LookKit::accent(50);
const QColor CurveColor = LookKit::accent(150);

int clampInt(int v, int low, int high)
{
    return std::min(std::max(v, low), high);
}

} // namespace

Korvo_UserDefineFanSpeed::Korvo_UserDefineFanSpeed(QWidget *parent)
    : QWidget(parent)
    , m_values(defaultPoints())
{
    setMouseTracking(true);
    rebuildPixels();
}

QList<QPoint> Korvo_UserDefineFanSpeed::defaultPoints()
{
    return { QPoint(0, 0), QPoint(30, 20), QPoint(50, 50), QPoint(80, 90), QPoint(100, 100) };
}

QPoint Korvo_UserDefineFanSpeed::valueToPixel(const QPoint &value) const
{
    const int px = static_cast<int>(value.x() / 100.0 * m_plotWidth + m_left);
    const int py = static_cast<int>(m_plotHeight + m_top - value.y() / 100.0 * m_plotHeight);
    return QPoint(px, py);
}

QPoint Korvo_UserDefineFanSpeed::pixelToValue(const QPoint &pixel) const
{
    if (!hasPlot())
        return QPoint(0, 0);
    const int x = static_cast<int>(double(pixel.x() - m_left) / m_plotWidth * 100.0);
    const int y = static_cast<int>(double(m_plotHeight + m_top - pixel.y()) / m_plotHeight * 100.0);
    return QPoint(x, y);
}

void Korvo_UserDefineFanSpeed::rebuildPixels()
{
    m_pixels.clear();
    for (const QPoint &value : qAsConst(m_values))
        m_pixels.append(valueToPixel(value));
}

void Korvo_UserDefineFanSpeed::setPoints(const QList<QPoint> &points)
{
    if (points.size() > 1 && points.first() == QPoint(0, 0) && points.last() == QPoint(100, 100)) {
        m_values = points;
        m_dragged = -1;
        m_hovered = -1;
        rebuildPixels();
        update();
        return;
    }
    resetToDefault();
}

void Korvo_UserDefineFanSpeed::resetToDefault()
{
    m_values = defaultPoints();
    m_dragged = -1;
    m_hovered = -1;
    rebuildPixels();
    update();
}

void Korvo_UserDefineFanSpeed::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_left = 30;
    m_gridX = (width() - 45) / 10;
    m_gridY = (height() - 35) / 10;
    m_plotWidth = 10 * m_gridX;
    m_plotHeight = 10 * m_gridY;
    m_top = height() - m_plotHeight - 30;
    setPoints(m_values);
}

int Korvo_UserDefineFanSpeed::pointAt(const QPoint &pos, bool innerOnly) const
{
    for (int i = 0; i < m_pixels.size(); ++i) {
        if (innerOnly && (i == 0 || i == m_pixels.size() - 1))
            continue;
        const QPoint &p = m_pixels.at(i);
        if (std::abs(pos.x() - p.x()) <= HitRadius && std::abs(pos.y() - p.y()) <= HitRadius)
            return i;
    }
    return -1;
}

QPoint Korvo_UserDefineFanSpeed::clampToPlot(const QPoint &pos) const
{
    return QPoint(
        clampInt(pos.x(), m_left, m_left + m_plotWidth), clampInt(pos.y(), m_top, m_top + m_plotHeight));
}

void Korvo_UserDefineFanSpeed::mousePressEvent(QMouseEvent *event)
{
    // An editor too small for a plot has no pixels to turn into values.
    if (!hasPlot())
        return;
    m_dragged = pointAt(event->pos(), true);
    update();
}

void Korvo_UserDefineFanSpeed::mouseReleaseEvent(QMouseEvent *event)
{
    Q_UNUSED(event);
    m_dragged = -1;
    update();
}

void Korvo_UserDefineFanSpeed::mouseMoveEvent(QMouseEvent *event)
{
    if (!hasPlot())
        return;
    m_hovered = pointAt(event->pos(), false);
    if (m_dragged > 0 && m_dragged < m_pixels.size() - 1)
        dragTo(event->pos());
    update();
}

void Korvo_UserDefineFanSpeed::dragTo(const QPoint &pos)
{
    const int i = m_dragged;
    const QPoint &prevPixel = m_pixels.at(i - 1);
    const QPoint &nextPixel = m_pixels.at(i + 1);
    QPoint pixel = clampToPlot(pos);
    if (pixel.x() < prevPixel.x())
        pixel.setX(prevPixel.x());
    else if (pixel.x() > nextPixel.x())
        pixel.setX(nextPixel.x());
    // Fan speed grows upwards, pixels downwards.
    if (pixel.y() > prevPixel.y())
        pixel.setY(prevPixel.y());
    else if (pixel.y() < nextPixel.y())
        pixel.setY(nextPixel.y());
    // Pixels are coarser than values: a point on its neighbour's pixel can truncate below the neighbour's
    // value, and a falling curve is thrown away when it is read back. The values keep the order themselves.
    const QPoint &prev = m_values.at(i - 1);
    const QPoint &next = m_values.at(i + 1);
    QPoint value = pixelToValue(pixel);
    value.setX(clampInt(value.x(), prev.x(), std::max(prev.x(), next.x())));
    value.setY(clampInt(value.y(), prev.y(), std::max(prev.y(), next.y())));
    m_pixels[i] = pixel;
    m_values[i] = value;
    emit pointChanged();
}

void Korvo_UserDefineFanSpeed::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (!hasPlot())
        return;
    const int hit = pointAt(event->pos(), true);
    if (hit >= 0) {
        m_values.removeAt(hit);
        m_pixels.removeAt(hit);
        if (m_dragged == hit)
            m_dragged = -1;
        m_hovered = -1;
        emit pointChanged();
        return;
    }
    insertAt(event->pos());
    update();
}

void Korvo_UserDefineFanSpeed::insertAt(const QPoint &pos)
{
    if (m_values.size() >= MaxPoints)
        return;
    QPoint pixel = clampToPlot(pos);
    int i = -1;
    for (int k = 0; k + 1 < m_pixels.size(); ++k) {
        if (m_pixels.at(k).x() < pos.x() && pos.x() < m_pixels.at(k + 1).x()) {
            i = k;
            break;
        }
    }
    if (i < 0)
        return;
    const QPoint &before = m_pixels.at(i);
    const QPoint &after = m_pixels.at(i + 1);
    if (pixel.y() > before.y())
        pixel.setY(before.y());
    else if (pixel.y() < after.y())
        pixel.setY(after.y());
    const QPoint &prev = m_values.at(i);
    const QPoint &next = m_values.at(i + 1);
    QPoint value = pixelToValue(pixel);
    value.setX(clampInt(value.x(), prev.x(), std::max(prev.x(), next.x())));
    value.setY(clampInt(value.y(), prev.y(), std::max(prev.y(), next.y())));
    m_pixels.insert(i + 1, pixel);
    m_values.insert(i + 1, value);
    emit pointChanged();
}

void Korvo_UserDefineFanSpeed::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    const int L = m_left;
    const int T = m_top;
    const int Wp = m_plotWidth;
    const int Hp = m_plotHeight;
    const int gx = m_gridX;
    const int gy = m_gridY;
    QFont labelFont(QStringLiteral("Arial"));
    labelFont.setPixelSize(13);
    painter.setFont(labelFont);
    for (int k = 0; k <= 10; ++k) {
        const QString v = QString::number(10 * k);
        painter.setPen(Qt::white);
        if (k != 0)
            painter.drawText(QRect(0, T + Hp - gy * k - 5, L - 5, 10), Qt::AlignRight | Qt::AlignVCenter, v);
        painter.drawText(QRect(gx * k + L - gx / 2, T + Hp + 5, gx, 10), Qt::AlignCenter, v);
        painter.setPen(GridColor);
        painter.drawLine(L, T + Hp - gy * k, L + Wp, T + Hp - gy * k);
        painter.drawLine(L + gx * k, T, L + gx * k, T + Hp);
    }
    painter.drawLine(L, T, L, T + Hp);
    painter.drawLine(L, T + Hp, L + Wp, T + Hp);

    painter.setRenderHint(QPainter::Antialiasing);
    QPen curvePen(CurveColor);
    curvePen.setWidthF(1.5);
    painter.setPen(curvePen);
    for (int i = 0; i + 1 < m_pixels.size(); ++i)
        painter.drawLine(m_pixels.at(i), m_pixels.at(i + 1));

    labelFont.setPixelSize(10);
    painter.setFont(labelFont);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, T + 5, L - 5, 10), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("(%)"));
    painter.drawText(QRect(L + Wp, T + Hp - 5, gx, 10), Qt::AlignCenter, QStringLiteral("(C)"));

    for (int i = 0; i < m_pixels.size(); ++i) {
        QColor colour(255, 255, 255, 150);
        if (i == m_dragged)
            colour = QColor(255, 255, 255, 255);
        else if (i == m_hovered && m_dragged >= 0)
            continue;
        else if (i == m_hovered)
            colour = QColor(255, 255, 255, 200);
        painter.setPen(colour);
        painter.setBrush(colour);
        const QPoint &p = m_pixels.at(i);
        painter.drawRect(QRectF(p.x() - 3, p.y() - 3, 6, 6));
    }

    if (m_hovered < 0 || m_hovered >= m_pixels.size())
        return;
    labelFont.setPixelSize(11);
    painter.setFont(labelFont);
    painter.setPen(Qt::white);
    const QPoint &p = m_pixels.at(m_hovered);
    const QPoint &v = m_values.at(m_hovered);
    painter.drawText(QPoint(p.x() - 3, p.y() - 3 - 15), QString::number(v.x()));
    painter.drawText(QPoint(p.x() - 3, p.y() - 3 - 2), QString::number(v.y()));
}
