#include "korvo_trianglebutton.h"

#include <QBitmap>
#include <QMouseEvent>
#include <QPainter>
#include <QtMath>

#include <cmath>

namespace {

constexpr double CornerDegrees = 58.0;

} // namespace

Korvo_TriangleButton::Korvo_TriangleButton(QWidget *parent)
    : QLabel(parent)
{
    setMouseTracking(true);
    setStyleSheet(QStringLiteral("background-color: rgba(0, 0, 0, 0);"));
}

int Korvo_TriangleButton::normalizedHue(double hue)
{
    // C++'s remainder keeps the sign; the second remainder folds -360 (which would give 360) back to 0.
    const int whole = static_cast<int>(hue);
    return ((whole % 360) + 360) % 360;
}

double Korvo_TriangleButton::hueAt(const QPointF &point, const QPointF &centre)
{
    return 180.0 - qRadiansToDegrees(std::atan2(-(point.y() - centre.y()), point.x() - centre.x()));
}

void Korvo_TriangleButton::buildShape()
{
    m_shape = QPainterPath();
    const int a = width() / 15;
    const int k = a / 5;
    const double c = std::cos(qDegreesToRadians(CornerDegrees));
    const double s = std::sin(qDegreesToRadians(CornerDegrees));
    const double h = (a / 2) / c * s;
    const double half = a / 2.0;
    m_shape.moveTo(k, 0);
    m_shape.lineTo(a - k, 0);
    m_shape.quadTo(QPointF(a, 0), QPointF(a - k * c, k * s));
    m_shape.lineTo(half + k * c, h - k * s);
    m_shape.quadTo(QPointF(half, h), QPointF(half - k * c, h - k * s));
    m_shape.lineTo(k * c, k * s);
    m_shape.quadTo(QPointF(0, 0), QPointF(k, 0));
    m_shape.translate(-half, -(height() / 10 * 3) - 1.2 * h);
}

void Korvo_TriangleButton::drawInto(QPixmap &pixmap, int outlineAlpha) const
{
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(width() / 2.0, height() / 2.0);
    painter.rotate(m_hue - 90.0);
    QPen pen(QColor(255, 255, 255, outlineAlpha));
    pen.setWidthF(1.5);
    painter.setPen(pen);
    painter.setBrush(m_color);
    painter.drawPath(m_shape);
}

void Korvo_TriangleButton::redraw()
{
    m_hue = normalizedHue(m_hue);
    m_color = QColor::fromHsv(static_cast<int>(m_hue), 255, 255, 255);
    if (m_normal.isNull())
        return;
    drawInto(m_normal, 125);
    drawInto(m_hover, 200);
    drawInto(m_pressed, 255);
    // The marker moves with its hue, and only the marker itself takes the mouse.
    setMask(m_normal.mask());
}

void Korvo_TriangleButton::moveTo(const QColor &color)
{
    m_color = color;
    m_hue = color.hsvHue();
    redraw();
    setPixmap(m_pressed);
}

void Korvo_TriangleButton::setButtonColor(const QColor &color)
{
    moveTo(color);
    emit onColorChanged(m_color);
}

void Korvo_TriangleButton::setButtonColorAndDoNotSendColorChangedSignal(const QColor &color)
{
    moveTo(color);
}

void Korvo_TriangleButton::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    m_normal = QPixmap(size());
    m_hover = QPixmap(size());
    m_pressed = QPixmap(size());
    buildShape();
    redraw();
    setPixmap(m_normal);
    // Only the first sizing announces the colour: a later resize changes no colour, and announcing it again
    // would recolour the LED page's bound button and send to the card.
    if (m_sized)
        return;
    m_sized = true;
    emit onColorChanged(m_color);
}

void Korvo_TriangleButton::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton)) {
        setPixmap(m_hover);
        return;
    }
    m_hue = hueAt(event->localPos(), QPointF(width() / 2.0, height() / 2.0));
    redraw();
    setPixmap(m_pressed);
    emit onColorChanged(m_color);
}

void Korvo_TriangleButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    setPixmap(mask().contains(event->pos()) ? m_hover : m_normal);
}

void Korvo_TriangleButton::enterEvent(QEvent *)
{
    setPixmap(m_hover);
}

void Korvo_TriangleButton::leaveEvent(QEvent *)
{
    setPixmap(m_normal);
}
