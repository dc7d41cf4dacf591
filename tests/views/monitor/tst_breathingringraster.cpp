#include "breathingringraster.h"
#include "breathwaveanimation.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtTest>

// The breathing ring written from the distance table looks like the ring filled with the radial gradient
// it stands for: the same colours at every pixel, within rounding, at every phase of the breathing.
class TestBreathingRingRaster : public QObject
{
    Q_OBJECT

private:
    /// The ring as a radial gradient fill: two circles filled odd-even, the gradient from the glow colour
    /// at 0.35 to nothing at the phase.
    static QImage gradientRing(int s, double innerRadius, double phase)
    {
        QImage image(s, s, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        const QPointF centre(s / 2, s / 2);
        QRadialGradient gradient(centre, s / 2, centre, 0);
        gradient.setColorAt(0.35, BreathWaveAnimation::GlowColour);
        gradient.setColorAt(qBound(0.35, phase, 1.0), QColor(255, 0, 0, 0));
        QPainterPath ring;
        ring.setFillRule(Qt::OddEvenFill);
        ring.addEllipse(QRectF(0, 0, s, s));
        ring.addEllipse(centre, innerRadius, innerRadius);
        painter.fillPath(ring, gradient);
        return image;
    }

    static QImage tableRing(int s, double innerRadius, double phase)
    {
        QImage image(s, s, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        BreathingRingRaster ring;
        ring.prepare(s, innerRadius);
        ring.draw(image, phase);
        return image;
    }

    static int channelDifference(QRgb a, QRgb b)
    {
        return qMax(qMax(qAbs(qAlpha(a) - qAlpha(b)), qAbs(qRed(a) - qRed(b))),
            qMax(qAbs(qGreen(a) - qGreen(b)), qAbs(qBlue(a) - qBlue(b))));
    }

private slots:
    void sameAsGradientFill_data()
    {
        QTest::addColumn<int>("side");
        QTest::addColumn<double>("phase");
        QTest::newRow("476, lowest phase") << 476 << 0.706;
        QTest::newRow("476, middle") << 476 << 0.8;
        QTest::newRow("476, highest phase") << 476 << 0.9;
        QTest::newRow("odd side 301") << 301 << 0.85;
        QTest::newRow("small 40") << 40 << 0.75;
    }

    void sameAsGradientFill()
    {
        QFETCH(int, side);
        QFETCH(double, phase);
        const double inner = side * 0.3 - 1;
        const QImage expected = gradientRing(side, inner, phase);
        const QImage actual = tableRing(side, inner, phase);
        const double centre = side / 2;
        int lit = 0;
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) {
                const QRgb e = expected.pixel(x, y);
                const QRgb a = actual.pixel(x, y);
                const double r = std::hypot(x + 0.5 - centre, y + 0.5 - centre);
                // The antialiased inner edge may differ by a little more than rounding.
                const int allowed = qAbs(r - inner) < 1.5 ? 24 : 3;
                const int diff = channelDifference(e, a);
                if (diff > allowed)
                    QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) at r %3: %4 instead of %5")
                                         .arg(x)
                                         .arg(y)
                                         .arg(r)
                                         .arg(a, 8, 16)
                                         .arg(e, 8, 16)));
                lit += qAlpha(a) > 0;
            }
        }
        // The ring is there at all: a band of glow outside the inner radius.
        QVERIFY(lit > side * 2);
    }

    void glowJustOutsideTheInnerRadius()
    {
        const QImage image = tableRing(476, 476 * 0.3 - 1, 0.8);
        // Centre 238; inner radius 141.8; the gradient runs from 0.35 x 238 to 0.8 x 238 = 190.4.
        // At r = 150.5 (pixel 388) the alpha is 180 x (190.4 - 150.5) / (190.4 - 83.3), about 67.
        const QRgb inside = image.pixel(388, 238);
        QVERIFY2(qAbs(qAlpha(inside) - 67) <= 2, qPrintable(QString::number(qAlpha(inside))));
        QCOMPARE(qAlpha(image.pixel(238, 238)), 0); // the hole
        QCOMPARE(qAlpha(image.pixel(238 + 195, 238)), 0); // past the fade
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0); // the corner
    }

    void preparedOncePerSize()
    {
        BreathingRingRaster ring;
        ring.prepare(476, 141.8);
        const int pixels = ring.pixelCount();
        QVERIFY(pixels > 0);
        // The annulus from the inner radius to the furthest fade, not the whole square.
        QVERIFY(pixels < 476 * 476 / 2);
        ring.prepare(476, 141.8);
        QCOMPARE(ring.pixelCount(), pixels);
        ring.prepare(200, 59);
        QVERIFY(ring.pixelCount() < pixels);
        QCOMPARE(ring.side(), 200);
    }

    void wrongImageIsLeftAlone()
    {
        BreathingRingRaster ring;
        ring.prepare(476, 141.8);
        QImage small(100, 100, QImage::Format_ARGB32_Premultiplied);
        small.fill(Qt::transparent);
        ring.draw(small, 0.8); // smaller than prepared: must not write past it
        QCOMPARE(small.pixel(50, 50), 0u);
        QImage rgb(476, 476, QImage::Format_RGB32);
        rgb.fill(Qt::black);
        ring.draw(rgb, 0.8);
        QCOMPARE(rgb.pixel(388, 238), QColor(Qt::black).rgb());
    }
};

QTEST_GUILESS_MAIN(TestBreathingRingRaster)
#include "tst_breathingringraster.moc"
