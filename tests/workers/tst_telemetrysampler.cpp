#include "gpucontroller.h"
#include "inprocessdriver.h"
#include "korvo_sendnvcardinfothread.h"
#include "workertestsupport.h"

#include <QElapsedTimer>
#include <QTest>

#include <memory>

/// Collects what a sampler sends, on the test's thread through queued connections.
class SampleSink : public QObject
{
    Q_OBJECT

public:
    explicit SampleSink(Korvo_SendNvCardInfoThread *sampler)
    {
        connect(sampler, &Korvo_SendNvCardInfoThread::sendNvCardInfo, this, &SampleSink::onCardInfo,
            Qt::QueuedConnection);
        connect(sampler, &Korvo_SendNvCardInfoThread::sendNVCardFixedInfo, this, &SampleSink::onFixedInfo,
            Qt::QueuedConnection);
        connect(sampler, &Korvo_SendNvCardInfoThread::sendBoardTempCompleteInfo, this, &SampleSink::onBoard,
            Qt::QueuedConnection);
        connect(
            sampler, &QThread::started, this, [this] { ++started; }, Qt::QueuedConnection);
    }

    QList<NvCardBaseInfo> cards;
    QList<NvInfo> fixed;
    QList<BoardTempCompleteInfo> boards;
    QList<qint64> cardTimes;
    QString order; ///< one letter per record: c(ard), f(ixed), b(oard)
    int started = 0;

private slots:
    void onCardInfo(NvCardBaseInfo info)
    {
        cards << info;
        cardTimes << m_clock.elapsed();
        order += 'c';
    }
    void onFixedInfo(NvInfo info)
    {
        fixed << info;
        order += 'f';
    }
    void onBoard(BoardTempCompleteInfo info)
    {
        boards << info;
        order += 'b';
    }

private:
    QElapsedTimer m_clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
};

