#include "breathingringraster.h"

#include "breathwaveanimation.h"

#include <QImage>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

/// Premultiplied ARGB of a colour with its alpha scaled by f (0..1).
quint32 premultiplied(const QColor &colour, double f)
{
    const double a = colour.alpha() * f;
    const auto channel = [a](int c) { return quint32(qBound(0.0, c * a / 255.0 + 0.5, 255.0)); };
    return (quint32(qBound(0.0, a + 0.5, 255.0)) << 24) | (channel(colour.red()) << 16)
        | (channel(colour.green()) << 8) | channel(colour.blue());
}

/// Every channel of a premultiplied pixel scaled by f (0..1).
quint32 scaled(quint32 p, double f)
{
    const quint32 a = quint32(qBound(0.0, f * 256.0, 256.0));
    const quint32 rb = (((p & 0x00FF00FFu) * a + 0x00800080u) >> 8) & 0x00FF00FFu;
    const quint32 ag = ((((p >> 8) & 0x00FF00FFu) * a + 0x00800080u)) & 0xFF00FF00u;
    return rb | ag;
}

} // namespace

void BreathingRingRaster::prepare(int side, double innerRadius)
{
    if (side == m_side && innerRadius == m_innerRadius)
        return;
    m_side = side;
    m_innerRadius = innerRadius;
    m_spans.clear();
    m_distance.clear();
    m_maxDistance = 0;
    if (side <= 0)
        return;
    // The gradient's centre, as the gradient fill had it (integer half).
    const double centre = side / 2;
    const double radius = side / 2;
    const double inner = qMax(0.0, innerRadius - 1);
    const double outer = qMin(radius, MaxPhase * radius + 1);
    if (outer <= inner)
        return;
    for (int y = 0; y < side; ++y) {
        const double dy = y + 0.5 - centre;
        if (std::abs(dy) >= outer)
            continue;
        const double outerHalf = std::sqrt(outer * outer - dy * dy);
        const double innerHalf = std::abs(dy) < inner ? std::sqrt(inner * inner - dy * dy) : 0;
        const auto addSpan = [&](double from, double to) {
            const int x0 = qMax(0, int(std::floor(centre + from - 0.5)));
            const int x1 = qMin(side, int(std::ceil(centre + to - 0.5)) + 1);
            if (x1 <= x0)
                return;
            m_spans.push_back({ y, x0, x1 - x0, int(m_distance.size()) });
            for (int x = x0; x < x1; ++x) {
                const double dx = x + 0.5 - centre;
                m_distance.push_back(quint16(qMin(65535.0, std::sqrt(dx * dx + dy * dy) * SubSteps + 0.5)));
            }
        };
        if (innerHalf <= 0) {
            addSpan(-outerHalf, outerHalf);
            continue;
        }
        addSpan(-outerHalf, -innerHalf);
        addSpan(innerHalf, outerHalf);
    }
    if (!m_distance.empty())
        m_maxDistance = *std::max_element(m_distance.begin(), m_distance.end());
}

void BreathingRingRaster::draw(QImage &image, double phase) const
{
    if (m_side <= 0 || image.width() < m_side || image.height() < m_side
        || image.format() != QImage::Format_ARGB32_Premultiplied || m_distance.empty())
        return;
    const double radius = m_side / 2;
    const double centre = m_side / 2;
    const double stop = qBound(GlowStop, phase, 1.0);
    const quint32 glow = premultiplied(BreathWaveAnimation::GlowColour, 1);
    // One colour per distance, the inner edge's partial coverage included. The fade ends in nothing, so
    // beyond it the table is zero and those pixels are not visited at all.
    const double fadeEnd = stop * radius;
    const int lastDistance = qMin(m_maxDistance, int(std::ceil(fadeEnd * SubSteps)));
    std::vector<quint32> colours(size_t(lastDistance) + 1, 0);
    // No pixel of the table lies nearer than a pixel inside the inner radius.
    const int firstDistance = qMax(0, int((m_innerRadius - 1.5) * SubSteps));
    for (int d = firstDistance; d <= lastDistance; ++d) {
        const double r = double(d) / SubSteps;
        const double t = r / radius;
        if (t >= stop)
            break;
        const double fade = t <= GlowStop ? 1 : 1 - (t - GlowStop) / (stop - GlowStop);
        const double coverage = qBound(0.0, r - m_innerRadius + 0.5, 1.0);
        colours[size_t(d)] = scaled(glow, fade * coverage);
    }
    const quint32 *lut = colours.data();
    uchar *bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    const double reach = fadeEnd + 1;
    for (const Span &span : m_spans) {
        const double dy = span.y + 0.5 - centre;
        if (std::abs(dy) >= reach)
            continue;
        // Only the pixels nearer than the faded edge can glow.
        const double half = std::sqrt(reach * reach - dy * dy);
        const int from = qMax(span.x, int(std::floor(centre - half - 0.5)));
        const int to = qMin(span.x + span.length, int(std::ceil(centre + half - 0.5)) + 1);
        auto *line = reinterpret_cast<quint32 *>(bits + span.y * stride);
        const quint16 *d = m_distance.data() + span.first - span.x;
        for (int x = from; x < to; ++x) {
            const int index = d[x];
            // Where the glow has faded the pixel keeps what the wave put there.
            if (index <= lastDistance && lut[index])
                line[x] = lut[index];
        }
    }
}
