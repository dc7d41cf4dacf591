#pragma once

#include <QImage>

/// The palette's hue ring: a ring of fully saturated hues with red at 9 o'clock, hue 90 at the top and hue
/// 180 at 3 o'clock, softened by a Gaussian glow. Rendering one takes a 91-tap blur over the whole image,
/// so rings are rendered once per size and shared by every card's palette.
class ColorRingRenderer
{
public:
    static constexpr double GlowSigma = 15.0;

    /// Outer radius for a square of the given side: 3 x (side / 10), integer division first.
    static double outerRadius(int side) { return 3.0 * (side / 10); }
    /// Inner radius for a given outer radius.
    static double innerRadius(double outer) { return outer * 3 * 0.25; }

    /// The ring for a square of the given side, rendered on first use of that side and kept for the
    /// process (GUI thread only). Sides below 1 give a null image. Waits for a rendering that prepare()
    /// started.
    static QImage shared(int side);
    /// Starts rendering the ring of a side on a thread of its own, unless it is kept or under way already
    /// (GUI thread only): a palette about to show has its ring ready, or nearly, when it first paints.
    static void prepare(int side);
    /// A fresh rendering; what shared() keeps.
    static QImage render(int side);
    /// How many renderings shared() has made; lets tests see that a size is rendered only once.
    static int renderCount();

    /// Blurs 1, 3 or 4 byte-per-pixel images with a Gaussian of the given sigma, channel by channel,
    /// horizontally then vertically; near the edges only the taps inside the image count. Other depths are
    /// returned unchanged.
    static QImage gaussianBlur(const QImage &image, double sigma);
};
