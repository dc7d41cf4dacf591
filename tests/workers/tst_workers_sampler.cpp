#include "gpucontroller.h"
#include "korvo_sendnvcardinfothread.h"
#include "simulatedcard.h"
#include "workertestsupport.h"

#include <QElapsedTimer>
#include <QTest>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

/// Collects what a sampler sends. Direct connections by default, so that the
/// records are taken on the sampler's thread under a lock of its own; the
/// queued transport has its own test. Standard containers, so that a copy
/// handed to the test shares nothing with what the sampler keeps appending to.
std::string repeated(const std::string &part, int times)
{
    std::string whole;
    for (int i = 0; i < times; ++i)
        whole += part;
    return whole;
}

class SampleSink : public QObject
{
public:
    struct Seen
    {
        std::vector<NvCardBaseInfo> cards;
        std::vector<NvInfo> fixed;
        std::vector<BoardTempCompleteInfo> boards;
        std::vector<qint64> cardTimes;
        std::string order; ///< one letter per record: c(ard), f(ixed), b(oard)
        int started = 0;
    };

    SampleSink() { m_clock.start(); }

    void attach(Korvo_SendNvCardInfoThread *sampler, Qt::ConnectionType type = Qt::DirectConnection)
    {
        connect(
            sampler, &Korvo_SendNvCardInfoThread::sendNvCardInfo, this,
            [this](NvCardBaseInfo info) {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_seen.cards.push_back(info);
                m_seen.cardTimes.push_back(m_clock.elapsed());
                m_seen.order += 'c';
            },
            type);
        connect(
            sampler, &Korvo_SendNvCardInfoThread::sendNVCardFixedInfo, this,
            [this](NvInfo info) {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_seen.fixed.push_back(info);
                m_seen.order += 'f';
            },
            type);
        connect(
            sampler, &Korvo_SendNvCardInfoThread::sendBoardTempCompleteInfo, this,
            [this](BoardTempCompleteInfo info) {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_seen.boards.push_back(info);
                m_seen.order += 'b';
            },
            type);
        connect(
            sampler, &QThread::started, this,
            [this] {
                std::lock_guard<std::mutex> lock(m_mutex);
                ++m_seen.started;
            },
            type);
    }

    Seen seen() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_seen;
    }
    int cardCount() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return int(m_seen.cards.size());
    }
    int boardCount() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return int(m_seen.boards.size());
    }

private:
    mutable std::mutex m_mutex;
    Seen m_seen;
    QElapsedTimer m_clock;
};

