#include "cardprotocol.h"
#include "gpucontroller.h"
#include "korvo_sendcolortoled.h"
#include "ledtestsupport.h"
#include "simulatedcard.h"
#include "workertestsupport.h"

#include <QElapsedTimer>
#include <QTest>

#include <memory>

namespace {
/// The packet the sender writes for a colour: command 1, A 50, then B.
std::vector<NvU8> breathPacket(NvU8 r, NvU8 g, NvU8 b, NvU8 parameterB)
{
    std::vector<NvU8> packet = { 0x08, 1, 50, parameterB, r, g, b };
    packet.push_back(ledChecksum(packet));
    return packet;
}

/// Lets the sender read the new temperature and act on it.
bool settle()
{
    return waitForMoreCalls(NvApiId::GpuGetThermalSettings, 3);
}
} // namespace

class TestLedSender : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_card = std::make_unique<SimulatedCard>(SimulatedCard::Dynamics::Frozen); }
    void cleanup()
    {
        m_controller.reset();
        m_card.reset();
    }

    void mapsTemperaturesToColours_data()
    {
        QTest::addColumn<int>("celsius");
        QTest::addColumn<QColor>("color");
        QTest::addColumn<int>("parameterB");
        QTest::newRow("0") << 0 << QColor(0, 255, 0) << 4;
        QTest::newRow("49") << 49 << QColor(0, 255, 0) << 4;
        QTest::newRow("50") << 50 << QColor(255, 255, 0) << 4;
        QTest::newRow("63") << 63 << QColor(255, 255, 0) << 4;
        QTest::newRow("64") << 64 << QColor(255, 0, 0) << 4;
        QTest::newRow("67") << 67 << QColor(255, 0, 0) << 4;
        QTest::newRow("68") << 68 << QColor(255, 0, 0) << 2;
        QTest::newRow("95") << 95 << QColor(255, 0, 0) << 2;
    }
    void mapsTemperaturesToColours()
    {
        QFETCH(int, celsius);
        QFETCH(QColor, color);
        QFETCH(int, parameterB);
        const auto picked = Korvo_SendColorToLed::colorForTemperature(celsius);
        QCOMPARE(picked.color, color);
        QCOMPARE(int(picked.parameterB), parameterB);
    }

    void sendsOnlyWhenTheColourChanges()
    {
        TimeScaleGuard fast(0.002);
        SimDriver &sim = SimDriver::instance();
        sim.setTemperature(0, 45);
        makeController();
        auto sender = std::make_unique<Korvo_SendColorToLed>(m_controller.get());
        QVERIFY(!sender->lastColor().isValid());
        sender->startSampling();
        QVERIFY(settle());
        QCOMPARE(sim.ledPacketCount(0), 1);
        QCOMPARE(sim.lastLedPacket(0), breathPacket(0, 255, 0, 4));
        QCOMPARE(sender->lastColor(), QColor(0, 255, 0));

        sim.setTemperature(0, 49);
        QVERIFY(settle());
        QCOMPARE(sim.ledPacketCount(0), 1);

        sim.setTemperature(0, 50);
        QVERIFY(settle());
        QCOMPARE(sim.ledPacketCount(0), 2);
        QCOMPARE(sim.lastLedPacket(0), breathPacket(255, 255, 0, 4));

        sim.setTemperature(0, 66);
        QVERIFY(settle());
        QCOMPARE(sim.ledPacketCount(0), 3);
        QCOMPARE(sim.lastLedPacket(0), breathPacket(255, 0, 0, 4));

        // Still red: the faster breathing alone is not sent.
        sim.setTemperature(0, 70);
        QVERIFY(settle());
        QCOMPARE(sim.ledPacketCount(0), 3);
        QCOMPARE(int(sim.ledState(0).paramB), 4);
        QVERIFY(!sim.ledState(0).stored);

        sender->stopSampling();
        QVERIFY(sender->wait(5000));
        QVERIFY(sender->isStopped());
        QCOMPARE(int(i2cWritesTo(CardProtocol::LedWriteAddress).size()), 3);
    }

    void hotCardBreathesFaster()
    {
        TimeScaleGuard fast(0.002);
        sim().setTemperature(0, 70);
        makeController();
        Korvo_SendColorToLed sender(m_controller.get());
        sender.startSampling();
        QVERIFY(settle());
        sender.stopSampling();
        QVERIFY(sender.wait(5000));
        QCOMPARE(sim().ledPacketCount(0), 1);
        QCOMPARE(sim().lastLedPacket(0), breathPacket(255, 0, 0, 2));
    }

    void restartSendsTheColourAgain()
    {
        TimeScaleGuard fast(0.002);
        sim().setTemperature(0, 55);
        makeController();
        Korvo_SendColorToLed sender(m_controller.get());
        sender.startSampling();
        QVERIFY(settle());
        sender.stopSampling();
        QVERIFY(sender.wait(5000));
        QCOMPARE(sim().ledPacketCount(0), 1);

        sender.startSampling();
        QVERIFY(settle());
        QCOMPARE(sim().ledPacketCount(0), 2);
        QCOMPARE(sim().lastLedPacket(0), breathPacket(255, 255, 0, 4));
    }

    void missingCardStopsAtTheFirstCommand()
    {
        TimeScaleGuard fast(0.002);
        sim().clearCards();
        makeController();
        Korvo_SendColorToLed sender(m_controller.get());
        sender.startSampling();
        QVERIFY(sender.wait(5000));
        QVERIFY(sender.isStopped());
        // A failed reading counts as 0 degrees, so it tried green.
        QCOMPARE(sender.lastColor(), QColor(0, 255, 0));

        // Stopped, so the next start runs it again.
        sender.startSampling();
        QVERIFY(sender.wait(5000));
        QVERIFY(sender.isStopped());
    }

    void refusedCommandStopsTheThread()
    {
        TimeScaleGuard fast(0.002);
        sim().setTemperature(0, 45);
        sim().editCard(0, [](SimCardConfig &c) { c.hasLed = false; });
        makeController();
        Korvo_SendColorToLed sender(m_controller.get());
        sender.startSampling();
        QVERIFY(sender.wait(5000));
        QVERIFY(sender.isStopped());
        QCOMPARE(sim().callCount(NvApiId::GpuGetThermalSettings), 1);
    }

    void stopEndsASleepingSender()
    {
        sim().setTemperature(0, 45);
        makeController();
        Korvo_SendColorToLed sender(m_controller.get());
        sender.startSampling();
        QVERIFY(waitForCalls(NvApiId::GpuGetThermalSettings, 1));
        QTest::qWait(50);
        QElapsedTimer timer;
        timer.start();
        sender.stopSampling();
        QVERIFY(sender.wait(5000));
        QVERIFY(timer.elapsed() < Korvo_SendColorToLed::IntervalMs);
        // The colour has not changed, so the last cycle sent nothing.
        QCOMPARE(sim().ledPacketCount(0), 1);
    }

private:
    void makeController() { m_controller = std::make_unique<GpuController>(); }

    std::unique_ptr<SimulatedCard> m_card;
    std::unique_ptr<GpuController> m_controller;
};

QTEST_GUILESS_MAIN(TestLedSender)
#include "tst_workers_ledsender.moc"
