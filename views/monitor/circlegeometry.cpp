#include "circlegeometry.h"

#include <QtMath>

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
