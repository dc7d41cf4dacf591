#include "cardsampler.h"
#include "gpucontroller.h"
#include "nvapiids.h"
#include "simulatedcard.h"

#include <QtTest>

#include <string>

class TestCardSampler : public QObject
{
    Q_OBJECT

private slots:
    void oneCycleGivesTheThreeRecords()
    {
        SimulatedCard card(SimulatedCard::Dynamics::Frozen);
        sim().setGpuClockMhz(0, 2100);
        sim().setBoardSensor(0, 2, 47.0);
        GpuController gpu;
        CardSampler sampler(&gpu);
        const CardSample sample = sampler.sample();
        QCOMPARE(sample.live.gpuClock.current, 2100);
        QCOMPARE(sample.live.gpuClock.maximum, 2100);
        QCOMPARE(sample.live.gpuClock.rangeTop, 3000);
        QVERIFY(sampler.assembler().highGpuClockSeen());
        QCOMPARE(sample.fixed.name, QString("GeForce GTX 1070 Ti"));
        QCOMPARE(sample.board.sensor3.current, 47);
        QCOMPARE(sample.board.sensor3.minimum, 47);

        // The range flags stay for the sampler's life.
        sim().setGpuClockMhz(0, 1500);
        QCOMPARE(sampler.sample().live.gpuClock.rangeTop, 3000);
        CardSampler fresh(&gpu);
        QCOMPARE(fresh.sample().live.gpuClock.rangeTop, 2000);
    }

    void eachRecordIsHandedOnBeforeTheNextReadings()
    {
        SimulatedCard card(SimulatedCard::Dynamics::Frozen);
        GpuController gpu;
        CardSampler sampler(&gpu);
        sim().clearCounters();
        std::string order;
        CardSampler::Handlers handlers;
        handlers.live = [&](const NvCardBaseInfo &) {
            order += 'c';
            QCOMPARE(sim().callCount(NvApiId::GpuGetDynamicPstatesInfoEx), 1);
            QCOMPARE(sim().callCount(NvApiId::GpuGetFullName), 0);
        };
        handlers.fixed = [&](const NvInfo &) {
            order += 'f';
            QCOMPARE(sim().callCount(NvApiId::GpuGetVbiosVersionString), 1);
            QCOMPARE(sim().callCount(NvApiId::I2cRead), 0);
        };
        handlers.board = [&](const BoardTempCompleteInfo &) {
            order += 'b';
            QCOMPARE(sim().callCount(NvApiId::I2cRead), 4);
        };
        sampler.sample(handlers);
        QCOMPARE(order, std::string("cfb"));
    }

    void withoutAControllerNothingIsRead()
    {
        SimulatedCard card;
        CardSampler sampler(nullptr);
        sim().clearCounters();
        bool called = false;
        CardSampler::Handlers handlers;
        handlers.live = [&](const NvCardBaseInfo &) { called = true; };
        const CardSample sample = sampler.sample(handlers);
        QVERIFY(!called);
        QVERIFY(sim().callLog().empty());
        QCOMPARE(sample.live.gpuClock.rangeTop, 0);
        QVERIFY(sample.fixed.name.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCardSampler)
#include "tst_cardsampler.moc"
