#include "wavediscraster.h"

#include "breathwaveanimation.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstring>

namespace {

/// Channel-wise x * a / 255 of a premultiplied pixel, rounded.
inline quint32 scalePixel(quint32 x, uint a)
{
    quint32 rb = (x & 0x00FF00FFu) * a;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu) + 0x00800080u) >> 8) & 0x00FF00FFu;
    quint32 ag = ((x >> 8) & 0x00FF00FFu) * a;
    ag = (ag + ((ag >> 8) & 0x00FF00FFu) + 0x00800080u) & 0xFF00FF00u;
    return rb | ag;
}

/// Source over destination, both premultiplied.
inline quint32 over(quint32 source, quint32 destination)
{
    return source + scalePixel(destination, 255 - (source >> 24));
}

} // namespace

void WaveDiscRaster::prepare(int side, double radius)
{
    if (side == m_side && radius == m_radius)
        return;
    m_side = side;
    m_radius = radius;
    const QPointF centre(side * 0.5, side * 0.5);
    m_box = QRectF(centre.x() - radius - 1, centre.y() - radius - 1, 2 * radius + 2, 2 * radius + 2)
                .toAlignedRect()
                .intersected(QRect(0, 0, side, side));
    m_coverage.clear();
    if (m_box.isEmpty()) {
        m_dry = m_wet = m_band = QImage();
        return;
    }
    QPainterPath disc;
    disc.addEllipse(centre - m_box.topLeft(), radius, radius);
    const auto paintDisc = [&](std::initializer_list<QColor> colours) {
        QImage image(m_box.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        for (const QColor &colour : colours)
            painter.fillPath(disc, colour);
        return image;
    };
    m_dry = paintDisc({ BreathWaveAnimation::DiscColour });
    m_wet = paintDisc({ BreathWaveAnimation::DiscColour, BreathWaveAnimation::WaveColour,
        BreathWaveAnimation::WaveColour });
    const QImage solid = paintDisc({ QColor(255, 255, 255) });
    m_coverage.resize(size_t(m_box.width()) * size_t(m_box.height()));
    for (int y = 0; y < m_box.height(); ++y) {
        const auto *line = reinterpret_cast<const quint32 *>(solid.constScanLine(y));
        for (int x = 0; x < m_box.width(); ++x)
            m_coverage[size_t(y) * size_t(m_box.width()) + size_t(x)] = uchar(line[x] >> 24);
    }
    m_band = QImage(m_box.size(), QImage::Format_ARGB32_Premultiplied);
}

void WaveDiscRaster::draw(
    QImage &image, double y0, double g, double amplitude1, double amplitude2, double offset)
{
    if (m_box.isEmpty() || image.width() < m_side || image.height() < m_side
        || image.format() != QImage::Format_ARGB32_Premultiplied)
        return;
    const int width = m_box.width();
    const size_t rowBytes = size_t(width) * sizeof(quint32);
    // A cubic between two points on the line with one control point t off it stays within t of it.
    const double reach = qMax(std::abs(amplitude1), std::abs(amplitude2)) + 2;
    const int bandTop = qBound(m_box.top(), int(std::floor(y0 - reach)), m_box.bottom() + 1);
    const int bandEnd = qBound(bandTop, int(std::ceil(y0 + reach)) + 1, m_box.bottom() + 1);
    const auto target = [&](int y) { return reinterpret_cast<quint32 *>(image.scanLine(y)) + m_box.left(); };
    for (int y = m_box.top(); y < bandTop; ++y)
        std::memcpy(target(y), m_dry.constScanLine(y - m_box.top()), rowBytes);
    for (int y = bandEnd; y <= m_box.bottom(); ++y)
        std::memcpy(target(y), m_wet.constScanLine(y - m_box.top()), rowBytes);
    if (bandEnd <= bandTop)
        return;

    // The two surfaces over nothing, in the band's rows only; the disc's coverage cuts them below.
    const int top = bandTop - m_box.top();
    const int rows = bandEnd - bandTop;
    for (int y = top; y < top + rows; ++y)
        std::memset(m_band.scanLine(y), 0, rowBytes);
    {
        QPainter painter(&m_band);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setClipRect(0, top, width, rows);
        painter.translate(-m_box.left(), -m_box.top());
        const QRectF bounds(m_box.left() - 2, bandTop - 2, width + 4, rows + 4);
        painter.fillPath(BreathWaveAnimation::wavePath(m_side, y0, g, amplitude1, offset, bounds),
            BreathWaveAnimation::WaveColour);
        painter.fillPath(BreathWaveAnimation::wavePath(m_side, y0, g, amplitude2, offset, bounds),
            BreathWaveAnimation::WaveColour);
    }
    for (int y = top; y < top + rows; ++y) {
        const auto *dry = reinterpret_cast<const quint32 *>(m_dry.constScanLine(y));
        const auto *band = reinterpret_cast<const quint32 *>(m_band.constScanLine(y));
        const uchar *coverage = m_coverage.data() + size_t(y) * size_t(width);
        quint32 *out = target(y + m_box.top());
        for (int x = 0; x < width; ++x) {
            const quint32 water = band[x];
            out[x] = water == 0 ? dry[x] : over(scalePixel(water, coverage[x]), dry[x]);
        }
    }
}
