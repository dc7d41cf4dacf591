#include "breathwaveanimation.h"

#include "breathingringraster.h"
#include "lookkit.h"

#include <QImage>
#include <QMutex>
#include <QMutexLocker>
#include <QPainter>
#include <QtMath>

const QColor BreathWaveAnimation::DiscColour = LookKit::accentDeep(50);
const QColor BreathWaveAnimation::WaveColour = LookKit::accentDeep(150);
const QColor BreathWaveAnimation::GlowColour = LookKit::accentDeep(180);

namespace {

constexpr double PhaseLow = 0.7;
constexpr double PhaseHigh = 0.9;
constexpr double PhaseStep = 0.006;

QMutex &motionMutex()
{
    static QMutex mutex;
    return mutex;
}

BreathWaveAnimation::Motion &motion()
{
    static BreathWaveAnimation::Motion shared;
    return shared;
}

} // namespace

BreathWaveAnimation::Motion BreathWaveAnimation::sharedMotion()
{
    QMutexLocker lock(&motionMutex());
    return motion();
}

void BreathWaveAnimation::setSharedMotion(const Motion &value)
{
    QMutexLocker lock(&motionMutex());
    motion() = value;
}

void BreathWaveAnimation::stepPhase(Motion &m)
{
    if (m.phase >= PhaseHigh)
        m.phaseRising = false;
    if (m.phase <= PhaseLow) {
        m.phaseRising = true;
        m.phase += PhaseStep;
        return;
    }
    m.phase += m.phaseRising ? PhaseStep : -PhaseStep;
}

void BreathWaveAnimation::stepAmplitude(double &amplitude, bool &rising, double bound, double step)
{
    if (amplitude >= bound)
        rising = false;
    if (amplitude <= -bound)
        rising = true;
    amplitude += rising ? step : -step;
    if (amplitude > -1 && amplitude < 1)
        amplitude = rising ? 1 : -1;
}

void BreathWaveAnimation::stepOffset(double &offset, double segmentWidth)
{
    if (offset >= 4 * segmentWidth)
        offset -= 4 * segmentWidth;
    offset += segmentWidth / 10;
}

QPainterPath BreathWaveAnimation::wavePath(
    int w, double y0, double g, double amplitude, double offset, const QRectF &bounds)
{
    const int segments = int(w / g);
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.moveTo(0, y0);
    int curves = 0;
    for (int k = 0; 2 * k < segments; ++k, ++curves) {
        const int c = 2 * k + 1;
        const double t = (k % 2 == 0) ? amplitude : -amplitude;
        path.cubicTo((c - 1) * g + offset, y0, c * g + offset, y0 + t, (c + 1) * g + offset, y0);
    }
    double left = 0;
    double right = (2 * curves + 2) * g + offset;
    double bottom = w;
    // Odd-even inside the bounds stays the same when the box shrinks to them: outside, only the thin
    // lobes between the curve and its base line would change, and nobody sees them.
    if (bounds.isValid()) {
        left = qMax(left, bounds.left());
        right = qMin(right, bounds.right());
        bottom = qMin(bottom, bounds.bottom());
    }
    path.moveTo(left, y0);
    path.lineTo(left, bottom);
    path.lineTo(right, bottom);
    path.lineTo(right, y0);
    return path;
}

void BreathWaveAnimation::render(QImage &image, const Frame &frame, Rasters *rasters)
{
    image.fill(Qt::transparent);
    if (image.isNull())
        return;
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int side = qMin(image.width(), image.height());
    Rasters own;
    Rasters &use = rasters ? *rasters : own;
    QMutexLocker lock(&motionMutex());
    // The wave writes whole rows of its box; the ring, which lies outside the disc, comes after and writes
    // only where it glows, so the two never wipe each other. The motion steps in its usual order.
    if (frame.breathing)
        stepPhase(motion());
    const double phase = motion().phase;
    drawWave(image, side, frame.waveRadius, frame.wave ? frame.level : 0, motion(), use.wave);
    if (frame.breathing) {
        use.ring.prepare(side, frame.ringInnerRadius);
        use.ring.draw(image, phase);
    }
}

void BreathWaveAnimation::drawWave(
    QImage &image, int w, double r, double level, Motion &m, WaveDiscRaster &wave)
{
    if (level <= 0 || level >= 1) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        QPainterPath disc;
        disc.addEllipse(QPointF(w * 0.5, w * 0.5), r, r);
        painter.fillPath(disc, DiscColour);
        if (level >= 1)
            painter.fillPath(disc, WaveColour);
        return;
    }
    const double y0 = int(w / 2 + r - 2 * r * level);
    const double b = r - r * qMin(level, 1 - level);
    const double chordHalf = qSqrt(qMax(0.0, r * r - b * b));
    const double g = qMax(1.0, chordHalf * 0.5);
    const double bound = g / 3;
    stepAmplitude(m.amplitude1, m.amplitude1Rising, bound, bound / 50);
    stepAmplitude(m.amplitude2, m.amplitude2Rising, bound, bound / 40);
    stepOffset(m.offset, g);
    wave.prepare(w, r);
    wave.draw(image, y0, g, m.amplitude1, m.amplitude2, m.offset);
}
