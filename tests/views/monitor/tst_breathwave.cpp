#include "breathwaveanimation.h"
#include "createbreathcircleandwavecirclethread.h"

#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

// One frame of the animated background, the steps of its motion, and the image thread's loop.
class TestBreathWave : public QObject
{
    Q_OBJECT

private:
    static constexpr int Side = 476;

    static BreathWaveAnimation::Frame frame(double level, bool breathing, bool wave)
    {
        BreathWaveAnimation::Frame f;
        f.ringInnerRadius = 0.3 * Side - 1;
        f.waveRadius = 0.2 * Side + 1;
        f.level = level;
        f.breathing = breathing;
        f.wave = wave;
        return f;
    }

    static QImage rendered(const BreathWaveAnimation::Frame &f)
    {
        QImage image(Side, Side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        BreathWaveAnimation::render(image, f);
        return image;
    }

    static void compareColour(const QColor &actual, const QColor &expected)
    {
        // Premultiplied storage rounds the colour channels of a faint pixel.
        QVERIFY2(qAbs(actual.alpha() - expected.alpha()) <= 1, qPrintable(actual.name(QColor::HexArgb)));
        QVERIFY2(qAbs(actual.red() - expected.red()) <= 6, qPrintable(actual.name(QColor::HexArgb)));
        QVERIFY2(qAbs(actual.green() - expected.green()) <= 6, qPrintable(actual.name(QColor::HexArgb)));
        QVERIFY2(qAbs(actual.blue() - expected.blue()) <= 6, qPrintable(actual.name(QColor::HexArgb)));
    }

    // Disc colour, then wave colour over it (source over).
    static QColor discUnderWave()
    {
        QImage one(1, 1, QImage::Format_ARGB32_Premultiplied);
        one.fill(Qt::transparent);
        QPainter painter(&one);
        painter.fillRect(0, 0, 1, 1, BreathWaveAnimation::DiscColour);
        painter.fillRect(0, 0, 1, 1, BreathWaveAnimation::WaveColour);
        painter.end();
        return one.pixelColor(0, 0);
    }

private slots:
    void init() { BreathWaveAnimation::setSharedMotion(BreathWaveAnimation::Motion()); }

    void emptyLevelShowsTheFaintDiscOnly()
    {
        const QImage image = rendered(frame(0, false, true));
        compareColour(image.pixelColor(237, 237), BreathWaveAnimation::DiscColour);
        compareColour(image.pixelColor(237, 237 + 90), BreathWaveAnimation::DiscColour);
        QCOMPARE(image.pixelColor(0, 0).alpha(), 0); // cleared, not left white
        QCOMPARE(image.pixelColor(237 + 100, 237).alpha(), 0); // outside the disc, no ring
        // No wave was drawn, so the wave did not move.
        QCOMPARE(BreathWaveAnimation::sharedMotion().offset, 0.0);
    }

    void fullLevelShowsTheFilledDiscWithoutWaves()
    {
        const QImage image = rendered(frame(1.0, false, true));
        const QColor water = discUnderWave();
        compareColour(image.pixelColor(237, 237), water);
        compareColour(image.pixelColor(237, 237 - 90), water);
        compareColour(image.pixelColor(237, 237 + 90), water);
        QCOMPARE(BreathWaveAnimation::sharedMotion().amplitude1, 0.0);
        const QImage over = rendered(frame(1.7, false, true));
        compareColour(over.pixelColor(237, 237 - 90), water);
    }

    void waveOffShowsTheFaintDiscWhateverTheLevel()
    {
        const QImage image = rendered(frame(0.8, false, false));
        compareColour(image.pixelColor(237, 237 + 60), BreathWaveAnimation::DiscColour);
    }

    void halfLevelHasWaterBelowAndAirAbove()
    {
        const QImage image = rendered(frame(0.5, false, true));
        compareColour(image.pixelColor(237, 237 - 60), BreathWaveAnimation::DiscColour);
        // Two layers of water below the surface.
        QVERIFY(image.pixelColor(237, 237 + 60).alpha() > discUnderWave().alpha());
        QVERIFY(BreathWaveAnimation::sharedMotion().offset > 0);
        QCOMPARE(image.pixelColor(237 + 100, 237 + 60).alpha(), 0);
    }

    void breathingRingGlowsOutsideTheDiscAndFadesAtTheEdge()
    {
        const QImage image = rendered(frame(0, true, false));
        const QColor ring = image.pixelColor(237 + 150, 237);
        QVERIFY(ring.alpha() > 0);
        QVERIFY(ring.red() > ring.green());
        QCOMPARE(image.pixelColor(237 + 120, 237).alpha(), 0); // between the disc and the ring
        QCOMPARE(image.pixelColor(237 + 225, 237).alpha(), 0); // beyond the 0.9 stop
        QCOMPARE(image.pixelColor(2, 2).alpha(), 0);
        QVERIFY(BreathWaveAnimation::sharedMotion().phase > 0.7);
    }

    void phaseSwingsBetweenItsBounds()
    {
        BreathWaveAnimation::Motion m;
        double low = 1, high = 0;
        bool fell = false;
        for (int i = 0; i < 200; ++i) {
            const double before = m.phase;
            BreathWaveAnimation::stepPhase(m);
            fell = fell || m.phase < before;
            low = qMin(low, m.phase);
            high = qMax(high, m.phase);
        }
        QVERIFY(fell);
        QVERIFY(low >= 0.7 - 0.006 - 1e-9);
        QVERIFY(high <= 0.9 + 0.006 + 1e-9);
        QVERIFY(high >= 0.9);
    }

    void amplitudeNeverRestsStrictlyBetweenMinusOneAndOne()
    {
        for (double bound : { 0.4, 1.0, 3.0, 17.0, 40.0 }) {
            for (double divisor : { 50.0, 40.0 }) {
                double amplitude = 0;
                bool rising = true;
                double low = 0, high = 0;
                for (int i = 0; i < 1000; ++i) {
                    BreathWaveAnimation::stepAmplitude(amplitude, rising, bound, bound / divisor);
                    QVERIFY2(!(amplitude > -1 && amplitude < 1), qPrintable(QString::number(amplitude)));
                    low = qMin(low, amplitude);
                    high = qMax(high, amplitude);
                }
                // It swings both ways.
                QVERIFY(low <= -1);
                QVERIFY(high >= 1);
            }
        }
    }

    void offsetWrapsEveryFourSegments()
    {
        double offset = 0;
        for (int i = 0; i < 100; ++i) {
            BreathWaveAnimation::stepOffset(offset, 8.0);
            QVERIFY(offset > 0 && offset <= 4 * 8.0 + 0.8 + 1e-9);
        }
    }

    void threadSendsAnEmptyFrameBeforeItsSizeIsKnown()
    {
        CreateBreathCircleAndWaveCircleThread thread;
        QSignalSpy frames(&thread, &CreateBreathCircleAndWaveCircleThread::sendImage);
        thread.setBreathingEnabled(false);
        thread.setWaveEnabled(false);
        thread.startIfStopped();
        QTRY_COMPARE(frames.count(), 1);
        QVERIFY(frames.at(0).at(0).value<QImage>().isNull());
        QTRY_VERIFY(thread.isFinished());
        QVERIFY(thread.isStopped());
    }

    void bothEffectsOffSendsOneLastFrameAndStops()
    {
        CreateBreathCircleAndWaveCircleThread thread;
        thread.setImageSize(64);
        thread.setWaveRadius(10);
        thread.setBreathingEnabled(false);
        thread.setWaveEnabled(false);
        thread.startIfStopped();
        QTRY_VERIFY(thread.isFinished());
        QCOMPARE(thread.framesRendered(), 1);
        QTest::qWait(100);
        QCOMPARE(thread.framesRendered(), 1);
    }

    void restartRightAfterAStopKeepsTheLoopAlive()
    {
        CreateBreathCircleAndWaveCircleThread thread;
        thread.setImageSize(32);
        for (int i = 0; i < 30; ++i) {
            thread.startIfStopped();
            QTest::qWait(i % 3);
            thread.requestStop();
            thread.startIfStopped();
            QVERIFY(!thread.isStopped());
            QVERIFY(thread.isRunning());
        }
        const int before = thread.framesRendered();
        QTRY_VERIFY(thread.framesRendered() > before + 2);
    }

    void restartWhileTheLastFrameIsFinishingKeepsTheLoopAlive()
    {
        CreateBreathCircleAndWaveCircleThread thread;
        thread.setImageSize(16);
        thread.setWaveEnabled(false);
        // Widens the moment between the loop's end and the thread's: "finished" is emitted in between.
        connect(
            &thread, &QThread::finished, &thread, [] { QThread::msleep(30); }, Qt::DirectConnection);
        for (int i = 0; i < 5; ++i) {
            thread.setBreathingEnabled(false);
            thread.startIfStopped();
            // The loop sets "stopped" itself after its last frame; catch it while it is still ending.
            while (!thread.isStopped()) { }
            thread.setBreathingEnabled(true);
            thread.startIfStopped();
            const int frames = thread.framesRendered();
            QTRY_VERIFY_WITH_TIMEOUT(thread.framesRendered() > frames + 1, 2000);
        }
    }

    void destroyingARunningThreadWaitsForIt()
    {
        auto thread = std::make_unique<CreateBreathCircleAndWaveCircleThread>();
        thread->setImageSize(Side);
        thread->setWaveLevel(0.5);
        thread->startIfStopped();
        QTRY_VERIFY(thread->framesRendered() > 0);
        thread.reset(); // would abort the process if the loop were still running
        QVERIFY(true);
    }

    void twoThreadsShareOneMotion()
    {
        CreateBreathCircleAndWaveCircleThread first;
        CreateBreathCircleAndWaveCircleThread second;
        for (auto *thread : { &first, &second }) {
            thread->setImageSize(200);
            thread->setRingInnerRadius(60);
            thread->setWaveRadius(40);
            thread->setWaveLevel(0.4);
            thread->startIfStopped();
        }
        QTRY_VERIFY(first.framesRendered() > 10 && second.framesRendered() > 10);
        first.requestStop();
        second.requestStop();
        first.wait();
        second.wait();
        // Every frame of either thread stepped the one shared phase; it stays within its swing.
        const BreathWaveAnimation::Motion m = BreathWaveAnimation::sharedMotion();
        QVERIFY(m.phase >= 0.7 - 0.006 - 1e-9 && m.phase <= 0.9 + 0.006 + 1e-9);
        QVERIFY(m.offset > 0);
    }
};

QTEST_MAIN(TestBreathWave)
#include "tst_breathwave.moc"
