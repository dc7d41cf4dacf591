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

/// Mixes two premultiplied pixels, t = 0 giving a.
quint32 mix(quint32 a, quint32 b, double t)
{
    quint32 out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const double ca = (a >> shift) & 0xFF;
        const double cb = (b >> shift) & 0xFF;
        out |= quint32(qBound(0.0, ca + (cb - ca) * t + 0.5, 255.0)) << shift;
    }
    return out;
}

/// Scales every channel of a premultiplied pixel by f (0..1).
quint32 scaled(quint32 p, double f)
{
    return mix(0, p, f);
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
    const double stop = qBound(GlowStop, phase, 1.0);
    const quint32 glow = premultiplied(BreathWaveAnimation::GlowColour, 1);
    const int maxDistance = m_maxDistance;
    // One colour per distance, the inner edge's partial coverage included. The fade ends in nothing, so
    // beyond it the table is zero.
    std::vector<quint32> colours(size_t(maxDistance) + 1, 0);
    const double innerEdge = m_innerRadius;
    for (int d = 0; d <= maxDistance; ++d) {
        const double r = double(d) / SubSteps;
        const double t = r / radius;
        if (t >= stop)
            break;
        const quint32 colour = t <= GlowStop ? glow : mix(glow, 0, (t - GlowStop) / (stop - GlowStop));
        const double coverage = qBound(0.0, r - innerEdge + 0.5, 1.0);
        colours[size_t(d)] = coverage >= 1 ? colour : scaled(colour, coverage);
    }
    const quint16 *distance = m_distance.data();
    const quint32 *lut = colours.data();
    for (const Span &span : m_spans) {
        auto *line = reinterpret_cast<quint32 *>(image.scanLine(span.y)) + span.x;
        const quint16 *d = distance + span.first;
        for (int i = 0; i < span.length; ++i)
            line[i] = lut[d[i]];
    }
}