class TestTelemetrySampler : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_driver = std::make_unique<InProcessDriver>();
        SimDriver::instance().freezeAll(true);
        m_controller = std::make_unique<GpuController>();
        QVERIFY(m_controller->isInitialized());
    }
    void cleanup()
    {
        m_controller.reset();
        m_driver.reset();
    }

    void sendsEveryRecordOncePerCycleInReadingOrder()
    {
        SimDriver::instance().setBoardSensor(0, 0, 41.0);
        SimDriver::instance().clearCounters();
        auto sampler = std::make_unique<Korvo_SendNvCardInfoThread>(m_controller.get());
        SampleSink sink(sampler.get());
        QCOMPARE(sampler->interval(), 1000);
        sampler->setInterval(10);
        QCOMPARE(sampler->interval(), 10);
        sampler->startSampling();
        QTRY_VERIFY_WITH_TIMEOUT(sink.cards.size() >= 5, 10000);
        sampler.reset();
        QTest::qWait(20);

        const int cycles = SimDriver::instance().callCount(NvApiId::GpuGetDynamicPstatesInfoEx);
        QCOMPARE(sink.cards.size(), cycles);
        QCOMPARE(sink.fixed.size(), cycles);
        QCOMPARE(sink.boards.size(), cycles);
        QCOMPARE(sink.order, QString("cfb").repeated(cycles));
        QCOMPARE(sink.fixed.last().name, QString("GeForce GTX 1070 Ti"));
        QCOMPARE(sink.boards.last().sensor1.current, 41);
        QCOMPARE(sink.boards.last().sensor1.rangeTop, 100);

        // The first cycle's readings come in their fixed order.
        std::vector<NvU32> ids;
        for (const SimCallRecord &call : SimDriver::instance().callLog())
            ids.push_back(call.id);
        auto first = [&ids](NvU32 id) { return std::find(ids.begin(), ids.end(), id) - ids.begin(); };
        const std::vector<NvU32> expected = { NvApiId::GpuGetMemoryInfo, NvApiId::GpuGetThermalSettings,
            NvApiId::GpuGetAllClockFrequencies, NvApiId::GpuGetTachReading, NvApiId::GpuGetCoolerSettings,
            NvApiId::GpuGetDynamicPstatesInfoEx, NvApiId::GpuGetFullName, NvApiId::I2cRead };
        for (std::size_t i = 1; i < expected.size(); ++i)
            QVERIFY2(first(expected[i - 1]) < first(expected[i]), qPrintable(QString::number(i)));
    }

    void keepsTheWideGpuClockRangeOnceSeen()
    {
        SimDriver::instance().setGpuClockMhz(0, 1500);
        auto sampler = std::make_unique<Korvo_SendNvCardInfoThread>(m_controller.get());
        SampleSink sink(sampler.get());
        sampler->setInterval(5);
        sampler->startSampling();
        QTRY_VERIFY_WITH_TIMEOUT(!sink.cards.isEmpty(), 10000);
        QCOMPARE(sink.cards.first().gpuClock.current, 1500);
        QCOMPARE(sink.cards.first().gpuClock.rangeTop, 2000);

        SimDriver::instance().setGpuClockMhz(0, 2100);
        QTRY_VERIFY_WITH_TIMEOUT(sink.cards.last().gpuClock.current == 2100, 10000);
        SimDriver::instance().setGpuClockMhz(0, 1500);
        const int seen = sink.cards.size();
        QTRY_VERIFY_WITH_TIMEOUT(sink.cards.size() >= seen + 5, 10000);
        sampler.reset();

        bool high = false;
        for (const NvCardBaseInfo &info : sink.cards) {
            high = high || info.gpuClock.current > 2000;
            QCOMPARE(info.gpuClock.rangeTop, high ? 3000 : 2000);
        }
        QCOMPARE(sink.cards.last().gpuClock.current, 1500);
        QCOMPARE(sink.cards.last().gpuClock.maximum, 2100);
    }

    void startsOnceWhenStartedTwice()
    {
        auto sampler = std::make_unique<Korvo_SendNvCardInfoThread>(m_controller.get());
        SampleSink sink(sampler.get());
        QVERIFY(sampler->isStopped());
        sampler->setInterval(5);
        sampler->startSampling();
        sampler->startSampling();
        QTRY_VERIFY_WITH_TIMEOUT(sink.cards.size() >= 3, 10000);
        sampler->startSampling();
        QVERIFY(!sampler->isStopped());
        QVERIFY(sampler->isRunning());
        QTest::qWait(20);
        QCOMPARE(sink.started, 1);
    }

    void waitsTheIntervalBetweenCycles()
    {
        auto sampler = std::make_unique<Korvo_SendNvCardInfoThread>(m_controller.get());
        SampleSink sink(sampler.get());
        sampler->setInterval(150);
        sampler->startSampling();
        QTRY_VERIFY_WITH_TIMEOUT(sink.cards.size() >= 4, 10000);
        sampler.reset();
        for (int i = 1; i < 4; ++i)
            QVERIFY(sink.cardTimes[i] - sink.cardTimes[i - 1] >= 140);
    }

    void destroyedWhileSleepingEndsWithinTheLimit()
    {
        auto sampler = std::make_unique<Korvo_SendNvCardInfoThread>(m_controller.get());
        SampleSink sink(sampler.get());
        sampler->setInterval(60000);
        sampler->startSampling();
        QTRY_VERIFY_WITH_TIMEOUT(sink.cards.size() == 1, 10000);
        QTest::qWait(50); // well inside the sleep

        QElapsedTimer timer;
        timer.start();
        sampler.reset();
        QVERIFY(timer.elapsed() < Korvo_WorkerThread::StopWaitMs);
        // Woken, it takes its one last full cycle and then ends on its own.
        QTRY_COMPARE(sink.boards.size(), 2);
        QCOMPARE(sink.cards.size(), 2);
        QCOMPARE(sink.fixed.size(), 2);
    }

    void endsAtOnceWithoutController()
    {
        Korvo_SendNvCardInfoThread sampler(nullptr);
        SampleSink sink(&sampler);
        sampler.startSampling();
        QVERIFY(sampler.wait(5000));
        QVERIFY(sampler.isStopped());
        QTest::qWait(10);
        QVERIFY(sink.cards.isEmpty());
    }

    void machineWithoutCardSendsZeros()
    {
        m_controller.reset();
        SimDriver::instance().clearCards();
        m_controller = std::make_unique<GpuController>();
        auto sampler = std::make_unique<Korvo_SendNvCardInfoThread>(m_controller.get());
        SampleSink sink(sampler.get());
        sampler->setInterval(5);
        sampler->startSampling();
        QTRY_VERIFY_WITH_TIMEOUT(sink.boards.size() >= 2, 10000);
        sampler.reset();
        const NvCardBaseInfo &info = sink.cards.last();
        QCOMPARE(info.gpuClock.maximum, 0);
        QCOMPARE(info.gpuClock.minimum, 0);
        QCOMPARE(info.memoryUsage.current, 0);
        QCOMPARE(sink.fixed.last().name, QString());
        QCOMPARE(sink.boards.last().sensor4.maximum, 0);
    }

private:
    std::unique_ptr<InProcessDriver> m_driver;
    std::unique_ptr<GpuController> m_controller;
};

QTEST_GUILESS_MAIN(TestTelemetrySampler)
#include "tst_telemetrysampler.moc"
