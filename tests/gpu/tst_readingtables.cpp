#include "readingtables.h"

#include <QtTest>

// The sampled readings from the driver's records: which memory field counts as available for each record
// version, which sensor is the GPU's, which utilisation domains are present, and which cooler answers can be
// read at all.
class TestReadingTables : public QObject
{
    Q_OBJECT

private slots:
    void memoryByVersionAndMode_data()
    {
        QTest::addColumn<NvU32>("version");
        QTest::addColumn<bool>("tcc");
        QTest::addColumn<int>("usedKb");
        QTest::addColumn<int>("currentAvailableKb");
        // dedicated 8,000 KB; available dedicated 6,000; current available 5,000.
        QTest::newRow("version 2 counts the current availability")
            << NvU32(0x20028u) << false << 3000 << 5000;
        QTest::newRow("version 1 has only the available dedicated")
            << NvU32(0x10018u) << false << 2000 << 6000;
        QTest::newRow("TCC reports its dedicated memory only") << NvU32(0x20028u) << true << 0 << 0;
    }

    void memoryByVersionAndMode()
    {
        QFETCH(NvU32, version);
        QFETCH(bool, tcc);
        NvMemoryInfo info = {};
        info.dedicatedVideoMemory = 8000;
        info.availableDedicatedVideoMemory = 6000;
        info.curAvailableDedicatedVideoMemory = 5000;
        const MemoryReading memory = ReadingTables::memory(info, version, tcc);
        QCOMPARE(memory.dedicatedKb, 8000);
        QTEST(memory.usedKb, "usedKb");
        QTEST(memory.currentAvailableKb, "currentAvailableKb");
        QCOMPARE(memory.availableDedicatedKb, tcc ? 0 : 6000);
    }

    void thermalTakesTheGpuSensorWithinTheCount()
    {
        NvThermalSettings settings = {};
        settings.count = 2;
        settings.sensor[0] = { 0, 0, 90, 40, 2 }; // the memory's
        settings.sensor[1] = { 0, -5, 95, 61, NvThermalTargetGpu };
        const ThermalReading reading = ReadingTables::thermal(settings);
        QCOMPARE(reading.currentC, 61);
        QCOMPARE(reading.defaultMaximumC, 95);
        // A GPU sensor past the reported count, or a count past the array, is not read.
        settings.count = 1;
        QCOMPARE(ReadingTables::thermal(settings).currentC, 0);
        settings.count = 200;
        settings.sensor[1].target = 2;
        QCOMPARE(ReadingTables::thermal(settings).currentC, 0);
    }

    void usageReadsPresentDomainsOnly()
    {
        NvDynamicPstatesInfoEx info = {};
        UsageReading usage;
        QVERIFY(!ReadingTables::usage(info, usage));
        info.utilization[1] = { 1, 37 };
        info.utilization[2] = { 0, 99 };
        QVERIFY(ReadingTables::usage(info, usage));
        QCOMPARE(usage.gpuPercent, 0);
        QCOMPARE(usage.frameBufferPercent, 37);
        QCOMPARE(usage.videoEnginePercent, 0);
    }

    void coolerAnswers_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("tried");
        QTest::addColumn<bool>("usable");
        QTest::newRow("answered") << int(NvApiStatus::Ok) << 2 << true;
        QTest::newRow("ladder ran out") << int(NvApiStatus::IncompatibleStructVersion) << 3 << false;
        QTest::newRow("first refusal is judged: not supported")
            << int(NvApiStatus::NotSupported) << 1 << true;
        QTest::newRow("first refusal: error") << int(NvApiStatus::Error) << 1 << false;
        QTest::newRow("first refusal: invalid argument") << int(NvApiStatus::InvalidArgument) << 1 << false;
        QTest::newRow("first refusal: handle invalidated")
            << int(NvApiStatus::HandleInvalidated) << 1 << false;
        QTest::newRow("first refusal: not a physical handle")
            << int(NvApiStatus::ExpectedPhysicalGpuHandle) << 1 << false;
    }

    void coolerAnswers()
    {
        QFETCH(int, status);
        QFETCH(int, tried);
        LadderResult result;
        result.status = status;
        result.tried = std::size_t(tried);
        QTEST(ReadingTables::coolerAnswerUsable(result), "usable");
    }
};

QTEST_MAIN(TestReadingTables)
#include "tst_readingtables.moc"
