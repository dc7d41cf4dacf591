#include "cardreport.h"
#include "gpucontroller.h"
#include "korvo_sendnvcardinfothread.h"
#include "simulatedcard.h"

#include <QtTest>

#include <mutex>
#include <tuple>
#include <vector>

namespace {
/// What the driver saw of one call, without its running number.
using Call = std::tuple<NvU32, NvU32, int, NvStatus>;

std::vector<Call> callsSinceCleared()
{
    std::vector<Call> calls;
    for (const SimCallRecord &r : sim().callLog())
        calls.emplace_back(r.id, r.version, r.card, r.status);
    return calls;
}

QString describe(const std::vector<Call> &calls)
{
    QStringList parts;
    for (const Call &c : calls)
        parts << QString::asprintf("%08X/%X", std::get<0>(c), std::get<1>(c));
    return parts.join(QLatin1Char(' '));
}
} // namespace

/// The telemetry sampler and lumetra-info sample a card with one and the same
/// cycle: the driver sees the same calls in the same order from both.
class TestSamplingCycle : public QObject
{
    Q_OBJECT

private slots:
    void samplerCycleAndLumetraInfoSampleMakeTheSameCalls()
    {
        SimulatedCard card(SimulatedCard::Dynamics::Frozen);

        CardReport report(false);
        QCOMPARE(report.cardCount(), 1);
        sim().clearCounters();
        report.sample();
        const std::vector<Call> fromInfo = callsSinceCleared();
        QVERIFY(fromInfo.size() > 20);

        GpuController gpu;
        std::mutex mutex;
        std::vector<Call> fromSampler;
        bool cycleDone = false;
        sim().clearCounters();
        auto sampler = std::make_unique<Korvo_SendNvCardInfoThread>(&gpu);
        // The board record ends a cycle: what the driver has seen by then is that cycle.
        connect(
            sampler.get(), &Korvo_SendNvCardInfoThread::sendBoardTempCompleteInfo, this,
            [&] {
                std::lock_guard<std::mutex> lock(mutex);
                if (cycleDone)
                    return;
                fromSampler = callsSinceCleared();
                cycleDone = true;
            },
            Qt::DirectConnection);
        sampler->setInterval(10);
        sampler->startSampling();
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                std::lock_guard<std::mutex> lock(mutex);
                return cycleDone;
            }(),
            10000);
        sampler.reset();

        QVERIFY2(fromSampler == fromInfo,
            qPrintable(
                QStringLiteral("sampler: %1\ninfo:    %2").arg(describe(fromSampler), describe(fromInfo))));
    }
};

QTEST_GUILESS_MAIN(TestSamplingCycle)
#include "tst_samplingcycle.moc"
