#include "korvo_gpuinfocirclebox.h"

#include "createbreathcircleandwavecirclethread.h"
#include "korvo_circlebutton.h"
#include "lookkit.h"

#include <QEvent>
#include <QPainter>
#include <QRegion>
#include <QTimer>

namespace {

constexpr int OpaqueFade = 255;

struct Reading
{
    const MonitorValue *value;
    const char *unit;
};

Reading readingFor(int mode, const NvCardBaseInfo &sample)
{
    switch (mode) {
    case Korvo_GpuInfoCircleBox::ModeTemperature:
        return { &sample.temperature, " \u00B0C" };
    case Korvo_GpuInfoCircleBox::ModeMemory:
        return { &sample.memoryAmount, " MB" };
    default:
        return { &sample.gpuClock, " MHz" };
    }
}

QFont hintedFont(const QFont &base, const QString &family, int weight, int pixelSize)
{
    QFont font = base;
    font.setFamily(family);
    font.setWeight(weight);
    font.setPixelSize(qMax(1, pixelSize));
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

} // namespace

Korvo_GpuInfoCircleBox::Korvo_GpuInfoCircleBox(
    CreateBreathCircleAndWaveCircleThread *imageThread, QWidget *parent)
    : QWidget(parent)
    , m_thread(imageThread)
{
    m_btnClock = new Korvo_CircleButton(1, m_texts.clock, this);
    m_btnMemory = new Korvo_CircleButton(2, m_texts.memory, this);
    m_btnTemperature = new Korvo_CircleButton(3, m_texts.temperature, this);
    connect(
        m_btnClock, &Korvo_CircleButton::onMouseClick, this, &Korvo_GpuInfoCircleBox::btnFreClock_MouseClick);
    connect(m_btnTemperature, &Korvo_CircleButton::onMouseClick, this,
        &Korvo_GpuInfoCircleBox::btnTemperature_MouseClick);
    connect(
        m_btnMemory, &Korvo_CircleButton::onMouseClick, this, &Korvo_GpuInfoCircleBox::btnMemory_MouseClick);

    refreshFonts();
    m_fadeTimer = new QTimer(this);
    m_fadeTimer->setInterval(FadeIntervalMs);
    connect(m_fadeTimer, &QTimer::timeout, this, &Korvo_GpuInfoCircleBox::onTimer1Timerout);

    if (m_thread) {
        connect(m_thread, &CreateBreathCircleAndWaveCircleThread::sendImage, this,
            &Korvo_GpuInfoCircleBox::recvBkImg, Qt::QueuedConnection);
        m_thread->setWaveEnabled(false);
        m_thread->setBreathingEnabled(false);
    }
}

LCDDisplayMode Korvo_GpuInfoCircleBox::lcdModeFor(int displayMode)
{
    switch (displayMode) {
    case ModeTemperature:
        return LcdPage40;
    case ModeMemory:
        return LcdPage20;
    default:
        return LcdPage80;
    }
}

CreateBreathCircleAndWaveCircleThread *Korvo_GpuInfoCircleBox::imageThread() const
{
    return m_thread.data();
}

bool Korvo_GpuInfoCircleBox::isFading() const
{
    return m_fadeTimer->isActive();
}

void Korvo_GpuInfoCircleBox::startAnimation()
{
    if (m_thread && isVisible())
        m_thread->startIfStopped();
}

void Korvo_GpuInfoCircleBox::setAdjustInfo(QString currentValue, QString changedValue, int changedSize)
{
    m_currentValue = currentValue;
    m_changedValue = changedValue;
    m_changedSize = changedSize;
    m_fadeTimer->stop();
    m_fadeValue = 0;
    textChanged();
}

void Korvo_GpuInfoCircleBox::closeDisplayInfo()
{
    if (m_fadeValue < OpaqueFade)
        m_fadeTimer->start();
    textChanged();
}

void Korvo_GpuInfoCircleBox::recvNvCardInfo(NvCardBaseInfo nvCardBaseInfo)
{
    m_sample = nvCardBaseInfo;
    if (m_thread)
        m_thread->setWaveLevel(m_sample.memoryUsage.current / 100.0);
    textChanged();
}

void Korvo_GpuInfoCircleBox::setEnableBreathingCircle(bool b)
{
    if (m_thread)
        m_thread->setBreathingEnabled(b);
    startAnimation();
}

void Korvo_GpuInfoCircleBox::setEnableWave(bool b)
{
    m_waveWanted = b;
    if (m_displayMode == ModeMemory && m_thread)
        m_thread->setWaveEnabled(b);
    startAnimation();
}

void Korvo_GpuInfoCircleBox::setLanguage(Lang_BreathCircle lang, LanguageType langType)
{
    m_language = langType;
    m_texts = lang;
    m_btnClock->setText(m_texts.clock);
    m_btnMemory->setText(m_texts.memory);
    m_btnTemperature->setText(m_texts.temperature);
    refreshFonts();
    textChanged();
}

void Korvo_GpuInfoCircleBox::pickMode(int mode)
{
    m_displayMode = mode;
    // A pick ends a running fade at once; the timer stops at its next tick.
    m_fadeValue = OpaqueFade;
    const bool wave = mode == ModeMemory && m_waveWanted;
    if (m_thread)
        m_thread->setWaveEnabled(wave);
    if (wave)
        startAnimation();
    emit setLcdDisplayMode(lcdModeFor(mode));
    textChanged();
}

void Korvo_GpuInfoCircleBox::btnFreClock_MouseClick()
{
    pickMode(ModeClock);
}

void Korvo_GpuInfoCircleBox::btnTemperature_MouseClick()
{
    pickMode(ModeTemperature);
}

void Korvo_GpuInfoCircleBox::btnMemory_MouseClick()
{
    pickMode(ModeMemory);
}

void Korvo_GpuInfoCircleBox::onTimer1Timerout()
{
    m_fadeValue += FadeStep;
    if (m_fadeValue >= OpaqueFade) {
        m_fadeValue = OpaqueFade;
        m_fadeTimer->stop();
    }
    // With both effects off no frame arrives to show the new opacity: every tick repaints.
    textChanged();
}

void Korvo_GpuInfoCircleBox::recvBkImg(QImage image)
{
    // A frame of the size the gauge asked for changes only the ring and the wave disc: repainting just
    // them leaves out the ring buttons and most of what lies under the gauge, 50 times a second.
    const bool sameSize = image.size() == m_background.size();
    m_background = image;
    if (!sameSize || image.width() != m_geometry.side) {
        m_lastGlowReach = CircleGeometry::GlowReachUnknown;
        update();
        return;
    }
    // The glow of the frame before may have reached further: its pixels are cleared too.
    const int reach = CircleGeometry::glowReachOf(image);
    const int widest = m_lastGlowReach == CircleGeometry::GlowReachUnknown ? m_geometry.side
                                                                           : qMax(reach, m_lastGlowReach);
    m_lastGlowReach = reach;
    update(animatedRegionFor(widest));
}

QRegion Korvo_GpuInfoCircleBox::animatedRegionFor(int glowReach)
{
    // Built once per size and step: a region of a hundred bands is not made 50 times a second.
    const int step = qMax(0, (glowReach + RegionStep - 1) / RegionStep);
    if (step >= m_animatedRegions.size())
        m_animatedRegions.resize(step + 1);
    QRegion &region = m_animatedRegions[step];
    if (region.isEmpty())
        region = CircleGeometry::animatedRegion(m_geometry.side, step * RegionStep);
    return region;
}

void Korvo_GpuInfoCircleBox::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int a = qMin(width(), height());
    m_geometry = CircleGeometry::forSide(a);
    m_animatedRegions.clear();
    m_lastGlowReach = CircleGeometry::GlowReachUnknown;
    setMask(QRegion(0, 0, a, a, QRegion::Ellipse));
    for (Korvo_CircleButton *button : { m_btnClock, m_btnMemory, m_btnTemperature }) {
        button->setRingWidth(m_geometry.ringWidth);
        button->setGeometry(m_geometry.buttons);
    }
    refreshFonts();
    if (m_thread) {
        m_thread->setImageSize(a);
        m_thread->setRingInnerRadius(m_geometry.imageRingInnerRadius);
        m_thread->setWaveRadius(m_geometry.imageWaveRadius);
    }
}

