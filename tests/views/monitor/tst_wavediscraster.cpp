#include "breathwaveanimation.h"
#include "wavediscraster.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtTest>

#include <cmath>

// The wave disc copied from its dry and wet looks, with only the band of the surfaces painted, looks like
// the disc painted whole with both surfaces clipped to it.
class TestWaveDiscRaster : public QObject
{
    Q_OBJECT

private:
    static constexpr int Side = 476;

    /// The disc painted whole: the disc colour, then both water paths clipped to the disc.
    static QImage clippedWave(double r, double y0, double g, double a1, double a2, double offset)
    {
        QImage image(Side, Side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        QPainterPath disc;
        disc.addEllipse(QPointF(Side * 0.5, Side * 0.5), r, r);
        painter.fillPath(disc, BreathWaveAnimation::DiscColour);
        painter.setClipPath(disc);
        painter.fillPath(
            BreathWaveAnimation::wavePath(Side, y0, g, a1, offset), BreathWaveAnimation::WaveColour);
        painter.fillPath(
            BreathWaveAnimation::wavePath(Side, y0, g, a2, offset), BreathWaveAnimation::WaveColour);
        return image;
    }

    static int channelDifference(QRgb a, QRgb b)
    {
        return qMax(qMax(qAbs(qAlpha(a) - qAlpha(b)), qAbs(qRed(a) - qRed(b))),
            qMax(qAbs(qGreen(a) - qGreen(b)), qAbs(qBlue(a) - qBlue(b))));
    }

private slots:
    void sameAsClippedFill_data()
    {
        QTest::addColumn<double>("y0");
        QTest::addColumn<double>("a1");
        QTest::addColumn<double>("a2");
        QTest::addColumn<double>("offset");
        // Radius 0.2 x 476 + 1 = 96.2; half full: surface at 238, segment 48.1, bound 16.
        QTest::newRow("half, calm") << 238.0 << 1.0 << -1.0 << 0.0;
        QTest::newRow("half, high waves") << 238.0 << 16.0 << -12.5 << 30.0;
        QTest::newRow("low water") << 310.0 << 6.0 << 4.0 << 11.0;
        QTest::newRow("nearly full") << 150.0 << -3.0 << 2.0 << 70.0;
        QTest::newRow("surface at the bottom edge") << 333.0 << 5.0 << -5.0 << 3.0;
    }

    void sameAsClippedFill()
    {
        QFETCH(double, y0);
        QFETCH(double, a1);
        QFETCH(double, a2);
        QFETCH(double, offset);
        const double r = 0.2 * Side + 1;
        const double g = 48.1;
        const QImage expected = clippedWave(r, y0, g, a1, a2, offset);
        QImage actual(Side, Side, QImage::Format_ARGB32_Premultiplied);
        actual.fill(Qt::transparent);
        WaveDiscRaster wave;
        wave.prepare(Side, r);
        wave.draw(actual, y0, g, a1, a2, offset);
        int water = 0;
        for (int y = 0; y < Side; ++y) {
            for (int x = 0; x < Side; ++x) {
                const double d = std::hypot(x + 0.5 - Side * 0.5, y + 0.5 - Side * 0.5);
                // On the disc's antialiased rim the water is cut a little differently.
                const int allowed = qAbs(d - r) < 1.5 ? 40 : 3;
                const QRgb e = expected.pixel(x, y);
                const QRgb a = actual.pixel(x, y);
                if (channelDifference(e, a) > allowed)
                    QFAIL(qPrintable(QStringLiteral("pixel (%1, %2): %3 instead of %4")
                                         .arg(x)
                                         .arg(y)
                                         .arg(a, 8, 16)
                                         .arg(e, 8, 16)));
                water += qAlpha(a) > BreathWaveAnimation::DiscColour.alpha() + 10;
            }
        }
        QVERIFY(water > 100);
    }

    void nothingOutsideTheBox()
    {
        QImage image(Side, Side, QImage::Format_ARGB32_Premultiplied);
        image.fill(qRgba(1, 2, 3, 4));
        WaveDiscRaster wave;
        wave.prepare(Side, 96.2);
        wave.draw(image, 238, 48.1, 10, -10, 5);
        const QRect box = wave.box();
        QVERIFY(box.contains(QPoint(238, 238)));
        QVERIFY(box.width() <= 2 * 96.2 + 4);
        QCOMPARE(image.pixel(box.left() - 1, 238), qRgba(1, 2, 3, 4));
        QCOMPARE(image.pixel(238, box.bottom() + 1), qRgba(1, 2, 3, 4));
        // Deep water in the middle of the lower half, dry disc in the upper half.
        QVERIFY(qAlpha(image.pixel(238, 300)) > 150);
        QCOMPARE(qAlpha(image.pixel(238, 170)), BreathWaveAnimation::DiscColour.alpha());
    }

    void smallerImageIsLeftAlone()
    {
        WaveDiscRaster wave;
        wave.prepare(Side, 96.2);
        QImage small(100, 100, QImage::Format_ARGB32_Premultiplied);
        small.fill(Qt::transparent);
        wave.draw(small, 238, 48.1, 1, 1, 0);
        QCOMPARE(small.pixel(50, 50), 0u);
    }
};

QTEST_GUILESS_MAIN(TestWaveDiscRaster)
#include "tst_wavediscraster.moc"
