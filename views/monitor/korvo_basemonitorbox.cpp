#include "korvo_basemonitorbox.h"

#include "korvo_baseinforow.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTime>

#include <algorithm>
#include <cmath>

Korvo_BaseMonitorBox::Korvo_BaseMonitorBox(QWidget *parent)
    : QWidget(parent)
    , m_header(new Korvo_BaseInfoRow(this))
{
    setMouseTracking(true);
    m_header->setCheckBoxVisible(false);
    m_appliedSize = size();
}

void Korvo_BaseMonitorBox::setValueRange(double min, double max)
{
    applyPendingSize();
    if (min == m_minimum && max == m_maximum)
        return;
    m_minimum = min;
    m_maximum = max;
    recomputePixelYs();
    update();
}

void Korvo_BaseMonitorBox::setTitle(QString title)
{
    m_title = title;
    m_header->setText(title);
    update();
}

void Korvo_BaseMonitorBox::setDisplayInfo(QString currentValue, QString minValue, QString maxValue)
{
    m_header->setValues(currentValue, maxValue, minValue);
}

void Korvo_BaseMonitorBox::setForgroundColor(QColor color)
{
    m_fillColor = color;
    update();
}

void Korvo_BaseMonitorBox::setGridColor(QColor color)
{
    m_gridColor = color;
    update();
}

int Korvo_BaseMonitorBox::pixelY(double value) const
{
    const double span = m_maximum - m_minimum;
    // A flat range has no scale: its values sit on the bottom line rather than at infinity.
    if (span == 0.0 || !std::isfinite(span))
        return m_plotHeight + m_topMargin;
    const double y = m_plotHeight - (value - m_minimum) / span * m_plotHeight + m_topMargin;
    // Far outside the range the row would not fit an int; such a point is off the widget anyway.
    constexpr double Limit = 1e6;
    return int(std::trunc(std::clamp(y, -Limit, Limit)));
}

int Korvo_BaseMonitorBox::hoverIndexAt(int x) const
{
    const int k = m_leftMargin + m_plotWidth - x;
    if (k < 0 || k >= historySize())
        return -1;
    return k;
}

void Korvo_BaseMonitorBox::addData(double value)
{
    applyPendingSize();
    --m_gridOffset;
    if (m_gridOffset <= -GridXStep)
        m_gridOffset = 0;
    HistoryPoint point;
    point.time = QTime::currentTime().toString(QStringLiteral("hh:mm:ss"));
    point.value = value;
    point.y = pixelY(value);
    m_history.push_front(std::move(point));
    trimToCapacity();
    update();
}

void Korvo_BaseMonitorBox::trimToCapacity()
{
    const std::size_t capacity = std::size_t(std::max(0, m_plotWidth));
    while (m_history.size() > capacity)
        m_history.pop_back();
}

void Korvo_BaseMonitorBox::recomputePixelYs()
{
    for (HistoryPoint &point : m_history)
        point.y = pixelY(point.value);
}

void Korvo_BaseMonitorBox::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    applySize();
}

void Korvo_BaseMonitorBox::applyPendingSize()
{
    if (size() != m_appliedSize)
        applySize();
}

void Korvo_BaseMonitorBox::applySize()
{
    m_appliedSize = size();
    m_gridXStep = GridXStep;
    m_gridYStep = GridYStep;
    m_gridOffset = 0;
    m_axisFontPx = AxisFontPx;
    m_axisLabelWidth = AxisLabelWidth;
    m_leftMargin = LeftMargin;
    m_topMargin = TopMargin;
    // A box narrower or lower than its margins has no plot, not a negative one.
    m_plotWidth = std::max(0, width() - LeftMargin);
    m_plotHeight = std::max(0, height() - TopMargin);
    m_horizontalLines = m_plotHeight / m_gridYStep;
    m_verticalLines = m_plotWidth / m_gridXStep;
    m_header->setGeometry(LeftMargin, 0, std::max(0, width() - LeftMargin), TopMargin);
    recomputePixelYs();
}

