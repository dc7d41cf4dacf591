#pragma once

#include <QColor>
#include <QPainterPath>
#include <QSize>

class QPainter;

/// The shape every page stands on: the page less a corner triangle at the bottom right, with a title band
/// across the top, both in the translucent accent colour.
class NotchedPanel
{
public:
    static const QColor Fill;
    static const QColor BandLine;

    /// The page less the triangle that cuts a tenth off the bottom and the right side.
    static QPainterPath shape(QSizeF size);
    /// Fills the notched page and the band of the given height again over it (antialiased, no outline).
    static void paint(QPainter &painter, QSize size, int bandHeight);
    /// The red line under the band, across the full width.
    static void paintBandLine(QPainter &painter, QSize size, int bandHeight);
};
