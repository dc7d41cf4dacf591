#include "korvo_colorslider.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

Korvo_ColorSlider::Korvo_ColorSlider(QWidget *parent)
    : QSlider(Qt::Horizontal, parent)
{
    setRange(0, Maximum);
    setValue(PureHueValue);
    connect(this, &QSlider::valueChanged, this, &Korvo_ColorSlider::onValueChanged);
}

QColor Korvo_ColorSlider::colorForValue(int value, int minimum, int maximum, int hue)
{
    int saturation = 255;
    int brightness = 255;
    if (maximum != minimum) {
        const double x = double(value - minimum) / (maximum - minimum) * 500.0;
        if (x > 255.0) {
            brightness = static_cast<int>(500.0 - x);
        } else {
            saturation = static_cast<int>(x);
        }
    }
    return QColor::fromHsv(hue, qBound(0, saturation, 255), qBound(0, brightness, 255), 255);
}

int Korvo_ColorSlider::baseHue() const
{
    return m_baseColor.isValid() ? m_baseColor.hsvHue() : 0;
}

void Korvo_ColorSlider::onValueChanged(int value)
{
    m_currentColor = colorForValue(value, minimum(), maximum(), baseHue());
    drawHandle();
    update();
    emit colorChanged(m_currentColor);
}

void Korvo_ColorSlider::takeColor(const QColor &color)
{
    m_baseColor = color;
    m_currentColor = color;
    drawHandle();
    setValue(PureHueValue);
}

void Korvo_ColorSlider::setSliderBarColor(const QColor &color)
{
    takeColor(color);
    emit colorChanged(color);
    update();
}

void Korvo_ColorSlider::setSliderBarColorAndDoNotSendColorChangedSignal(const QColor &color)
{
    takeColor(color);
    update();
}

void Korvo_ColorSlider::drawHandle()
{
    if (m_handle.isNull())
        return;
    m_handle.fill(Qt::transparent);
    QPainter painter(&m_handle);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::white);
    painter.setBrush(m_currentColor.isValid() ? m_currentColor : QColor(Qt::white));
    painter.drawPath(m_handleShape);
}

void Korvo_ColorSlider::resizeEvent(QResizeEvent *event)
{
    QSlider::resizeEvent(event);
    m_handleHeight = qMax(1, height() + 2 * (m_overhang - m_topMargin));
    m_trackLength = width() - 2 * (m_leftMargin + m_trackInset) - m_handleWidth;
    m_handle = QPixmap(m_handleWidth, m_handleHeight);
    const int w = m_handleWidth;
    const int h = m_handleHeight;
    m_handleShape = QPainterPath();
    m_handleShape.moveTo(0, m_overhang);
    m_handleShape.quadTo(w / 2, 0, w, m_overhang);
    m_handleShape.lineTo(w, h - m_overhang);
    m_handleShape.quadTo(w / 2, h, 0, h - m_overhang);
    m_handleShape.lineTo(0, m_overhang);
    drawHandle();
}

void Korvo_ColorSlider::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int hue = baseHue();
    QLinearGradient gradient(0, 0, width() - 2 * m_leftMargin, 0);
    gradient.setColorAt(0.0, QColor::fromHsv(hue, 0, 255));
    gradient.setColorAt(0.5, QColor::fromHsv(hue, 255, 255));
    gradient.setColorAt(1.0, QColor::fromHsv(hue, 255, 0));
    painter.setPen(QPen(Qt::white, 1));
    painter.setBrush(gradient);
    painter.drawRect(
        QRect(m_leftMargin, m_topMargin, width() - 2 * m_leftMargin, height() - 2 * m_topMargin));
    if (maximum() == minimum() || m_handle.isNull())
        return;
    const int x = static_cast<int>(double(m_trackLength) * (value() - minimum()) / (maximum() - minimum())
        + m_trackInset + m_leftMargin);
    painter.drawPixmap(x, m_topMargin - m_overhang, m_handle);
}

void Korvo_ColorSlider::setValueFromX(int x)
{
    if (m_trackLength <= 0)
        return;
    const double position = double(x - m_leftMargin - m_trackInset - m_handleWidth / 2) / m_trackLength;
    setValue(minimum() + qRound(qBound(0.0, position, 1.0) * (maximum() - minimum())));
}

void Korvo_ColorSlider::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        setValueFromX(event->pos().x());
}

void Korvo_ColorSlider::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        setValueFromX(event->pos().x());
}