void Korvo_GpuInfoCircleBox::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_thread)
        m_thread->startIfStopped();
}

void Korvo_GpuInfoCircleBox::hideEvent(QHideEvent *event)
{
    // Also the spontaneous hide of a minimised window: nothing on screen, no frames.
    if (m_thread)
        m_thread->requestStop();
    QWidget::hideEvent(event);
}

void Korvo_GpuInfoCircleBox::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        refreshFonts();
}

void Korvo_GpuInfoCircleBox::refreshFonts()
{
    m_textLayerValid = false;
    const QFont base = font();
    m_valueFont = hintedFont(base, QStringLiteral("DS-Digital"), QFont::Bold, m_geometry.valuePixelSize);
    m_rowFont = hintedFont(base, QStringLiteral("Arial"), 57, m_geometry.rowPixelSize);
    m_overlayFont
        = hintedFont(base, LookKit::fontFamily(m_language), base.weight(), m_geometry.overlayPixelSize);
}

void Korvo_GpuInfoCircleBox::textChanged()
{
    m_textLayerValid = false;
    update();
}

QRect Korvo_GpuInfoCircleBox::textArea() const
{
    const CircleGeometry &g = m_geometry;
    QRect area = g.value | g.maxLabel | g.maxNumber | g.minLabel | g.minNumber;
    for (int i = 0; i < 3; ++i)
        area |= g.overlayLabel[i] | g.overlayValue[i];
    // Glyphs may reach a little past their rectangles.
    const int margin = qMax(4, g.rowPixelSize / 2);
    return area.adjusted(-margin, -margin, margin, margin).intersected(rect());
}

