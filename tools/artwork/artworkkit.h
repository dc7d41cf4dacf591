#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>

/// Drawing helpers shared by all images: canvases, blur-based glow, panels and the emblem.
class ArtworkKit
{
public:
    static const QColor Red;

    static QImage canvas(int width, int height);
    static QColor red(int alpha);

    /// Three box passes, close to a Gaussian of the given radius.
    static QImage blurred(const QImage &source, int radius);

    /// Soft light around the outline (or the whole area) of a path, composited onto the image.
    static void glowStroke(QImage &image, const QPainterPath &path, const QColor &color, qreal width,
        int radius, int passes = 1);
    static void glowFill(
        QImage &image, const QPainterPath &path, const QColor &color, int radius, int passes = 1);

    /// Dark translucent panel: gradient fill, fine diagonal texture, red outline with glow.
    static void panel(
        QImage &image, const QPainterPath &shape, int fillAlpha, qreal borderWidth, bool outerGlow);

    static QPainterPath polygonPath(const QVector<QPointF> &points);
    static QPainterPath roundedRect(const QRectF &rect, qreal radius);

    /// The program's icon at a side of 256 px or more: the tile and the emblem of the window icon.
    static QImage icon(int side);

    /// The maker's mark: a faceted shield with a stylised "L" and wings, fitted into the rectangle.
    static QPainterPath emblemFrame(const QRectF &box);
    static QPainterPath emblemLetter(const QRectF &box);
    static QPainterPath emblemWings(const QRectF &box);
    /// The dark inside of the shield, behind the frame.
    static QPainterPath emblemShield(const QRectF &box);
    static void emblem(QImage &image, const QRectF &box, qreal opacity, int glowRadius);
};