class TestTelemetrySampler : public QObject
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

    void sendsEveryRecordOncePerCycleInReadingOrder()
    {
        sim().setBoardSensor(0, 0, 41.0);
        sim().clearCounters();
        SampleSink sink;
        auto sampler = std::make_unique<Korvo_SendNvCardInfoThread>(m_controller.get());
        sink.attach(sampler.get());
        QCOMPARE(sampler->interval(), 1000);
        sampler->setInterval(10);
        QCOMPARE(sampler->interval(), 10);
        sampler->startSampling();
        QTRY_VERIFY_WITH_TIMEOUT(sink.cardCount() >= 5, 10000);
        sampler.reset();

        const SampleSink::Seen seen = sink.seen();
        const int cycles = sim().callCount(NvApiId::GpuGetDynamicPstatesInfoEx);
        QCOMPARE(int(seen.cards.size()), cycles);
        QCOMPARE(int(seen.fixed.size()), cycles);
        QCOMPARE(int(seen.boards.size()), cycles);
        QCOMPARE(seen.order, repeated("cfb", cycles));
        QCOMPARE(seen.fixed.back().name, QString("GeForce GTX 1070 Ti"));
        QCOMPARE(seen.boards.back().sensor1.current, 41);
        QCOMPARE(seen.boards.back().sensor1.rangeTop, 100);

        // The first cycle's readings come in their fixed order.
        std::vector<NvU32> ids;
        for (const SimCallRecord &call : sim().callLog())
            ids.push_back(call.id);
        auto first = [&ids](NvU32 id) { return std::find(ids.begin(), ids.end(), id) - ids.begin(); };
        const std::vector<NvU32> expected = { NvApiId::GpuGetMemoryInfo, NvApiId::GpuGetThermalSettings,
            NvApiId::GpuGetAllClockFrequencies, NvApiId::GpuGetTachReading, NvApiId::GpuGetCoolerSettings,
            NvApiId::GpuGetDynamicPstatesInfoEx, NvApiId::GpuGetFullName, NvApiId::I2cRead };
        for (std::size_t i = 1; i < expected.size(); ++i)
            QVERIFY2(first(expected[i - 1]) < first(expected[i]), qPrintable(QString::number(i)));
    }

    void deliversTheRecordsThroughQueuedConnections()
    {
        SampleSink sink;
        auto sampler = std::make_unique<Korvo_SendNvCardInfoThread>(m_controller.get());
        sink.attach(sampler.get(), Qt::QueuedConnection);
        sampler->setInterval(5);
        sampler->startSampling();
        // No events are handled meanwhile: everything arrives once the sampler is gone.
        QVERIFY(waitForCallsQuietly(NvApiId::GpuGetDynamicPstatesInfoEx, 3));
        sampler.reset();
        const int cycles = sim().callCount(NvApiId::GpuGetDynamicPstatesInfoEx);
        QCOMPARE(sink.cardCount(), 0);
        QTRY_COMPARE(sink.boardCount(), cycles);
        const SampleSink::Seen seen = sink.seen();
        QCOMPARE(seen.order, repeated("cfb", cycles));
        QCOMPARE(seen.started, 1);
        QCOMPARE(seen.fixed.front().driverVersion, QString("411.09"));
        QCOMPARE(seen.cards.front().temperature.rangeTop, 104);
    }

    void keepsTheWideGpuClockRangeOnceSeen()
    {
        sim().setGpuClockMhz(0, 1500);
        SampleSink sink;
        auto sampler = std::make_unique<Korvo_SendNvCardInfoThread>(m_controller.get());
        sink.attach(sampler.get());
        sampler->setInterval(5);
        sampler->startSampling();
        QTRY_VERIFY_WITH_TIMEOUT(sink.cardCount() >= 1, 10000);

        sim().setGpuClockMhz(0, 2100);
        QTRY_VERIFY_WITH_TIMEOUT(sink.seen().cards.back().gpuClock.current == 2100, 10000);
        sim().setGpuClockMhz(0, 1500);
        const int before = sink.cardCount();
        QTRY_VERIFY_WITH_TIMEOUT(sink.cardCount() >= before + 5, 10000);
        sampler.reset();

        const std::vector<NvCardBaseInfo> cards = sink.seen().cards;
        QCOMPARE(cards.front().gpuClock.current, 1500);
        QCOMPARE(cards.front().gpuClock.rangeTop, 2000);
        bool high = false;
        for (const NvCardBaseInfo &info : cards) {
            high = high || info.gpuClock.current > 2000;
            QCOMPARE(info.gpuClock.rangeTop, high ? 3000 : 2000);
        }
        QCOMPARE(cards.back().gpuClock.current, 1500);
        QCOMPARE(cards.back().gpuClock.rangeTop, 3000);
        QCOMPARE(cards.back().gpuClock.maximum, 2100);
    }

    void startsOnceWhenStartedTwice()
    {
        SampleSink sink;
        auto sampler = std::make_unique<Korvo_SendNvCardInfoThread>(m_controller.get());
        sink.attach(sampler.get());
        QVERIFY(sampler->isStopped());
        sampler->setInterval(5);
        sampler->startSampling();
        sampler->startSampling();
        QTRY_VERIFY_WITH_TIMEOUT(sink.cardCount() >= 3, 10000);
        sampler->startSampling();
        QVERIFY(!sampler->isStopped());
        QVERIFY(sampler->isRunning());
        sampler.reset();
        QCOMPARE(sink.seen().started, 1);
    }

    void waitsTheIntervalBetweenCycles()
    {
        SampleSink sink;
        auto sampler = std::make_unique<Korvo_SendNvCardInfoThread>(m_controller.get());
        sink.attach(sampler.get());
        sampler->setInterval(150);
        sampler->startSampling();
        QTRY_VERIFY_WITH_TIMEOUT(sink.cardCount() >= 4, 10000);
        sampler.reset();
        const std::vector<qint64> times = sink.seen().cardTimes;
        for (int i = 1; i < 4; ++i)
            QVERIFY(times[i] - times[i - 1] >= 140);
    }

    void destroyedWhileSleepingEndsWithinTheLimit()
    {
        SampleSink sink;
        auto sampler = std::make_unique<Korvo_SendNvCardInfoThread>(m_controller.get());
        sink.attach(sampler.get());
        sampler->setInterval(60000);
        sampler->startSampling();
        QTRY_VERIFY_WITH_TIMEOUT(sink.boardCount() == 1, 10000);
        QTest::qWait(50); // well inside the sleep

        QElapsedTimer timer;
        timer.start();
        sampler.reset();
        QVERIFY(timer.elapsed() < Korvo_WorkerThread::StopWaitMs);
        // Woken, it takes its one last full cycle and then ends on its own.
        const SampleSink::Seen seen = sink.seen();
        QCOMPARE(int(seen.cards.size()), 2);
        QCOMPARE(int(seen.fixed.size()), 2);
        QCOMPARE(int(seen.boards.size()), 2);
    }

    void endsAtOnceWithoutController()
    {
        SampleSink sink;
        Korvo_SendNvCardInfoThread sampler(nullptr);
        sink.attach(&sampler);
        sampler.startSampling();
        QVERIFY(sampler.wait(5000));
        QVERIFY(sampler.isStopped());
        QCOMPARE(sink.cardCount(), 0);
    }

    void machineWithoutCardSendsZeros()
    {
        m_controller.reset();
        sim().clearCards();
        m_controller = std::make_unique<GpuController>();
        SampleSink sink;
        auto sampler = std::make_unique<Korvo_SendNvCardInfoThread>(m_controller.get());
        sink.attach(sampler.get());
        sampler->setInterval(5);
        sampler->startSampling();
        QTRY_VERIFY_WITH_TIMEOUT(sink.boardCount() >= 2, 10000);
        sampler.reset();
        const SampleSink::Seen seen = sink.seen();
        QCOMPARE(seen.cards.back().gpuClock.maximum, 0);
        QCOMPARE(seen.cards.back().gpuClock.minimum, 0);
        QCOMPARE(seen.cards.back().memoryUsage.current, 0);
        QCOMPARE(seen.fixed.back().name, QString());
        QCOMPARE(seen.boards.back().sensor4.maximum, 0);
    }

private:
    std::unique_ptr<SimulatedCard> m_card;
    std::unique_ptr<GpuController> m_controller;
};

QTEST_GUILESS_MAIN(TestTelemetrySampler)
#include "tst_workers_sampler.moc"
