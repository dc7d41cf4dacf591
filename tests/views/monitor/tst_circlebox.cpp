#include "createbreathcircleandwavecirclethread.h"
#include "korvo_circlebutton.h"
#include "korvo_gpuinfocirclebox.h"

#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <memory>

// The circle gauge: its modes and what they tell the LCD, the fade of the adjustment overlay, the texts,
// and when its image thread may draw.
class TestCircleBox : public QObject
{
    Q_OBJECT

private:
    struct PaintCounter : QObject
    {
        int paints = 0;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Paint)
                ++paints;
            return false;
        }
    };

    static QTimer *fadeTimer(Korvo_GpuInfoCircleBox &box) { return box.findChild<QTimer *>(); }

private slots:
    void initTestCase() { qRegisterMetaType<LCDDisplayMode>(); }

    void ringButtonsPickTheModeAndTellTheLcd()
    {
        Korvo_GpuInfoCircleBox box(nullptr);
        QSignalSpy lcd(&box, &Korvo_GpuInfoCircleBox::setLcdDisplayMode);
        QCOMPARE(box.clockButton()->kind(), 1);
        QCOMPARE(box.memoryButton()->kind(), 2);
        QCOMPARE(box.temperatureButton()->kind(), 3);

        emit box.temperatureButton()->onMouseClick();
        QCOMPARE(box.displayMode(), int(Korvo_GpuInfoCircleBox::ModeTemperature));
        emit box.memoryButton()->onMouseClick();
        QCOMPARE(box.displayMode(), int(Korvo_GpuInfoCircleBox::ModeMemory));
        emit box.clockButton()->onMouseClick();
        QCOMPARE(box.displayMode(), int(Korvo_GpuInfoCircleBox::ModeClock));
        QCOMPARE(lcd.count(), 3);
        QCOMPARE(int(lcd.at(0).at(0).value<LCDDisplayMode>()), 64);
        QCOMPARE(int(lcd.at(1).at(0).value<LCDDisplayMode>()), 32);
        QCOMPARE(int(lcd.at(2).at(0).value<LCDDisplayMode>()), 128);
    }

    void waveRunsOnlyInMemoryModeWhenWanted()
    {
        CreateBreathCircleAndWaveCircleThread thread;
        Korvo_GpuInfoCircleBox box(&thread);
        QVERIFY(!thread.waveEnabled());
        QVERIFY(!thread.breathingEnabled());
        box.setEnableWave(true);
        QVERIFY(!thread.waveEnabled()); // clock mode
        emit box.memoryButton()->onMouseClick();
        QVERIFY(thread.waveEnabled());
        emit box.temperatureButton()->onMouseClick();
        QVERIFY(!thread.waveEnabled());
        box.setEnableWave(false);
        emit box.memoryButton()->onMouseClick();
        QVERIFY(!thread.waveEnabled());
        box.setEnableWave(true);
        QVERIFY(thread.waveEnabled());
    }

    void sampleSetsTheWaveLevel()
    {
        CreateBreathCircleAndWaveCircleThread thread;
        Korvo_GpuInfoCircleBox box(&thread);
        NvCardBaseInfo info;
        info.memoryUsage.current = 37;
        box.recvNvCardInfo(info);
        QCOMPARE(thread.waveLevel(), 0.37);
    }

    void fadeTakesTwentySixTicksAndRepaintsEachTime()
    {
        Korvo_GpuInfoCircleBox box(nullptr);
        box.resize(476, 476);
        PaintCounter counter;
        box.installEventFilter(&counter);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        box.setAdjustInfo(QStringLiteral("1500"), QStringLiteral("1550"), 50);
        QCOMPARE(box.fadeValue(), 0);
        QVERIFY(!box.isFading());
        QSignalSpy ticks(fadeTimer(box), &QTimer::timeout);
        QTest::qWait(50);
        const int paintsBefore = counter.paints;
        box.closeDisplayInfo();
        QVERIFY(box.isFading());
        QTRY_VERIFY(!box.isFading());
        QCOMPARE(box.fadeValue(), 255);
        QCOMPARE(ticks.count(), 26);
        QTest::qWait(50);
        // No frame and no sample arrives here: only the ticks themselves can show the fade.
        QVERIFY2(
            counter.paints - paintsBefore >= 20, qPrintable(QString::number(counter.paints - paintsBefore)));
    }

    void closeWithTheReadoutShownStartsNoTimer()
    {
        Korvo_GpuInfoCircleBox box(nullptr);
        box.closeDisplayInfo();
        QVERIFY(!box.isFading());
        QCOMPARE(box.fadeValue(), 255);
    }

    void ringClickDuringAFadeEndsIt()
    {
        Korvo_GpuInfoCircleBox box(nullptr);
        QSignalSpy ticks(fadeTimer(box), &QTimer::timeout);
        box.setAdjustInfo(QStringLiteral("0"), QStringLiteral("-25"), -25);
        box.closeDisplayInfo();
        QTRY_VERIFY(ticks.count() >= 2);
        emit box.temperatureButton()->onMouseClick();
        QCOMPARE(box.fadeValue(), 255);
        const int at = ticks.count();
        QTRY_VERIFY(!box.isFading());
        QVERIFY(ticks.count() <= at + 1);
        QCOMPARE(box.fadeValue(), 255);
    }

    void languageGoesToTheButtons()
    {
        Korvo_GpuInfoCircleBox box(nullptr);
        QCOMPARE(box.clockButton()->text(), QStringLiteral("核 心 频 率"));
        Lang_BreathCircle english;
        english.clock = QStringLiteral("C L O C K");
        english.temperature = QStringLiteral("T E M P");
        english.memory = QStringLiteral("M E M O R Y");
        box.setLanguage(english, English);
        QCOMPARE(box.clockButton()->text(), english.clock);
        QCOMPARE(box.temperatureButton()->text(), english.temperature);
        QCOMPARE(box.memoryButton()->text(), english.memory);
    }

    void resizeLaysOutTheButtonsAndTheMask()
    {
        Korvo_GpuInfoCircleBox box(nullptr);
        box.resize(476, 476);
        box.setAttribute(Qt::WA_DontShowOnScreen);
        box.show();
        QCOMPARE(box.clockButton()->geometry(), QRect(95, 95, 285, 285));
        QCOMPARE(box.memoryButton()->geometry(), box.clockButton()->geometry());
        QVERIFY(box.mask().contains(QPoint(237, 237)));
        QVERIFY(!box.mask().contains(QPoint(3, 3)));
    }

    void noFramesWhileHidden()
    {
        CreateBreathCircleAndWaveCircleThread thread;
        Korvo_GpuInfoCircleBox box(&thread);
        box.resize(200, 200);
        box.setEnableBreathingCircle(true);
        box.setEnableWave(true);
        emit box.memoryButton()->onMouseClick();
        QTest::qWait(150);
        QCOMPARE(thread.framesRendered(), 0);

        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTRY_VERIFY(thread.framesRendered() > 3);
        QTRY_VERIFY(!box.backgroundImage().isNull());
        box.hide();
        QVERIFY(thread.isStopped());
        QVERIFY(thread.wait(1000));
        const int frames = thread.framesRendered();
        QTest::qWait(150);
        QCOMPARE(thread.framesRendered(), frames);
    }

    void noFramesOnceBothEffectsAreOff()
    {
        CreateBreathCircleAndWaveCircleThread thread;
        Korvo_GpuInfoCircleBox box(&thread);
        box.resize(200, 200);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        box.setEnableBreathingCircle(true);
        QTRY_VERIFY(thread.framesRendered() > 3);
        box.setEnableBreathingCircle(false);
        QTRY_VERIFY(thread.isFinished());
        const int frames = thread.framesRendered();
        QTest::qWait(150);
        QCOMPARE(thread.framesRendered(), frames);
    }

    void minimisedWindowStopsTheLoop()
    {
        QWidget window;
        window.resize(240, 240);
        CreateBreathCircleAndWaveCircleThread thread;
        auto *box = new Korvo_GpuInfoCircleBox(&thread, &window);
        box->resize(200, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        box->setEnableBreathingCircle(true);
        QTRY_VERIFY(thread.framesRendered() > 3);
        window.showMinimized();
        QTRY_VERIFY(thread.isStopped());
        QVERIFY(thread.wait(1000));
        const int frames = thread.framesRendered();
        QTest::qWait(150);
        QCOMPARE(thread.framesRendered(), frames);
        window.showNormal();
        QTRY_VERIFY(thread.framesRendered() > frames);
    }

    void gaugeOutlivingItsThreadIsHarmless()
    {
        auto thread = std::make_unique<CreateBreathCircleAndWaveCircleThread>();
        Korvo_GpuInfoCircleBox box(thread.get());
        box.resize(100, 100);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        box.setEnableWave(true);
        emit box.memoryButton()->onMouseClick();
        thread.reset();
        QVERIFY(!box.imageThread());
        box.hide();
        box.setEnableBreathingCircle(true);
        box.resize(120, 120);
    }
};

QTEST_MAIN(TestCircleBox)
#include "tst_circlebox.moc"
