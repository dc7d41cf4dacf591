#include "korvo_colorpalettebox.h"

#include "colorringrenderer.h"
#include "korvo_colorslider.h"
#include "korvo_rgbbox.h"
#include "korvo_trianglebutton.h"

#include <QPainter>
#include <QtMath>

#include <cmath>

namespace {
constexpr qreal DisabledOpacity = 0.3;
} // namespace

Korvo_ColorPaletteBox::Korvo_ColorPaletteBox(QWidget *parent)
    : QWidget(parent)
    , m_slider(new Korvo_ColorSlider(this))
{
    m_slider->setSliderBarColor(QColor::fromHsv(120, 255, 255));
    m_rgbBox = new Korvo_rgbBox(this);
    m_marker = new Korvo_TriangleButton(this);
    connect(m_slider, &Korvo_ColorSlider::colorChanged, m_rgbBox, &Korvo_rgbBox::setColor);
    connect(m_marker, &Korvo_TriangleButton::onColorChanged, m_slider, &Korvo_ColorSlider::setSliderBarColor);
    connect(m_rgbBox, &Korvo_rgbBox::colorChanged, m_marker,
        &Korvo_TriangleButton::setButtonColorAndDoNotSendColorChangedSignal);
    connect(m_rgbBox, &Korvo_rgbBox::colorChanged, m_slider, &Korvo_ColorSlider::setSliderBarColor);
    connect(m_slider, &Korvo_ColorSlider::colorChanged, this, &Korvo_ColorPaletteBox::onSliderColorChanged);
}

Korvo_ColorPaletteBox::~Korvo_ColorPaletteBox()
{
    // The focus leaving a dying RGB box ends its edit, which would run the colour chain into this
    // half-destroyed palette and on to the LED page: a teardown is nobody's edit.
    for (QObject *child : { static_cast<QObject *>(m_slider), static_cast<QObject *>(m_rgbBox),
             static_cast<QObject *>(m_marker) })
        child->blockSignals(true);
}

void Korvo_ColorPaletteBox::setRadii(int side)
{
    m_outerRadius = ColorRingRenderer::outerRadius(side);
    m_innerRadius = ColorRingRenderer::innerRadius(m_outerRadius);
}

void Korvo_ColorPaletteBox::setPaletteSize(int side)
{
    setRadii(side);
    if (side == m_side)
        return;
    m_side = side;
    // Rendered when first painted (or prepared when about to show): most runs never open the LED page.
    m_ring = QImage();
    update();
}

void Korvo_ColorPaletteBox::prepareRing() const
{
    if (m_ring.isNull() && m_side > 0)
        ColorRingRenderer::prepare(m_side);
}

QImage Korvo_ColorPaletteBox::ringImage() const
{
    if (m_ring.isNull() && m_side > 0)
        m_ring = ColorRingRenderer::shared(m_side);
    return m_ring;
}

void Korvo_ColorPaletteBox::adjustColor(const QColor &color)
{
    m_marker->setButtonColor(color);
    // The marker's chain leaves the fully saturated colour of the hue in the RGB fields (white showed as red
    // 255, 0, 4 while white was sent): they show the colour asked for.
    if (color.isValid())
        m_rgbBox->setColor(color.toRgb());
}

void Korvo_ColorPaletteBox::onSliderColorChanged(const QColor &color)
{
    emit colorChanged(color);
}

void Korvo_ColorPaletteBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // Dimmed while the page's mode uses no colours: the ring takes no input then.
    if (!isEnabled())
        painter.setOpacity(DisabledOpacity);
    painter.drawImage(0, 0, ringImage());
}

void Korvo_ColorPaletteBox::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The ring image keeps the size it was rendered at; only the children follow the new radii.
    setRadii(width());
    const double c = std::cos(qDegreesToRadians(25.0));
    const double s = std::sin(qDegreesToRadians(25.0));
    const int cx = width() / 2;
    const int cy = height() / 2;
    const int e = static_cast<int>(2 * m_innerRadius * c);
    const int q = static_cast<int>(0.25 * m_innerRadius);
    m_slider->setGeometry(cx - e / 2, static_cast<int>(cy - m_innerRadius * s), e, q);
    m_rgbBox->setGeometry(cx - e / 2, static_cast<int>(cy + m_innerRadius * s - q), e, q);
    m_marker->setGeometry(0, 0, width(), height());
}
