#include "colorringrenderer.h"

#include <QConicalGradient>
#include <QHash>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
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

// One row of the pass along rows: `length` pixels of `Channels` bytes. A pixel whose window holds only clear
// pixels stays clear (most of the ring's square is clear, around it and in its hole), and a window inside the
// line has the sum of all weights, added in the same order as at the edges, so every pixel comes out exactly
// as from the plain loop.
template <int Channels>
void blurLine(const uchar *src, uchar *dst, int length, const std::vector<double> &weights, int radius,
    double fullWeightSum, std::vector<int> &setBefore)
{
    setBefore.assign(static_cast<std::size_t>(length) + 1, 0);
    for (int i = 0; i < length; ++i) {
        const uchar *px = src + static_cast<std::ptrdiff_t>(i) * Channels;
        bool set = false;
        for (int c = 0; c < Channels; ++c)
            set = set || px[c] != 0;
        setBefore[static_cast<std::size_t>(i) + 1] = setBefore[static_cast<std::size_t>(i)] + (set ? 1 : 0);
    }
    for (int i = 0; i < length; ++i) {
        const int from = std::max(0, i - radius);
        const int to = std::min(length - 1, i + radius);
        uchar *o = dst + static_cast<std::ptrdiff_t>(i) * Channels;
        if (setBefore[static_cast<std::size_t>(to) + 1] == setBefore[static_cast<std::size_t>(from)]) {
            for (int c = 0; c < Channels; ++c)
                o[c] = 0;
            continue;
        }
        double acc[Channels] = {};
        double weightSum = 0.0;
        const bool inside = from == i - radius && to == i + radius;
        const double *w = weights.data() + (from - i + radius);
        const uchar *px = src + static_cast<std::ptrdiff_t>(from) * Channels;
        for (int p = from; p <= to; ++p, ++w, px += Channels) {
            for (int c = 0; c < Channels; ++c)
                acc[c] += *w * px[c];
            if (!inside)
                weightSum += *w;
        }
        if (inside)
            weightSum = fullWeightSum;
        for (int c = 0; c < Channels; ++c)
            // The epsilon keeps rounding noise from truncating a whole 200 down to 199.
            o[c] = static_cast<uchar>(acc[c] / weightSum + 1e-9);
    }
}

double sumInOrder(const std::vector<double> &weights)
{
    double sum = 0.0;
    for (double w : weights)
        sum += w;
    return sum;
}

// The pass along rows, line by line.
void blurRows(const QImage &in, QImage &out, int channels, const std::vector<double> &weights, int radius)
{
    const double fullWeightSum = sumInOrder(weights);
    std::vector<int> setBefore;
    for (int y = 0; y < in.height(); ++y) {
        const uchar *src = in.constScanLine(y);
        uchar *dst = out.scanLine(y);
        if (channels == 4)
            blurLine<4>(src, dst, in.width(), weights, radius, fullWeightSum, setBefore);
        else if (channels == 3)
            blurLine<3>(src, dst, in.width(), weights, radius, fullWeightSum, setBefore);
        else
            blurLine<1>(src, dst, in.width(), weights, radius, fullWeightSum, setBefore);
    }
}

// The pass along columns, a whole output row at a time so that memory is read in order; each byte sums its
// column's taps in the same order as blurLine, and a row whose window is clear stays clear.
void blurColumns(const QImage &in, QImage &out, int channels, const std::vector<double> &weights, int radius)
{
    const int height = in.height();
    const std::size_t rowBytes = static_cast<std::size_t>(in.width()) * static_cast<std::size_t>(channels);
    std::vector<int> setBefore(static_cast<std::size_t>(height) + 1, 0);
    for (int y = 0; y < height; ++y) {
        const uchar *row = in.constScanLine(y);
        const bool set = std::any_of(row, row + rowBytes, [](uchar b) { return b != 0; });
        setBefore[static_cast<std::size_t>(y) + 1] = setBefore[static_cast<std::size_t>(y)] + (set ? 1 : 0);
    }
    const double fullWeightSum = sumInOrder(weights);
    std::vector<double> acc(rowBytes);
    for (int i = 0; i < height; ++i) {
        const int from = std::max(0, i - radius);
        const int to = std::min(height - 1, i + radius);
        uchar *o = out.scanLine(i);
        if (setBefore[static_cast<std::size_t>(to) + 1] == setBefore[static_cast<std::size_t>(from)]) {
            std::fill(o, o + rowBytes, uchar(0));
            continue;
        }
        std::fill(acc.begin(), acc.end(), 0.0);
        double weightSum = 0.0;
        for (int p = from; p <= to; ++p) {
            const double w = weights[static_cast<std::size_t>(p - i + radius)];
            const uchar *row = in.constScanLine(p);
            for (std::size_t k = 0; k < rowBytes; ++k)
                acc[k] += w * row[k];
            weightSum += w;
        }
        if (from == i - radius && to == i + radius)
            weightSum = fullWeightSum;
        for (std::size_t k = 0; k < rowBytes; ++k)
            o[k] = static_cast<uchar>(acc[k] / weightSum + 1e-9);
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
    blurRows(image, temp, channels, weights, radius);
    blurColumns(temp, out, channels, weights, radius);
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
