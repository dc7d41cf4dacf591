#include "colorringrenderer.h"

#include <QConicalGradient>
#include <QHash>
#include <QPainter>
#include <QPainterPath>

#include <atomic>
#include <cmath>
#include <future>
#include <map>
#include <vector>

namespace {

std::atomic<int> s_renderCount { 0 };

std::vector<double> gaussianKernel(double sigma, int radius)
{
    std::vector<double> weights(static_cast<std::size_t>(2 * radius + 1));
    double sum = 0.0;
    for (int j = -radius; j <= radius; ++j) {
        const double w = std::exp(-double(j) * j / (2.0 * sigma * sigma));
        weights[static_cast<std::size_t>(j + radius)] = w;
        sum += w;
    }
    for (double &w : weights)
        w /= sum;
    return weights;
}

// One pass along lines of `length` pixels: `count` lines, `step` bytes between neighbours on a line and
// `lineStep` bytes between lines; `channels` bytes per pixel.
void blurPass(const uchar *in, uchar *out, int length, int count, int bytesPerLine, bool alongRows,
    int channels, const std::vector<double> &weights, int radius)
{
    const int pixelStep = alongRows ? channels : bytesPerLine;
    const int lineStep = alongRows ? bytesPerLine : channels;
    std::vector<double> acc(static_cast<std::size_t>(channels));
    for (int line = 0; line < count; ++line) {
        const uchar *src = in + static_cast<std::ptrdiff_t>(line) * lineStep;
        uchar *dst = out + static_cast<std::ptrdiff_t>(line) * lineStep;
        for (int i = 0; i < length; ++i) {
            const int from = std::max(0, i - radius);
            const int to = std::min(length - 1, i + radius);
            std::fill(acc.begin(), acc.end(), 0.0);
            double weightSum = 0.0;
            for (int p = from; p <= to; ++p) {
                const double w = weights[static_cast<std::size_t>(p - i + radius)];
                const uchar *px = src + static_cast<std::ptrdiff_t>(p) * pixelStep;
                for (int c = 0; c < channels; ++c)
                    acc[static_cast<std::size_t>(c)] += w * px[c];
                weightSum += w;
            }
            uchar *o = dst + static_cast<std::ptrdiff_t>(i) * pixelStep;
            for (int c = 0; c < channels; ++c)
                // The epsilon keeps rounding noise from truncating a whole 200 down to 199.
                o[c] = static_cast<uchar>(acc[static_cast<std::size_t>(c)] / weightSum + 1e-9);
        }
    }
}

} // namespace

QImage ColorRingRenderer::gaussianBlur(const QImage &image, double sigma)
{
    const int channels = image.depth() / 8;
    if (image.isNull() || (channels != 1 && channels != 3 && channels != 4) || image.depth() % 8 != 0
        || sigma <= 0.0)
        return image;
    const int radius = static_cast<int>(std::ceil(3.0 * sigma));
    const std::vector<double> weights = gaussianKernel(sigma, radius);
    QImage temp(image.size(), image.format());
    QImage out(image.size(), image.format());
    // Rows of a QImage are padded; each line is walked by its own start.
    for (int y = 0; y < image.height(); ++y)
        blurPass(
            image.constScanLine(y), temp.scanLine(y), image.width(), 1, 0, true, channels, weights, radius);
    blurPass(temp.constBits(), out.bits(), image.height(), image.width(), temp.bytesPerLine(), false,
        channels, weights, radius);
    return out;
}

QImage ColorRingRenderer::render(int side)
{
    if (side < 1)
        return QImage();
    ++s_renderCount;
    const double outer = outerRadius(side);
    const double inner = innerRadius(outer);
    const QPointF centre(side / 2.0, side / 2.0);

    QImage ring(side, side, QImage::Format_ARGB32_Premultiplied);
    ring.fill(Qt::transparent);
    {
        QPainter painter(&ring);
        painter.setRenderHint(QPainter::Antialiasing);
        QConicalGradient gradient(centre, 0);
        for (int i = 0; i <= 6; ++i)
            gradient.setColorAt(i / 6.0, QColor::fromHsv((60 * i) % 360, 255, 255));
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        path.addEllipse(centre, outer, outer);
        path.addEllipse(centre, inner, inner);
        painter.setPen(Qt::NoPen);
        painter.setBrush(gradient);
        painter.drawPath(path);
    }
    // The gradient runs counter-clockwise from 3 o'clock; mirrored, red lies at 9 o'clock.
    ring = ring.mirrored(true, false);
    const QImage glow = gaussianBlur(ring, GlowSigma);
    QPainter painter(&ring);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(0, 0, glow);
    return ring;
}

namespace {

QHash<int, QImage> &ringCache()
{
    static QHash<int, QImage> cache;
    return cache;
}

// Renderings under way, by side. A rendering touches nothing but its own image.
std::map<int, std::future<QImage>> &pendingRings()
{
    static std::map<int, std::future<QImage>> pending;
    return pending;
}

} // namespace

void ColorRingRenderer::prepare(int side)
{
    if (side < 1 || ringCache().contains(side) || pendingRings().count(side))
        return;
    pendingRings().emplace(side, std::async(std::launch::async, &ColorRingRenderer::render, side));
}

QImage ColorRingRenderer::shared(int side)
{
    QHash<int, QImage> &cache = ringCache();
    auto it = cache.find(side);
    if (it != cache.end())
        return it.value();
    auto pending = pendingRings().find(side);
    QImage ring;
    if (pending != pendingRings().end()) {
        ring = pending->second.get();
        pendingRings().erase(pending);
    } else {
        ring = render(side);
    }
    cache.insert(side, ring);
    return ring;
}

int ColorRingRenderer::renderCount()
{
    return s_renderCount;
}
