#include "gpucontroller.h"
#include "korvo_ledcontrolwidget.h"
#include "korvo_sendcolortoled.h"
#include "ledtestsupport.h"
#include "nvapiids.h"
#include "simulatedcard.h"
#include "workersleep.h"

#include <QRadioButton>
#include <QtTest>

#include <memory>

using Page = Korvo_LEDControlWidget;

// "State-Display" end to end: the page starts the card's LED sender, and the simulated card's temperature
// decides the colour that reaches the lighting controller.
class TestLedTemperature : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<SimulatedCard> m_card;
    std::unique_ptr<GpuController> m_controller;
    std::unique_ptr<Korvo_SendColorToLed> m_sender;

    // A few sender cycles, each one temperature reading.
    static bool someCycles()
    {
        const int seen = sim().callCount(NvApiId::GpuGetThermalSettings);
        QElapsedTimer timer;
        timer.start();
        while (sim().callCount(NvApiId::GpuGetThermalSettings) < seen + 3) {
            if (timer.elapsed() > 5000)
                return false;
            QTest::qWait(2);
        }
        return true;
    }

private slots:
    void init()
    {
        // The sender's one-second cycle in 20 ms.
        WorkerSleep::setTimeScale(0.02);
        m_card = std::make_unique<SimulatedCard>(SimulatedCard::Dynamics::Frozen);
        m_controller = std::make_unique<GpuController>();
        m_sender = std::make_unique<Korvo_SendColorToLed>(m_controller.get());
    }
    void cleanup()
    {
        m_sender.reset();
        m_controller.reset();
        m_card.reset();
        WorkerSleep::setTimeScale(1.0);
    }

    void temperatureAcross50And63ChangesTheColourSent()
    {
        sim().setTemperature(0, 45);
        Page page(m_controller.get(), m_sender.get());
        sim().clearI2cLog();
        page.radio(Page::MultipleBreath)->setChecked(true);
        sim().clearI2cLog();
        page.radio(Page::StateDisplay)->setChecked(true);
        QVERIFY(waitForLedWrites(1));
        QCOMPARE(hex(lastLedWrite()), hex(ledPacket(1, 50, 4, { 0, 255, 0 })));
        QVERIFY(someCycles());
        QCOMPARE(ledWrites().size(), std::size_t(1)); // steady below 50: nothing more

        sim().setTemperature(0, 50);
        QVERIFY(waitForLedWrites(2));
        QCOMPARE(hex(lastLedWrite()), hex(ledPacket(1, 50, 4, { 255, 255, 0 })));

        sim().setTemperature(0, 63);
        QVERIFY(someCycles());
        QCOMPARE(ledWrites().size(), std::size_t(2)); // still yellow

        sim().setTemperature(0, 64);
        QVERIFY(waitForLedWrites(3));
        QCOMPARE(hex(lastLedWrite()), hex(ledPacket(1, 50, 4, { 255, 0, 0 })));

        sim().setTemperature(0, 70);
        QVERIFY(someCycles());
        QCOMPARE(ledWrites().size(), std::size_t(3)); // red stays red

        sim().setTemperature(0, 49);
        QVERIFY(waitForLedWrites(4));
        QCOMPARE(hex(lastLedWrite()), hex(ledPacket(1, 50, 4, { 0, 255, 0 })));

        // Leaving the mode stops the temperature colours: the page's own command is the last.
        page.radio(Page::LedOff)->setChecked(true);
        QCOMPARE(hex(lastLedWrite()), hex(ledPacket(0, 0, 10, {})));
        const std::size_t afterOff = ledWrites().size();
        sim().setTemperature(0, 55);
        QTest::qWait(100);
        QCOMPARE(ledWrites().size(), afterOff);
    }

    void stateDisplayAfterARestartFollowsTheTemperature()
    {
        sim().setTemperature(0, 58);
        LedRecord stored;
        stored.LedMode = Page::StateDisplay;
        Page page(m_controller.get(), m_sender.get(), stored);
        QVERIFY(waitForLedWrites(1));
        QCOMPARE(hex(lastLedWrite()), hex(ledPacket(1, 50, 4, { 255, 255, 0 })));
        sim().setTemperature(0, 40);
        QVERIFY(waitForLedWrites(2));
        QCOMPARE(hex(lastLedWrite()), hex(ledPacket(1, 50, 4, { 0, 255, 0 })));
    }
};

QTEST_MAIN(TestLedTemperature)
#include "tst_ledtemperature.moc"
