#include "korvo_sliderwidget.h"

#include "korvo_overclockingslider.h"
#include "modifyspinbox.h"

#include <QPainter>

Korvo_SliderWidget::Korvo_SliderWidget(QWidget *parent)
    : QWidget(parent)
    , m_spinBox(new ModifySpinBox(this))
    , m_slider(new Korvo_OverClockingSlider(this))
    , m_background(QStringLiteral(":/images/images/slider/background_slider.png"))
    , m_disabledBackground(QStringLiteral(":/images/images/slider/disable_background_slider.png"))
{
    setStyleSheet(QStringLiteral("ModifySpinBox{font-size:13px;}"));
    connect(m_slider, &QSlider::valueChanged, m_spinBox, &QSpinBox::setValue);
    connect(m_slider, &QSlider::valueChanged, this, &Korvo_SliderWidget::onSliderValueChanged);
    connect(m_spinBox, &QSpinBox::editingFinished, this, &Korvo_SliderWidget::onSpinBoxValueChanged);
    connect(m_slider, &QSlider::sliderMoved, this, &Korvo_SliderWidget::onSliderMoved);
    connect(m_slider, &QSlider::sliderReleased, this, &Korvo_SliderWidget::onSliderReleased);
}

void Korvo_SliderWidget::setText(QString text)
{
    m_title = std::move(text);
    update();
}

void Korvo_SliderWidget::setRange(int min, int max)
{
    m_minimum = min;
    m_maximum = max;
    m_slider->setRange(min, max);
    m_slider->setPageStep((max - min) / 20);
    m_spinBox->setRange(min, max);
}

void Korvo_SliderWidget::setValue(int value)
{
    // Stored first: the slider's echo then matches and is not reported, unless the slider clamps it.
    m_value = value;
    m_slider->setValue(value);
}

void Korvo_SliderWidget::onSpinBoxValueChanged()
{
    m_slider->setValue(m_spinBox->value());
}

void Korvo_SliderWidget::onSliderValueChanged(int value)
{
    if (value == m_value)
        return;
    m_value = value;
    emit valueChanged(this);
}

void Korvo_SliderWidget::onSliderMoved(int value)
{
    emit sliderMoved(this, value);
}

void Korvo_SliderWidget::onSliderReleased()
{
    emit sliderReleased(this);
}

QRect Korvo_SliderWidget::titleRect() const
{
    const int margin = width() / 20;
    const int inner = width() - 2 * margin;
    return QRect(2 * margin, 0, inner, height() - height() / 3);
}

void Korvo_SliderWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int w = width();
    const int h = height();
    const int margin = w / 20;
    const int inner = w - 2 * margin;
    const int spinWidth = inner / 6;
    const int top = h - h / 3;
    m_spinBox->setGeometry(static_cast<int>(inner / 5.0 * 4 + margin), top, spinWidth, h / 3);
    const int imageWidth = m_background.width();
    m_slider->setGeometry(imageWidth - 5, top, inner - spinWidth - imageWidth, h / 3);
}

void Korvo_SliderWidget::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    painter.setPen(QColor(238, 238, 238, 238));
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont titleFont = font();
    titleFont.setPixelSize(16);
    painter.setFont(titleFont);
    painter.drawText(titleRect(), Qt::AlignLeft | Qt::AlignVCenter, m_title);
    const QPixmap &cap = isEnabled() ? m_background : m_disabledBackground;
    const QRect slider = m_slider->geometry();
    painter.drawPixmap(0, slider.y() + (slider.height() - cap.height()) / 2, cap);
}
