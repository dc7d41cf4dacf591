#include "artworkkit.h"

#include <QLinearGradient>
#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <vector>

const QColor ArtworkKit::Red(252, 10, 53);

QImage ArtworkKit::canvas(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QColor ArtworkKit::red(int alpha)
{
    QColor c = Red;
    c.setAlpha(alpha);
    return c;
}

static void boxPass(const QImage &in, QImage &out, int radius, bool horizontal)
{
    const int w = in.width();
    const int h = in.height();
    const int lines = horizontal ? h : w;
    const int length = horizontal ? w : h;
    std::vector<int> sum(4);
    for (int line = 0; line < lines; ++line) {
        auto pixel = [&](const QImage &img, int i) -> QRgb {
            const int x = horizontal ? i : line;
            const int y = horizontal ? line : i;
            return reinterpret_cast<const QRgb *>(img.constScanLine(y))[x];
        };
        std::fill(sum.begin(), sum.end(), 0);
        for (int i = -radius; i <= radius; ++i) {
            const QRgb p = pixel(in, std::clamp(i, 0, length - 1));
            sum[0] += qAlpha(p);
            sum[1] += qRed(p);
            sum[2] += qGreen(p);
            sum[3] += qBlue(p);
        }
        const int window = 2 * radius + 1;
        for (int i = 0; i < length; ++i) {
            const int x = horizontal ? i : line;
            const int y = horizontal ? line : i;
            reinterpret_cast<QRgb *>(out.scanLine(y))[x]
                = qRgba(sum[1] / window, sum[2] / window, sum[3] / window, sum[0] / window);
            const QRgb leaving = pixel(in, std::clamp(i - radius, 0, length - 1));
            const QRgb entering = pixel(in, std::clamp(i + radius + 1, 0, length - 1));
            sum[0] += qAlpha(entering) - qAlpha(leaving);
            sum[1] += qRed(entering) - qRed(leaving);
            sum[2] += qGreen(entering) - qGreen(leaving);
            sum[3] += qBlue(entering) - qBlue(leaving);
        }
    }
}

QImage ArtworkKit::blurred(const QImage &source, int radius)
{
    QImage a = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (radius < 1)
        return a;
    // Three box passes of a third of the radius each.
    const int r = std::max(1, radius / 2);
    QImage b(a.size(), a.format());
    for (int pass = 0; pass < 3; ++pass) {
        boxPass(a, b, r, true);
        boxPass(b, a, r, false);
    }
    return a;
}

static void composite(QImage &image, const QImage &layer, int passes)
{
    QPainter p(&image);
    for (int i = 0; i < passes; ++i)
        p.drawImage(0, 0, layer);
}

void ArtworkKit::glowStroke(
    QImage &image, const QPainterPath &path, const QColor &color, qreal width, int radius, int passes)
{
    QImage layer = canvas(image.width(), image.height());
    QPainter p(&layer);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.end();
    composite(image, blurred(layer, radius), passes);
}

void ArtworkKit::glowFill(
    QImage &image, const QPainterPath &path, const QColor &color, int radius, int passes)
{
    QImage layer = canvas(image.width(), image.height());
    QPainter p(&layer);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(path);
    p.end();
    composite(image, blurred(layer, radius), passes);
}

void ArtworkKit::panel(
    QImage &image, const QPainterPath &shape, int fillAlpha, qreal borderWidth, bool outerGlow)
{
    if (outerGlow)
        glowStroke(image, shape, red(150), borderWidth * 2.5, 7);

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box = shape.boundingRect();

    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    fill.setColorAt(0.0, QColor(24, 22, 27, fillAlpha));
    fill.setColorAt(0.45, QColor(13, 12, 15, fillAlpha));
    fill.setColorAt(1.0, QColor(6, 6, 8, fillAlpha));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(shape);

    // Fine diagonal texture and a faint red bloom from the top edge.
    p.save();
    p.setClipPath(shape);
    p.setPen(QPen(QColor(255, 255, 255, 6), 1));
    for (qreal x = box.left() - box.height(); x < box.right(); x += 6)
        p.drawLine(QPointF(x, box.bottom()), QPointF(x + box.height(), box.top()));
    QLinearGradient bloom(box.topLeft(), box.topLeft() + QPointF(0, std::min<qreal>(90, box.height() / 3)));
    bloom.setColorAt(0.0, red(34));
    bloom.setColorAt(1.0, red(0));
    p.fillRect(box, bloom);
    p.restore();

    // Inner glow so the edge reads as lit from within.
    QImage inner = canvas(image.width(), image.height());
    QPainter ip(&inner);
    ip.setRenderHint(QPainter::Antialiasing);
    ip.setPen(QPen(red(120), borderWidth * 3));
    ip.drawPath(shape);
    ip.end();
    inner = blurred(inner, 6);
    p.save();
    p.setClipPath(shape);
    p.drawImage(0, 0, inner);
    p.restore();

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(red(215), borderWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.drawPath(shape);
}

QPainterPath ArtworkKit::polygonPath(const QVector<QPointF> &points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(points));
    path.closeSubpath();
    return path;
}

QPainterPath ArtworkKit::roundedRect(const QRectF &rect, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

// The emblem is designed in a 100 x 80 box and mapped onto the requested rectangle.
static QTransform emblemTransform(const QRectF &box)
{
    QTransform t;
    t.translate(box.left(), box.top());
    t.scale(box.width() / 100.0, box.height() / 80.0);
    return t;
}

QPainterPath ArtworkKit::emblemFrame(const QRectF &box)
{
    const QPainterPath outer
        = polygonPath({ { 50, 2 }, { 82, 12 }, { 76, 54 }, { 50, 78 }, { 24, 54 }, { 18, 12 } });
    const QPainterPath inner
        = polygonPath({ { 50, 9 }, { 75, 17 }, { 70.5, 51 }, { 50, 70 }, { 29.5, 51 }, { 25, 17 } });
    return emblemTransform(box).map(outer.subtracted(inner));
}

QPainterPath ArtworkKit::emblemLetter(const QRectF &box)
{
    // A bold "L" with a slanted cut, sitting a little left of the shield's axis.
    const QPainterPath letter
        = polygonPath({ { 38, 20 }, { 48, 20 }, { 48, 48 }, { 64, 48 }, { 59, 57 }, { 38, 57 } });
    const QPainterPath spark = polygonPath({ { 52, 20 }, { 63, 20 }, { 55, 42 }, { 52, 42 } });
    return emblemTransform(box).map(letter.united(spark));
}

QPainterPath ArtworkKit::emblemWings(const QRectF &box)
{
    QPainterPath wings;
    for (int i = 0; i < 3; ++i) {
        const qreal y = 22 + i * 9;
        const qreal reach = 16 - i * 4;
        wings.addPath(polygonPath(
            { { 17 - i * 0.8, y }, { 17 - i * 0.8 - reach, y + 1.5 }, { 16 - i * 0.8, y + 4.5 } }));
        wings.addPath(polygonPath(
            { { 83 + i * 0.8, y }, { 83 + i * 0.8 + reach, y + 1.5 }, { 84 + i * 0.8, y + 4.5 } }));
    }
    return emblemTransform(box).map(wings);
}

QPainterPath ArtworkKit::emblemShield(const QRectF &box)
{
    return emblemTransform(box).map(
        polygonPath({ { 50, 9 }, { 75, 17 }, { 70.5, 51 }, { 50, 70 }, { 29.5, 51 }, { 25, 17 } }));
}

QImage ArtworkKit::icon(int side)
{
    const qreal k = side / 256.0;
    QImage image = canvas(side, side);
    const QPainterPath tile = roundedRect(QRectF(10 * k, 10 * k, 236 * k, 236 * k), 46 * k);
    panel(image, tile, 250, 5 * k, false);
    emblem(image, QRectF(22 * k, 40 * k, 212 * k, 170 * k), 1.0, qRound(10 * k));
    return image;
}

void ArtworkKit::emblem(QImage &image, const QRectF &box, qreal opacity, int glowRadius)
{
    const QPainterPath frame = emblemFrame(box);
    const QPainterPath letter = emblemLetter(box);
    const QPainterPath wings = emblemWings(box);
    QPainterPath all = frame;
    all.addPath(letter);
    all.addPath(wings);

    QImage layer = canvas(image.width(), image.height());
    glowFill(layer, all, red(200), glowRadius, 2);

    QPainter p(&layer);
    p.setRenderHint(QPainter::Antialiasing);
    const QPainterPath shield = emblemShield(box);
    QLinearGradient inside(box.topLeft(), box.bottomLeft());
    inside.setColorAt(0.0, QColor(60, 0, 14, 150));
    inside.setColorAt(1.0, QColor(10, 0, 3, 170));
    p.setPen(Qt::NoPen);
    p.setBrush(inside);
    p.drawPath(shield);

    QLinearGradient metal(box.topLeft(), box.bottomRight());
    metal.setColorAt(0.0, QColor(255, 92, 116));
    metal.setColorAt(0.35, QColor(252, 10, 53));
    metal.setColorAt(1.0, QColor(140, 0, 24));
    p.setBrush(metal);
    p.drawPath(all);

    // A thin bright rim on the upper facets.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 200, 210, 90), std::max<qreal>(0.6, box.width() / 260.0)));
    p.drawPath(frame);
    p.end();

    QPainter out(&image);
    out.setOpacity(opacity);
    out.drawImage(0, 0, layer);
}
