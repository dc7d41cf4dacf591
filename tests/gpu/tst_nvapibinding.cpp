#include "nvapibinding.h"
#include "nvapiids.h"
#include "simulatedcard.h"

#include <QElapsedTimer>
#include <QtTest>

#include <thread>
#include <vector>

namespace {
NvApiBinding &nv()
{
    return NvApiBinding::instance();
}

NvStatus readName(NvPhysicalGpuHandle gpu = nullptr)
{
    char name[64] = {};
    return nv().gpuGetFullName(gpu ? gpu : sim().handleOf(0), name);
}
} // namespace

class TestNvApiBinding : public QObject
{
    Q_OBJECT

private slots:
    void firstEntryLoadsAndResolvesOnlyItsOwnId()
    {
        SimulatedCard card;
        QVERIFY(!nv().isLoaded());
        QCOMPARE(readName(), NvApiStatus::Ok);
        QVERIFY(nv().isLoaded());
        QCOMPARE(card.library().loads(), 1);
        QCOMPARE(sim().callCount(NvApiId::Initialize), 1);
        QCOMPARE(sim().queryCount(NvApiId::GpuGetFullName), 1);
        for (NvU32 id : NvApiEntryIds) {
            if (id != NvApiId::GpuGetFullName && id != NvApiId::Initialize)
                QCOMPARE(sim().queryCount(id), 0);
        }
        // The cache answers the second call without asking the driver again.
        QCOMPARE(readName(), NvApiStatus::Ok);
        QCOMPARE(sim().queryCount(NvApiId::GpuGetFullName), 1);
        QCOMPARE(sim().callCount(NvApiId::GpuGetFullName), 2);
        QCOMPARE(sim().callCount(NvApiId::Initialize), 1);
    }

    void missingLibraryGivesMinusTwoEverywhere()
    {
        SimulatedCard card;
        card.library().setMissing(true);
        NvU32 count = 99;
        NvPhysicalGpuHandle handles[64] = {};
        QCOMPARE(nv().enumPhysicalGpus(handles, &count), NvApiStatus::LibraryNotFound);
        QCOMPARE(readName(), NvApiStatus::LibraryNotFound);
        NvU32 rpm = 0;
        QCOMPARE(nv().gpuGetTachReading(nullptr, &rpm), NvApiStatus::LibraryNotFound);
        QCOMPARE(nv().initialize(), NvApiStatus::LibraryNotFound);
        QCOMPARE(nv().callsInFlight(), 0);
        QCOMPARE(nv().unload(), NvApiStatus::ApiNotInitialized);
    }

    void libraryWithoutExportOrFailingInitialize()
    {
        SimulatedCard card;
        card.library().setWithoutQueryInterface(true);
        QCOMPARE(nv().initialize(), NvApiStatus::Error);
        QCOMPARE(card.library().frees(), 1);
        QVERIFY(!nv().isLoaded());

        card.library().setWithoutQueryInterface(false);
        sim().setQueryNull(NvApiId::Initialize);
        QCOMPARE(nv().initialize(), NvApiStatus::Error);
        QCOMPARE(card.library().frees(), 2);

        sim().setQueryNull(NvApiId::Initialize, false);
        sim().setInitializeStatus(NvApiStatus::NvidiaDeviceNotFound);
        QCOMPARE(nv().initialize(), NvApiStatus::NvidiaDeviceNotFound);
        QCOMPARE(card.library().frees(), 3);
        QVERIFY(!nv().isLoaded());
        QCOMPARE(nv().referenceCount(), 0);
    }

    void oneMissingIdFailsOnlyItsEntryAndIsAskedAgain()
    {
        SimulatedCard card;
        sim().setQueryNull(NvApiId::GpuGetFullName);
        QCOMPARE(readName(), NvApiStatus::NoImplementation);
        QCOMPARE(readName(), NvApiStatus::NoImplementation);
        QCOMPARE(sim().queryCount(NvApiId::GpuGetFullName), 2);
        NvU32 rpm = 0;
        QCOMPARE(nv().gpuGetTachReading(sim().handleOf(0), &rpm), NvApiStatus::Ok);
        sim().setQueryNull(NvApiId::GpuGetFullName, false);
        QCOMPARE(readName(), NvApiStatus::Ok);
    }

    void referenceCountedUnload()
    {
        SimulatedCard card;
        QCOMPARE(nv().initialize(), NvApiStatus::Ok);
        QCOMPARE(nv().initialize(), NvApiStatus::Ok);
        QCOMPARE(nv().referenceCount(), 2);
        QCOMPARE(card.library().loads(), 1);
        QCOMPARE(nv().unload(), NvApiStatus::Ok);
        QVERIFY(nv().isLoaded());
        QCOMPARE(sim().callCount(NvApiId::Unload), 0);
        QCOMPARE(nv().unload(), NvApiStatus::Ok);
        QVERIFY(!nv().isLoaded());
        QCOMPARE(sim().callCount(NvApiId::Unload), 1);
        QCOMPARE(card.library().frees(), 1);
        QCOMPARE(nv().unload(), NvApiStatus::ApiNotInitialized);
    }

