#include "korvo_overclockingslider.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

Korvo_OverClockingSlider::Korvo_OverClockingSlider(QWidget *parent)
    : QSlider(Qt::Horizontal, parent)
    , m_track(QStringLiteral(":/images/images/slider/void_slider.png"))
    , m_fill(QStringLiteral(":/images/images/slider/full_slider.png"))
    , m_disabled(QStringLiteral(":/images/images/slider/disable_slider.png"))
{
}

double Korvo_OverClockingSlider::fillShare(int value, int minimum, int maximum)
{
    const double span = std::abs(double(maximum) - double(minimum));
    // A range of one value has no length to divide: the value sits at the start.
    if (span <= 0.0)
        return 0.0;
    return std::min(1.0, std::max(0.0, (double(value) - double(minimum)) / span));
}

void Korvo_OverClockingSlider::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    const int y0 = (height() - m_track.height()) / 2;
    if (!isEnabled()) {
        painter.drawPixmap(0, y0, m_disabled);
        return;
    }
    painter.drawPixmap(0, y0, m_track);
    const double share = fillShare(value(), minimum(), maximum());
    const int fillWidth = std::max(1, static_cast<int>(width() * share));
    painter.drawPixmap(0, y0, m_fill, 0, 0, fillWidth, m_fill.height());
    if (!m_pressed && !m_hovered)
        return;
    const int x = static_cast<int>((width() - HandleWidth) * share);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, m_pressed ? 255 : 180));
    painter.drawRect(x, 0, HandleWidth, height());
}

void Korvo_OverClockingSlider::enterEvent(QEvent *event)
{
    m_hovered = true;
    update();
    QSlider::enterEvent(event);
}

void Korvo_OverClockingSlider::leaveEvent(QEvent *event)
{
    m_hovered = false;
    update();
    QSlider::leaveEvent(event);
}

void Korvo_OverClockingSlider::mousePressEvent(QMouseEvent *event)
{
    m_pressed = true;
    QSlider::mousePressEvent(event);
}

void Korvo_OverClockingSlider::mouseReleaseEvent(QMouseEvent *event)
{
    m_pressed = false;
    QSlider::mouseReleaseEvent(event);
}
