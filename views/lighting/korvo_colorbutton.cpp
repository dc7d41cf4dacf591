#include "korvo_colorbutton.h"

#include "korvo_colorbuttongroup.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

namespace {

int outlineAlpha(int look)
{
    switch (look) {
    case 1:
        return 255;
    case 2:
        return 200;
    default:
        return 150;
    }
}

// Above this grey level a colour is too light for a white check mark.
constexpr int LightColourGray = 200;

} // namespace

Korvo_ColorButton::Korvo_ColorButton(const QColor &color, QWidget *parent)
    : QLabel(parent)
    , m_color(color)
{
    m_clickTimer.setInterval(ClickDelayMs);
    connect(&m_clickTimer, &QTimer::timeout, this, &Korvo_ColorButton::onTimeOut);
}

void Korvo_ColorButton::applyGroupState(bool checked)
{
    m_checked = checked;
    emit stateChanged(checked);
    update();
}

void Korvo_ColorButton::setCheck(bool checked)
{
    if (m_group) {
        m_group->requestCheck(this, checked);
    } else if (checked != m_checked) {
        m_checked = checked;
        emit stateChanged(checked);
    }
    update();
}

void Korvo_ColorButton::setColor(const QColor &color)
{
    m_color = color;
    update();
}

void Korvo_ColorButton::onTimeOut()
{
    m_clickTimer.stop();
    if (m_group) {
        m_group->requestCheck(this, !m_checked);
    } else {
        m_checked = !m_checked;
        emit stateChanged(m_checked);
    }
    update();
    emit onMouseClick(this);
}

void Korvo_ColorButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int side = width();
    if (!isEnabled()) {
        painter.fillRect(QRect(0, 0, side, side), QColor::fromHsv(m_color.hsvHue(), 255, 150));
        return;
    }
    painter.fillRect(QRect(1, 1, side - 2, side - 2), m_color);
    QPen pen(QColor(255, 255, 255, outlineAlpha(m_look)));
    pen.setWidth(2);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(0, 0, width(), height()));
    if (!m_checked)
        return;
    // White on a light colour (white, yellow) would not show: there the mark is dark.
    painter.setPen(Qt::NoPen);
    painter.setBrush(qGray(m_color.rgb()) > LightColourGray ? QColor(30, 30, 30) : QColor(Qt::white));
    painter.drawPolygon(QPolygon({ QPoint(0, 0), QPoint(side / 3, 0), QPoint(0, height() / 3) }));
}

void Korvo_ColorButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_look = 1;
    if (!m_clickTimer.isActive())
        m_clickTimer.start();
    update();
}

void Korvo_ColorButton::mouseReleaseEvent(QMouseEvent *event)
{
    m_look = rect().contains(event->pos()) ? 2 : 0;
    update();
}

void Korvo_ColorButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_clickTimer.stop();
    emit onMouseDuobleClick(this);
    update();
}

void Korvo_ColorButton::enterEvent(QEvent *)
{
    m_look = 2;
    repaint();
}

void Korvo_ColorButton::leaveEvent(QEvent *)
{
    m_look = 0;
    repaint();
}
