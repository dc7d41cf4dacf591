#include "circlegeometry.h"

#include "breathingringraster.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

CircleGeometry CircleGeometry::forSide(int a)
{
    CircleGeometry g;
    g.side = a;
    g.ringDiameter = Scale * a * 3;
    g.innerRadius = g.ringDiameter / 3;
    g.ringWidth = g.ringDiameter * 0.5 - g.innerRadius;
    const int edge = int((a - g.ringDiameter) * 0.5);
    g.buttons = QRect(edge, edge, int(g.ringDiameter), int(g.ringDiameter));
    g.imageRingInnerRadius = g.ringDiameter * 0.5;
    g.imageWaveRadius = g.innerRadius;
    g.centre = (a - 1) / 2;

    const double r = g.innerRadius;
    const int cx = g.centre;
    const int cy = g.centre;
    const int vs = int(r / 3);
    const int ss = int(r / 6);
    // The read-out's width is the chord of the inner circle at the value's top edge.
    const int cw = int(2 * qSqrt(qMax(0.0, r * r - double(vs) * vs)));
    const int hw = cw / 2;
    g.valuePixelSize = vs;
    g.rowPixelSize = ss;
    g.value = QRect(cx - hw, cy - vs, cw, vs);
    g.maxLabel = QRect(cx - hw, cy + ss / 2, hw, ss);
    g.maxNumber = QRect(cx, cy + ss / 2, cw, ss);
    g.minLabel = QRect(cx - hw, cy + 2 * ss, hw, ss);
    g.minNumber = QRect(cx, cy + 2 * ss, cw, ss);

    const int fs = int(a * Scale / 5);
    const int w = int(qSqrt(qMax(0.0, r * r - double(fs) * fs)));
    const int u = fs / 4;
    g.overlayPixelSize = fs;
    const int rows[3] = { cy - 6 * u, cy - u, cy + fs };
    for (int i = 0; i < 3; ++i) {
        g.overlayLabel[i] = QRect(cx - w, rows[i], w, fs);
        g.overlayValue[i] = QRect(cx, rows[i], w, fs);
    }
    return g;
}

namespace {

/// Half the width of a circle of radius r about centre c at the row of [top, bottom) nearest to or
/// farthest from its centre; 0 when the circle does not reach it.
double halfChord(double r, double c, int top, int bottom, bool nearest)
{
    const double a = top - c;
    const double b = bottom - c;
    double d = nearest ? ((a <= 0 && b >= 0) ? 0 : qMin(std::abs(a), std::abs(b)))
                       : qMax(std::abs(a), std::abs(b));
    return d < r ? std::sqrt(r * r - d * d) : 0;
}

} // namespace

int CircleGeometry::glowReachOf(const QImage &frame)
{
    const int a = qMin(frame.width(), frame.height());
    if (a <= 0 || frame.format() != QImage::Format_ARGB32_Premultiplied)
        return 0;
    const int centre = a / 2;
    const int inner = int(forSide(a).imageRingInnerRadius) - 2;
    const auto *row = reinterpret_cast<const quint32 *>(frame.constScanLine(centre));
    for (int x = a - 1; x > centre + inner; --x) {
        if (row[x] >> 24)
            return x - centre + 1;
    }
    return 0;
}

QRegion CircleGeometry::animatedRegion(int a, int glowReach)
{
    if (a <= 0)
        return QRegion();
    const CircleGeometry g = forSide(a);
    // The image's own centres and radii, each with a margin for antialiasing and rounding.
    const double ringCentre = a / 2;
    const double widest = BreathingRingRaster::MaxPhase * (a / 2);
    const double ringOuter = (glowReach == GlowReachUnknown ? widest : qMin(widest, double(glowReach))) + 2;
    const double ringInner = g.imageRingInnerRadius - 1 - 2;
    const double discCentre = a * 0.5;
    const double discRadius = g.imageWaveRadius + 1 + 2;
    constexpr int Band = 8;
    QRegion region;
    for (int top = 0; top < a; top += Band) {
        const int bottom = qMin(a, top + Band);
        const double outer = halfChord(ringOuter, ringCentre, top, bottom, true);
        const double hole = ringInner > 0 ? halfChord(ringInner, ringCentre, top, bottom, false) : 0;
        const auto add = [&](double from, double to) {
            const int left = qMax(0, int(std::floor(from)));
            const int right = qMin(a, int(std::ceil(to)));
            if (right > left)
                region += QRect(left, top, right - left, bottom - top);
        };
        if (outer > hole && hole <= 0) {
            add(ringCentre - outer, ringCentre + outer);
        } else if (outer > hole) {
            add(ringCentre - outer, ringCentre - hole);
            add(ringCentre + hole, ringCentre + outer);
        }
        const double disc = halfChord(discRadius, discCentre, top, bottom, true);
        if (disc > 0)
            add(discCentre - disc, discCentre + disc);
    }
    return region;
}
