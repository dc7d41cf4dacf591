#include "breathwaveanimation.h"
#include "circlegeometry.h"

#include <QBitArray>
#include <QImage>

#include <QtMath>
#include <QtTest>

namespace {

/// The pixels of a region in a square of the given side, a bit each: asking a region of a hundred
/// rectangles about every pixel of 200 frames takes minutes on a loaded machine.
QBitArray pixelsOf(const QRegion &region, int side)
{
    QBitArray bits(side * side);
    for (const QRect &rect : region.intersected(QRect(0, 0, side, side)))
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            bits.fill(true, y * side + rect.left(), y * side + rect.right() + 1);
    return bits;
}

} // namespace

// The gauge's geometry at the main window's size, 476 px, from the fixed factor 0.2.
class TestCircleGeometry : public QObject
{
    Q_OBJECT

private slots:
    void ringAndButtons()
    {
        const CircleGeometry g = CircleGeometry::forSide(476);
        QCOMPARE(g.ringDiameter, 0.6 * 476);
        QCOMPARE(g.innerRadius, 0.2 * 476);
        QVERIFY(qAbs(g.ringWidth - 0.1 * 476) < 1e-9);
        // e = trunc((476 - 285.6) / 2) = 95; the buttons are 285.6 px truncated.
        QCOMPARE(g.buttons, QRect(95, 95, 285, 285));
        QCOMPARE(g.imageRingInnerRadius, 0.3 * 476);
        QCOMPARE(g.imageWaveRadius, 0.2 * 476);
        QCOMPARE(g.centre, 237);
    }

    void readoutRows()
    {
        const CircleGeometry g = CircleGeometry::forSide(476);
        // R = 95.2: vs = 31, ss = 15, cw = trunc(2 sqrt(95.2^2 - 31^2)) = 180, hw = 90.
        QCOMPARE(g.valuePixelSize, 31);
        QCOMPARE(g.rowPixelSize, 15);
        const int cw = int(2 * qSqrt(95.2 * 95.2 - 31.0 * 31.0));
        QCOMPARE(cw, 180);
        QCOMPARE(g.value, QRect(237 - 90, 237 - 31, 180, 31));
        QCOMPARE(g.maxLabel, QRect(147, 237 + 7, 90, 15));
        QCOMPARE(g.maxNumber, QRect(237, 244, 180, 15));
        QCOMPARE(g.minLabel, QRect(147, 237 + 30, 90, 15));
        QCOMPARE(g.minNumber, QRect(237, 267, 180, 15));
    }

    void overlayRows()
    {
        const CircleGeometry g = CircleGeometry::forSide(476);
        // fs = trunc(476 * 0.2 / 5) = 19, w = trunc(sqrt(95.2^2 - 19^2)) = 93, u = 4.
        QCOMPARE(g.overlayPixelSize, 19);
        const int w = int(qSqrt(95.2 * 95.2 - 19.0 * 19.0));
        QCOMPARE(w, 93);
        const int rows[3] = { 237 - 24, 237 - 4, 237 + 19 };
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(g.overlayLabel[i], QRect(237 - 93, rows[i], 93, 19));
            QCOMPARE(g.overlayValue[i], QRect(237, rows[i], 93, 19));
        }
    }

    void otherSidesScale()
    {
        const CircleGeometry g = CircleGeometry::forSide(100);
        QCOMPARE(g.buttons, QRect(20, 20, 60, 60));
        QCOMPARE(g.centre, 49);
    }

    // A frame repaints only this region: every pixel any frame draws must lie in it, at any phase of the
    // breathing and any water level, and the ring buttons' middle must not.
    void animatedRegionHoldsEveryFramePixel_data()
    {
        QTest::addColumn<int>("side");
        QTest::newRow("main window") << 476;
        QTest::newRow("odd") << 301;
        QTest::newRow("small") << 120;
    }

    void animatedRegionHoldsEveryFramePixel()
    {
        QFETCH(int, side);
        const CircleGeometry g = CircleGeometry::forSide(side);
        const QRegion region = CircleGeometry::animatedRegion(side);
        const QBitArray widest = pixelsOf(region, side);
        BreathWaveAnimation::Frame frame;
        frame.ringInnerRadius = g.imageRingInnerRadius - 1;
        frame.waveRadius = g.imageWaveRadius + 1;
        frame.breathing = true;
        frame.wave = true;
        BreathWaveAnimation::Rasters rasters;
        BreathWaveAnimation::setSharedMotion(BreathWaveAnimation::Motion());
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        // 40 frames pass the widest breath (the phase turns at 0.9 after 34 steps).
        const double levels[] = { 0.0, 0.03, 0.5, 0.97, 1.0 };
        for (double level : levels) {
            frame.level = level;
            for (int i = 0; i < 40; ++i) {
                BreathWaveAnimation::render(image, frame, &rasters);
                // The region for this frame's own glow holds all it draws, and so does the widest one.
                const QBitArray own = pixelsOf(
                    CircleGeometry::animatedRegion(side, CircleGeometry::glowReachOf(image)), side);
                for (int y = 0; y < side; ++y) {
                    const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
                    for (int x = 0; x < side; ++x)
                        if (qAlpha(row[x]) != 0
                            && (!widest.testBit(y * side + x) || !own.testBit(y * side + x)))
                            QFAIL(qPrintable(QStringLiteral("(%1, %2) drawn outside").arg(x).arg(y)));
                }
            }
        }
        // A frame without breathing repaints the wave disc only; one at the widest breath reaches further.
        QVERIFY(CircleGeometry::animatedRegion(side, 0).boundingRect().width() < g.innerRadius * 2 + 8);
        QVERIFY(CircleGeometry::animatedRegion(side, 0).contains(QPoint(g.centre, g.centre)));
        QCOMPARE(CircleGeometry::glowReachOf(QImage()), 0);
        // The middle of the ring buttons' annulus, left of the centre, is not repainted by frames.
        const int middle = int((g.innerRadius + g.ringDiameter / 2) / 2);
        QVERIFY(!region.contains(QPoint(g.centre - middle, g.centre)));
        QVERIFY(region.contains(QPoint(g.centre, g.centre)));
    }
};

QTEST_MAIN(TestCircleGeometry)
#include "tst_circlegeometry.moc"
