#include "gpucontroller.h"
#include "korvo_setuserdefinefanspeedthread.h"
#include "simulatedcard.h"
#include "workertestsupport.h"

#include <QElapsedTimer>
#include <QTest>

#include <memory>

using FanThread = Korvo_SetUserDefineFanSpeedThread;
using Curve = QList<QPoint>;
Q_DECLARE_METATYPE(Curve)

class TestFanCurve : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_card = std::make_unique<SimulatedCard>(SimulatedCard::Dynamics::Frozen);
        m_controller = std::make_unique<GpuController>();
        QVERIFY(m_controller->isInitialized());
    }
    void cleanup()
    {
        m_controller.reset();
        m_card.reset();
    }

    void interpolatesOnTheCurve_data()
    {
        QTest::addColumn<Curve>("curve");
        QTest::addColumn<int>("celsius");
        QTest::addColumn<int>("level");
        const Curve standard = FanThread::defaultCurve();
        QTest::newRow("default 0") << standard << 0 << 0;
        QTest::newRow("default 40") << standard << 40 << 35;
        QTest::newRow("default 65") << standard << 65 << 70;
        QTest::newRow("default 90") << standard << 90 << 95;
        QTest::newRow("default 100") << standard << 100 << 100;
        QTest::newRow("above 100 counts as 100") << standard << 120 << 100;
        QTest::newRow("below 0 counts as 0") << standard << -5 << 0;
        QTest::newRow("truncated") << Curve { { 0, 0 }, { 30, 10 }, { 100, 100 } } << 10 << 3;
        QTest::newRow("step at 0") << Curve { { 0, 0 }, { 0, 40 }, { 100, 100 } } << 0 << 40;
        QTest::newRow("later step never reached")
            << Curve { { 0, 0 }, { 50, 50 }, { 50, 80 }, { 100, 100 } } << 50 << 50;
        QTest::newRow("one point") << Curve { { 0, 0 } } << 0 << 0;
        QTest::newRow("no segment holds it") << Curve { { 0, 0 }, { 60, 60 } } << 80 << 0;
    }
    void interpolatesOnTheCurve()
    {
        QFETCH(Curve, curve);
        QFETCH(int, celsius);
        QFETCH(int, level);
        QCOMPARE(FanThread::levelForTemperature(curve, celsius), level);
    }

    // On the default curve 45 degrees gives 42.5 % and 31 degrees 21.5 %: the thread truncates to 42 and 21,
    // where rounding would give 43 and 22.
    void theDefaultCurveTruncates()
    {
        const Curve literal = { { 0, 0 }, { 30, 20 }, { 50, 50 }, { 80, 90 }, { 100, 100 } };
        QCOMPARE(FanThread::defaultCurve(), literal);
        QCOMPARE(FanThread::levelForTemperature(literal, 45), 42);
        QCOMPARE(FanThread::levelForTemperature(literal, 31), 21);
    }

    // The page's bounded stop: a cycle held in a cooler call keeps the thread past the bound, and the stop
    // says so instead of waiting for the driver.
    void aBoundedStopGivesUpOnAHeldCall()
    {
        TimeScaleGuard fast(0.002);
        FanThread fan(m_controller.get());
        sim().holdNextCall(NvApiId::GpuSetCoolerLevels);
        fan.startSampling();
        QVERIFY(sim().waitUntilHeld(NvApiId::GpuSetCoolerLevels, 5000));
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!fan.stopWithin(300));
        QVERIFY(timer.elapsed() < 2000);
        QVERIFY(fan.isStopped());
        sim().releaseHeldCall(NvApiId::GpuSetCoolerLevels);
        QVERIFY(fan.wait(5000));
        // A free thread stops within the bound, and one never started at once.
        fan.startSampling();
        QVERIFY(waitForMoreCalls(NvApiId::GpuSetCoolerLevels, 2));
        QVERIFY(fan.stopWithin(3000));
        FanThread idle(m_controller.get());
        QVERIFY(idle.stopWithin(0));
    }

    void acceptsOnlyCurvesFromZeroToHundred_data()
    {
        QTest::addColumn<Curve>("given");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("empty") << Curve {} << false;
        QTest::newRow("one point") << Curve { { 0, 0 } } << false;
        QTest::newRow("ends at (95, 100)") << Curve { { 0, 0 }, { 50, 40 }, { 95, 100 } } << false;
        QTest::newRow("starts at (0, 10)") << Curve { { 0, 10 }, { 100, 100 } } << false;
        QTest::newRow("two points") << Curve { { 0, 0 }, { 100, 100 } } << true;
        QTest::newRow("steep") << Curve { { 0, 0 }, { 40, 10 }, { 60, 80 }, { 100, 100 } } << true;
    }
    void acceptsOnlyCurvesFromZeroToHundred()
    {
        QFETCH(Curve, given);
        QFETCH(bool, accepted);
        FanThread fan(m_controller.get());
        QCOMPARE(fan.temperatureToFanSpeedData(), FanThread::defaultCurve());
        fan.setTemperatureToFanSpeedData({ { 0, 0 }, { 100, 100 } });
        fan.setTemperatureToFanSpeedData(given);
        QCOMPARE(fan.temperatureToFanSpeedData(), accepted ? given : FanThread::defaultCurve());
    }

    void setsTheLevelManuallyOnEveryCycle()
    {
        TimeScaleGuard fast(0.002);
        SimDriver &sim = SimDriver::instance();
        sim.setTemperature(0, 40);
        auto fan = std::make_unique<FanThread>(m_controller.get());
        fan->startSampling();
        QVERIFY(waitForCalls(NvApiId::GpuSetCoolerLevels, 3));
        QCOMPARE(sim.tuning(0).coolerLevelPercent, 35);
        QCOMPARE(int(sim.tuning(0).coolerPolicy), FanPolicy::Manual);

        sim.setTemperature(0, 90);
        QVERIFY(waitForMoreCalls(NvApiId::GpuSetCoolerLevels, 3));
        QCOMPARE(sim.tuning(0).coolerLevelPercent, 95);

        sim.setTemperature(0, 120);
        QVERIFY(waitForMoreCalls(NvApiId::GpuSetCoolerLevels, 3));
        QCOMPARE(sim.tuning(0).coolerLevelPercent, 100);

        sim.setTemperature(0, 0);
        fan->setTemperatureToFanSpeedData({ { 0, 0 }, { 0, 40 }, { 100, 100 } });
        QVERIFY(waitForMoreCalls(NvApiId::GpuSetCoolerLevels, 3));
        QCOMPARE(sim.tuning(0).coolerLevelPercent, 40);
        QCOMPARE(int(sim.tuning(0).coolerPolicy), FanPolicy::Manual);

        fan->stopSampling();
        QVERIFY(fan->wait(5000));
        QVERIFY(fan->isStopped());
        // One write per reading, unchanged levels included.
        QCOMPARE(sim.callCount(NvApiId::GpuSetCoolerLevels), sim.callCount(NvApiId::GpuGetThermalSettings));
    }

    void keepsTheCurveAcrossStopAndStart()
    {
        TimeScaleGuard fast(0.002);
        sim().setTemperature(0, 50);
        FanThread fan(m_controller.get());
        const Curve flat = { { 0, 0 }, { 10, 60 }, { 100, 100 } };
        fan.setTemperatureToFanSpeedData(flat);
        fan.startSampling();
        QVERIFY(waitForCalls(NvApiId::GpuSetCoolerLevels, 2));
        fan.stopSampling();
        QVERIFY(fan.wait(5000));
        sim().setTemperature(0, 10);
        fan.startSampling();
        QVERIFY(waitForMoreCalls(NvApiId::GpuSetCoolerLevels, 2));
        QCOMPARE(fan.temperatureToFanSpeedData(), flat);
        QCOMPARE(sim().tuning(0).coolerLevelPercent, 60);
    }

    // A curve handed over while a cycle hangs in the driver neither waits for it nor changes that cycle.
    void takesACurveWhileACycleIsHeld()
    {
        TimeScaleGuard fast(0.002);
        sim().setTemperature(0, 50);
        FanThread fan(m_controller.get());
        sim().holdNextCall(NvApiId::GpuSetCoolerLevels);
        fan.startSampling();
        QVERIFY(sim().waitUntilHeld(NvApiId::GpuSetCoolerLevels, 5000));
        const Curve flat = { { 0, 0 }, { 10, 60 }, { 100, 100 } };
        QElapsedTimer timer;
        timer.start();
        fan.setTemperatureToFanSpeedData(flat);
        QVERIFY(timer.elapsed() < 500);
        QCOMPARE(fan.temperatureToFanSpeedData(), flat);
        QVERIFY(!fan.startWithin(50));
        sim().releaseHeldCall(NvApiId::GpuSetCoolerLevels);
        QVERIFY(waitForMoreCalls(NvApiId::GpuSetCoolerLevels, 2));
        QCOMPARE(sim().tuning(0).coolerLevelPercent, 77);
        QVERIFY(fan.startWithin(1000));
        fan.stopSampling();
        QVERIFY(fan.wait(5000));
    }

    void takesCurvesThroughQueuedConnections()
    {
        FanThread fan(m_controller.get());
        const Curve given = { { 0, 0 }, { 70, 30 }, { 100, 100 } };
        QVERIFY(QMetaObject::invokeMethod(
            &fan, "setTemperatureToFanSpeedData", Qt::QueuedConnection, Q_ARG(QList<QPoint>, given)));
        QTRY_COMPARE(fan.temperatureToFanSpeedData(), given);
    }

    void endsAtOnceWithoutController()
    {
        FanThread fan(nullptr);
        fan.startSampling();
        QVERIFY(fan.wait(5000));
        QVERIFY(fan.isStopped());
    }

private:
    std::unique_ptr<SimulatedCard> m_card;
    std::unique_ptr<GpuController> m_controller;
};

QTEST_GUILESS_MAIN(TestFanCurve)
#include "tst_workers_fancurve.moc"
