#include "cardprotocol.h"
#include "gpucontroller.h"
#include "korvo_sendcolortoled.h"
#include "korvo_sendnvcardinfothread.h"
#include "korvo_sendnvinfotolcdthread.h"
#include "korvo_setuserdefinefanspeedthread.h"
#include "simulatedcard.h"
#include "workertestsupport.h"

#include <QTest>

#include <atomic>
#include <memory>

/// All four workers of one card share its controller, as they do in the program.
class TestWorkersTogether : public QObject
{
    Q_OBJECT

private slots:
    void shareOneControllerWhileTheUserActs()
    {
        SimulatedCard card;
        TimeScaleGuard fast(0.002);
        sim().setTemperature(0, 55);
        GpuController controller;
        std::atomic<int> cards { 0 };
        std::atomic<int> frames { 0 };
        {
            Korvo_SendNvCardInfoThread sampler(&controller);
            Korvo_SendNvInfoToLCDThread feeder(&controller);
            Korvo_SendColorToLed led(&controller);
            Korvo_SetUserDefineFanSpeedThread fan(&controller);
            connect(
                &sampler, &Korvo_SendNvCardInfoThread::sendNvCardInfo, this, [&cards] { ++cards; },
                Qt::DirectConnection);
            connect(
                &feeder, &Korvo_SendNvInfoToLCDThread::sendDataToLCDResult, this, [&frames] { ++frames; },
                Qt::DirectConnection);
            sampler.setInterval(1000);
            sampler.startSampling();
            feeder.startSampling();
            led.startSampling();
            fan.startSampling();

            // What the pages do from the user-interface thread meanwhile.
            for (int i = 0; i < 20; ++i) {
                sampler.setInterval(1000 + 500 * (i % 3));
                feeder.setAutoSwitch(i % 2 == 0, unsigned(i));
                feeder.manualSwitch();
                feeder.setLCDCurrentDisplayMode(i % 2 ? LcdPage40 : LcdPage10);
                fan.setTemperatureToFanSpeedData({ { 0, 0 }, { i, 2 * i }, { 100, 100 } });
                sim().setTemperature(0, 40 + i);
                std::uint8_t red[3] = { 255, 0, 0 };
                controller.sendLedCommand(red, 3, 0, 50, 2, false);
                QTest::qWait(2);
            }
            QTRY_VERIFY_WITH_TIMEOUT(cards.load() >= 10 && frames.load() >= 10, 20000);
            led.stopSampling();
            fan.stopSampling();
            QVERIFY(led.wait(5000));
            QVERIFY(fan.wait(5000));
        }
        QCOMPARE(sim().tuning(0).coolerPolicy, NvU32(FanPolicy::Manual));
        QVERIFY(sim().ledPacketCount(0) >= 21);
    }
};

QTEST_GUILESS_MAIN(TestWorkersTogether)
#include "tst_workers_together.moc"