    void failedDriverUnloadKeepsTheLibrary()
    {
        SimulatedCard card;
        QCOMPARE(nv().initialize(), NvApiStatus::Ok);
        sim().setUnloadStatus(NvApiStatus::Error);
        QCOMPARE(nv().unload(), NvApiStatus::Error);
        QVERIFY(nv().isLoaded());
        QCOMPARE(nv().referenceCount(), 1);
        QCOMPARE(readName(), NvApiStatus::Ok);
        sim().setUnloadStatus(NvApiStatus::Ok);
        sim().setQueryNull(NvApiId::Unload);
        QCOMPARE(nv().unload(), NvApiStatus::NoImplementation);
        QVERIFY(nv().isLoaded());
    }

    void unloadWithACallInFlight()
    {
        SimulatedCard card;
        QCOMPARE(nv().initialize(), NvApiStatus::Ok);
        sim().holdNextCall(NvApiId::GpuGetFullName);
        NvStatus held = NvApiStatus::Error;
        std::thread caller([&held] { held = readName(); });
        QVERIFY(sim().waitUntilHeld(NvApiId::GpuGetFullName));
        QCOMPARE(nv().callsInFlight(), 1);
        QCOMPARE(nv().unload(), NvApiStatus::ApiInUse);
        QVERIFY(nv().isLoaded());
        // Still usable from other threads meanwhile.
        NvU32 rpm = 0;
        QCOMPARE(nv().gpuGetTachReading(sim().handleOf(0), &rpm), NvApiStatus::Ok);
        sim().releaseHeldCall(NvApiId::GpuGetFullName);
        caller.join();
        QCOMPARE(held, NvApiStatus::Ok);
        QCOMPARE(nv().callsInFlight(), 0);
        QCOMPARE(nv().unload(), NvApiStatus::Ok);
        QVERIFY(!nv().isLoaded());
    }

    void entryDuringAPendingUnloadGivesUpAfterTenWaits()
    {
        SimulatedCard card;
        QCOMPARE(nv().initialize(), NvApiStatus::Ok);
        sim().holdNextCall(NvApiId::Unload);
        NvStatus unloaded = NvApiStatus::Error;
        std::thread unloader([&unloaded] { unloaded = nv().unload(); });
        QVERIFY(sim().waitUntilHeld(NvApiId::Unload));

        QElapsedTimer timer;
        timer.start();
        QCOMPARE(readName(), NvApiStatus::Error);
        const qint64 waited = timer.elapsed();
        QVERIFY2(waited >= 950 && waited < 3000, qPrintable(QString::number(waited)));

        sim().releaseHeldCall(NvApiId::Unload);
        unloader.join();
        QCOMPARE(unloaded, NvApiStatus::Ok);
        // The next call loads the library again.
        QCOMPARE(readName(), NvApiStatus::Ok);
        QCOMPARE(card.library().loads(), 2);
    }

    void hooksOnlyWhenBothResolve()
    {
        {
            SimulatedCard card;
            sim().setHooks(true, false);
            QCOMPARE(readName(), NvApiStatus::Ok);
            QCOMPARE(sim().hookCount(NvApiId::PreCallHook), 0);
            QCOMPARE(sim().hookCount(NvApiId::PostCallHook), 0);
        }
        {
            SimulatedCard card;
            sim().setHooks(true, true);
            QCOMPARE(readName(), NvApiStatus::Ok);
            QCOMPARE(readName(), NvApiStatus::Ok);
            QCOMPARE(sim().hookCount(NvApiId::PreCallHook), 2);
            QCOMPARE(sim().hookCount(NvApiId::PostCallHook), 2);
        }
    }

    void loaderCannotBeSwappedWhileLoaded()
    {
        SimulatedCard card;
        QCOMPARE(nv().initialize(), NvApiStatus::Ok);
        QVERIFY(!nv().setModuleLoader(nullptr));
        QCOMPARE(nv().unload(), NvApiStatus::Ok);
        QVERIFY(nv().setModuleLoader(&card.library()));
    }

    void manyThreadsResolveTheSameSlots()
    {
        SimulatedCard card;
        const NvPhysicalGpuHandle gpu = sim().handleOf(0);
        std::vector<std::thread> threads;
        std::atomic<int> failures { 0 };
        for (int t = 0; t < 8; ++t) {
            threads.emplace_back([&] {
                for (int i = 0; i < 200; ++i) {
                    NvU32 rpm = 0;
                    char name[64] = {};
                    if (nv().gpuGetTachReading(gpu, &rpm) != NvApiStatus::Ok
                        || nv().gpuGetFullName(gpu, name) != NvApiStatus::Ok)
                        failures.fetch_add(1);
                }
            });
        }
        for (auto &t : threads)
            t.join();
        QCOMPARE(failures.load(), 0);
        QCOMPARE(card.library().loads(), 1);
        QCOMPARE(nv().callsInFlight(), 0);
        QCOMPARE(sim().callCount(NvApiId::GpuGetTachReading), 1600);
    }
};

QTEST_GUILESS_MAIN(TestNvApiBinding)
#include "tst_nvapibinding.moc"