void Korvo_BaseMonitorBox::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    paintGrid(painter);
    paintData(painter);
    paintAxisLabels(painter);
    paintHover(painter);
}

void Korvo_BaseMonitorBox::paintGrid(QPainter &painter) const
{
    if (m_gridYStep <= 0 || m_gridXStep <= 0)
        return;
    QPainterPath grid;
    const int left = m_leftMargin;
    const int top = m_topMargin;
    for (int i = 0; i <= m_horizontalLines; ++i) {
        grid.moveTo(left, top + m_gridYStep * i);
        grid.lineTo(left + m_plotWidth, top + m_gridYStep * i);
    }
    for (int i = 0; i <= m_verticalLines + 1; ++i) {
        const int x = left + m_gridOffset + m_gridXStep * i;
        if (x <= left)
            continue;
        grid.moveTo(x, top);
        grid.lineTo(x, top + m_plotHeight);
    }
    painter.setPen(m_gridColor);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(grid);
}

void Korvo_BaseMonitorBox::paintData(QPainter &painter) const
{
    const int n = std::min(historySize(), m_plotWidth);
    if (n <= 0)
        return;
    const int right = m_leftMargin + m_plotWidth;
    const int bottom = m_topMargin + m_plotHeight;
    QPolygon polygon;
    polygon.reserve(n + 3);
    polygon << QPoint(right, m_history.front().y);
    for (int i = 0; i < n; ++i)
        polygon << QPoint(right - i, m_history[std::size_t(i)].y);
    polygon << QPoint(right - n - 1, bottom) << QPoint(right, bottom);
    painter.setPen(QColor(255, 255, 255, 255));
    painter.setBrush(m_fillColor);
    painter.drawPolygon(polygon);
}

void Korvo_BaseMonitorBox::paintAxisLabels(QPainter &painter) const
{
    if (m_axisFontPx <= 0)
        return;
    QFont axisFont(QStringLiteral("Arial"));
    axisFont.setPixelSize(m_axisFontPx);
    painter.setFont(axisFont);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, m_topMargin, m_axisLabelWidth, m_axisFontPx), Qt::AlignHCenter | Qt::AlignTop,
        QString::number(m_maximum, 'g', 6));
    painter.drawText(QRect(0, m_topMargin + m_plotHeight - m_axisFontPx, m_axisLabelWidth, m_axisFontPx),
        Qt::AlignRight | Qt::AlignTop, QString::number(m_minimum, 'g', 6));
}

void Korvo_BaseMonitorBox::paintHover(QPainter &painter) const
{
    // The stored mouse position may predate a resize or a shorter history: only a sample that exists is
    // shown.
    if (!m_hovering)
        return;
    const int k = hoverIndexAt(m_hoverPoint.x());
    if (k < 0)
        return;
    const int x = m_hoverPoint.x();
    QPen dotted(Qt::white);
    dotted.setStyle(Qt::DotLine);
    painter.setPen(dotted);
    painter.drawLine(x, m_topMargin, x, m_topMargin + m_plotHeight);

    const HistoryPoint &point = m_history[std::size_t(k)];
    painter.setPen(Qt::white);
    const QFontMetrics metrics(painter.font());
    const QString value = QString::number(static_cast<long long>(std::trunc(point.value)));
    const int baseline = m_topMargin + m_plotHeight / 2;
    painter.drawText(x - metrics.horizontalAdvance(value) / 2, baseline, value);
    painter.drawText(x - metrics.horizontalAdvance(point.time) / 2, baseline + metrics.height(), point.time);
}

void Korvo_BaseMonitorBox::mouseMoveEvent(QMouseEvent *event)
{
    const int size = historySize();
    const QRect samples(m_leftMargin + m_plotWidth - size, m_topMargin, size, m_plotHeight);
    if (samples.contains(event->pos())) {
        m_hovering = true;
        m_hoverPoint = event->pos();
        update();
    } else {
        m_hovering = false;
    }
    QWidget::mouseMoveEvent(event);
}

void Korvo_BaseMonitorBox::leaveEvent(QEvent *event)
{
    m_hovering = false;
    update();
    QWidget::leaveEvent(event);
}
