#pragma once

#include <QImage>
#include <QRect>
#include <QRegion>

/// Where everything of the circle gauge goes for a side a: all of it follows from the fixed factor 0.2, so
/// it is a pure function that can be checked without a widget.
struct CircleGeometry
{
    static constexpr double Scale = 0.2;

    int side = 0;
    double ringDiameter = 0; ///< of the three ring buttons, 0.6 a
    double innerRadius = 0; ///< of the read-out area, 0.2 a
    double ringWidth = 0; ///< of each ring button, 0.1 a
    QRect buttons; ///< the three buttons lie on top of one another, concentric with the gauge
    double imageRingInnerRadius = 0; ///< what the image thread gets as the breathing ring's inner edge
    double imageWaveRadius = 0; ///< and as the wave disc's radius
    int centre = 0; ///< cx = cy in the drawing square

    /// The read-out: the centre value and the MAX and MIN rows, each a label and a number.
    QRect value;
    QRect maxLabel;
    QRect maxNumber;
    QRect minLabel;
    QRect minNumber;
    int valuePixelSize = 0;
    int rowPixelSize = 0;

    /// The adjustment overlay: three rows of a right-aligned label and a left-aligned value.
    QRect overlayLabel[3];
    QRect overlayValue[3];
    int overlayPixelSize = 0;

    static CircleGeometry forSide(int a);

    /// The part of the gauge that the image thread's frames can change: the breathing ring from its inner
    /// edge to where it fades at the widest, and the wave disc, in bands of a few rows. The ring buttons'
    /// annulus between them never changes from frame to frame, so a frame repaints neither it nor them.
    /// `glowReach`, when given, is how far from the centre the ring glows in the frames to repaint
    /// (GlowReachUnknown: as far as it ever does).
    static constexpr int GlowReachUnknown = -1;
    static QRegion animatedRegion(int a, int glowReach = GlowReachUnknown);
    /// How far from the centre the breathing ring of a frame glows, read along the frame's middle row;
    /// 0 when it does not glow.
    static int glowReachOf(const QImage &frame);
};