void Korvo_GpuInfoCircleBox::paintTexts(QPainter &painter) const
{
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (m_fadeValue < OpaqueFade) {
        if (m_fadeValue != 0)
            paintReadout(painter);
        paintOverlay(painter);
        return;
    }
    paintReadout(painter);
}

void Korvo_GpuInfoCircleBox::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    // The texts change once a second or during a fade, the background 50 times a second: the texts are
    // drawn into a layer of their own when they change, and each frame only blends that layer.
    if (!m_textLayerValid) {
        m_textRect = textArea();
        m_textLayer = QImage(m_textRect.size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
        m_textLayer.fill(Qt::transparent);
        QPainter layer(&m_textLayer);
        layer.setFont(font());
        layer.translate(-m_textRect.topLeft());
        paintTexts(layer);
        m_textLayerValid = true;
    }
    QPainter painter(this);
    painter.drawImage(0, 0, m_background);
    painter.drawImage(m_textRect.topLeft(), m_textLayer);
}

void Korvo_GpuInfoCircleBox::paintReadout(QPainter &painter) const
{
    const CircleGeometry &g = m_geometry;
    const Reading reading = readingFor(m_displayMode, m_sample);
    painter.setPen(QColor(255, 255, 255, m_fadeValue));
    painter.setFont(m_valueFont);
    painter.drawText(
        g.value, Qt::AlignCenter, QString::number(reading.value->current) + QString::fromUtf8(reading.unit));
    painter.setFont(m_rowFont);
    painter.drawText(g.maxLabel, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("MAX  "));
    painter.drawText(g.maxNumber, Qt::AlignLeft | Qt::AlignVCenter, QString::number(reading.value->maximum));
    painter.drawText(g.minLabel, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("MIN   "));
    painter.drawText(g.minNumber, Qt::AlignLeft | Qt::AlignVCenter, QString::number(reading.value->minimum));
}

void Korvo_GpuInfoCircleBox::paintOverlay(QPainter &painter) const
{
    const CircleGeometry &g = m_geometry;
    painter.setPen(QColor(255, 255, 255, OpaqueFade - m_fadeValue));
    painter.setFont(m_overlayFont);
    const QString labels[3]
        = { m_texts.preset, m_texts.present, m_changedSize < 0 ? m_texts.decrease : m_texts.increase };
    const QString values[3] = { m_currentValue, m_changedValue, QString::number(qAbs(m_changedSize)) };
    for (int i = 0; i < 3; ++i) {
        painter.drawText(g.overlayLabel[i], Qt::AlignRight | Qt::AlignVCenter, labels[i]);
        painter.drawText(g.overlayValue[i], Qt::AlignLeft | Qt::AlignVCenter, values[i]);
    }
}
