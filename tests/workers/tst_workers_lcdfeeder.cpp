#include "cardprotocol.h"
#include "gpucontroller.h"
#include "korvo_sendnvinfotolcdthread.h"
#include "lcdtestsupport.h"
#include "simulatedcard.h"
#include "workertestsupport.h"

#include <QTest>

#include <memory>
#include <mutex>

/// The frame results, taken on the feeder's thread under a lock of its own.
class ResultSink : public QObject
{
public:
    void attach(Korvo_SendNvInfoToLCDThread *feeder)
    {
        connect(
            feeder, &Korvo_SendNvInfoToLCDThread::sendDataToLCDResult, this,
            [this](bool ok) {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_results.push_back(ok);
            },
            Qt::DirectConnection);
    }
    std::vector<bool> results() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_results;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<bool> m_results; ///< not shared, so a copy never races the next append
};

namespace {
bool contains(const std::vector<bool> &values, bool value)
{
    return std::find(values.begin(), values.end(), value) != values.end();
}

} // namespace

class TestLcdFeeder : public QObject
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

    void startsWithItsDefaults()
    {
        Korvo_SendNvInfoToLCDThread feeder(m_controller.get());
        QVERIFY(feeder.isStopped());
        QVERIFY(feeder.isAutoSwitch());
        QVERIFY(feeder.isLCDEnabled());
        QCOMPARE(feeder.autoSwitchPeriodMs(), 10000);
        QCOMPARE(feeder.elapsedMs(), 0);
        QCOMPARE(int(feeder.currentDisplayMode()), 0x80);
    }

    void showsEachPageForElevenFrames()
    {
        TimeScaleGuard fast(0.002);
        ResultSink sink;
        auto feeder = std::make_unique<Korvo_SendNvInfoToLCDThread>(m_controller.get());
        sink.attach(feeder.get());
        feeder->startSampling();
        QVERIFY(waitForCalls(NvApiId::I2cWrite, 50));
        feeder.reset();

        const auto runs = runsOf(sentModes());
        QVERIFY(runs.size() >= 5);
        // The first page has had no switch yet: the eleventh frame already shows the next one.
        QCOMPARE(runs[0], std::make_pair(NvU8(0x80), 10));
        QCOMPARE(runs[1], std::make_pair(NvU8(0x40), 11));
        QCOMPARE(runs[2], std::make_pair(NvU8(0x20), 11));
        QCOMPARE(runs[3], std::make_pair(NvU8(0x10), 11));
        QCOMPARE(runs[4].first, NvU8(0x80));
        QCOMPARE(int(sink.results().size()), int(sentModes().size()));
        QVERIFY(!contains(sink.results(), false));
    }

    void clampsTheSwitchPeriod_data()
    {
        QTest::addColumn<bool>("automatic");
        QTest::addColumn<unsigned>("seconds");
        QTest::addColumn<int>("periodMs");
        QTest::newRow("0 counts as 1") << true << 0u << 1000;
        QTest::newRow("1") << true << 1u << 1000;
        QTest::newRow("7") << true << 7u << 7000;
        QTest::newRow("30") << true << 30u << 30000;
        QTest::newRow("45 counts as 30") << true << 45u << 30000;
        QTest::newRow("manual keeps the period") << false << 3u << 10000;
    }
    void clampsTheSwitchPeriod()
    {
        QFETCH(bool, automatic);
        QFETCH(unsigned, seconds);
        QFETCH(int, periodMs);
        Korvo_SendNvInfoToLCDThread feeder(m_controller.get());
        feeder.setAutoSwitch(automatic, seconds);
        QCOMPARE(feeder.isAutoSwitch(), automatic);
        QCOMPARE(feeder.autoSwitchPeriodMs(), periodMs);
    }

    void shortestPeriodSwitchesEverySecondFrame()
    {
        TimeScaleGuard fast(0.002);
        auto feeder = std::make_unique<Korvo_SendNvInfoToLCDThread>(m_controller.get());
        feeder->setAutoSwitch(true, 0);
        feeder->startSampling();
        QVERIFY(waitForCalls(NvApiId::I2cWrite, 12));
        feeder.reset();
        const auto runs = runsOf(sentModes());
        QCOMPARE(runs[0], std::make_pair(NvU8(0x80), 1));
        QCOMPARE(runs[1], std::make_pair(NvU8(0x40), 2));
        QCOMPARE(runs[2], std::make_pair(NvU8(0x20), 2));
        QCOMPARE(runs[3], std::make_pair(NvU8(0x10), 2));
    }

    void switchesByHandOnlyWithoutAutomaticSwitching()
    {
        Korvo_SendNvInfoToLCDThread feeder(m_controller.get());
        feeder.manualSwitch();
        QCOMPARE(int(feeder.currentDisplayMode()), 0x80);

        feeder.setAutoSwitch(false, 10);
        const QList<int> expected = { 0x40, 0x20, 0x10, 0x80 };
        for (int mode : expected) {
            feeder.manualSwitch();
            QCOMPARE(int(feeder.currentDisplayMode()), mode);
        }
        QCOMPARE(sim().lcdFrameCount(0), 0);
    }

    void setsAModeWithOneFrameAtOnce()
    {
        TimeScaleGuard fast(0.002);
        ResultSink sink;
        auto feeder = std::make_unique<Korvo_SendNvInfoToLCDThread>(m_controller.get());
        sink.attach(feeder.get());
        feeder->setAutoSwitch(false, 10);

        feeder->setLCDCurrentDisplayMode(static_cast<LCDDisplayMode>(0x30));
        QCOMPARE(sim().lcdFrameCount(0), 1);
        QCOMPARE(int(sim().lastLcdFrame(0).at(3)), 0x30);
        QCOMPARE(feeder->elapsedMs(), 0);
        feeder->manualSwitch();
        QCOMPARE(int(feeder->currentDisplayMode()), 0x10);

        // Without automatic switching the loop repeats the page it is given.
        feeder->setLCDCurrentDisplayMode(LcdPage20);
        feeder->startSampling();
        QVERIFY(waitForCalls(NvApiId::I2cWrite, 6));
        feeder.reset();
        const std::vector<NvU8> modes = sentModes();
        QCOMPARE(modes[0], NvU8(0x30));
        for (std::size_t i = 1; i < modes.size(); ++i)
            QCOMPARE(modes[i], NvU8(0x20));
        // Only the loop's own frames are reported.
        QCOMPARE(int(sink.results().size()), int(modes.size()) - 2);
    }

    void disablingSendsOneOffFrameAndStops()
    {
        TimeScaleGuard fast(0.002);
        ResultSink sink;
        Korvo_SendNvInfoToLCDThread feeder(m_controller.get());
        sink.attach(&feeder);
        feeder.startSampling();
        QVERIFY(waitForCalls(NvApiId::I2cWrite, 3));
        feeder.setEnableLCD(false);
        QVERIFY(feeder.wait(5000));
        QVERIFY(feeder.isStopped());
        QTest::qWait(20);

        std::vector<NvU8> modes = sentModes();
        QCOMPARE(modes.back(), CardProtocol::LcdOff);
        QCOMPARE(int(std::count(modes.begin(), modes.end(), CardProtocol::LcdOff)), 1);
        QCOMPARE(int(sink.results().size()), int(modes.size()));

        // Back on takes both calls.
        feeder.setEnableLCD(true);
        QTest::qWait(20);
        QCOMPARE(sentModes().size(), modes.size());
        feeder.startSampling();
        QVERIFY(waitForCalls(NvApiId::I2cWrite, int(modes.size()) + 3));
        QCOMPARE(sentModes().back(), NvU8(0x80));
    }

    void reportsRefusedFramesAndCarriesOn()
    {
        TimeScaleGuard fast(0.002);
        sim().editCard(0, [](SimCardConfig &c) { c.hasLcd = false; });
        ResultSink sink;
        auto feeder = std::make_unique<Korvo_SendNvInfoToLCDThread>(m_controller.get());
        sink.attach(feeder.get());
        feeder->startSampling();
        QTRY_VERIFY_WITH_TIMEOUT(sink.results().size() >= 3, 10000);
        QVERIFY(feeder->isRunning());
        feeder.reset();
        QVERIFY(!contains(sink.results(), true));
    }

private:
    std::unique_ptr<SimulatedCard> m_card;
    std::unique_ptr<GpuController> m_controller;
};

QTEST_GUILESS_MAIN(TestLcdFeeder)
#include "tst_workers_lcdfeeder.moc"
