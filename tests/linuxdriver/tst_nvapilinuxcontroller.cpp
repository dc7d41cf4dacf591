#include "cardsampler.h"
#include "fakenvml.h"
#include "gpucontroller.h"

#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <memory>

// The program's own GpuController on the driver library for real cards,
// loaded the way the program loads it (dlopen of libnvapi-linux.so by
// absolute path), over the fake NVML: the readings arrive in the program's
// units and the tuning operations reach NVML with NVML's.
class TestNvapiLinuxController : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_runtime;
    const bool m_r550 = FakeNvml::isR550();

    static FakeNvml &fake() { return FakeNvml::instance(); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_runtime.isValid());
        QFile::setPermissions(m_runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
        qputenv("LUMETRA_NVAPI_LIBRARY", LINUX_DRIVER_PATH);
        qputenv("LUMETRA_NVML_LIBRARY", FAKE_NVML_PATH);
    }

    void init() { fake().reset(1); }

    void fixedInformation()
    {
        GpuController controller;
        QCOMPARE(controller.gpuCount(), 1);
        NvInfo info;
        controller.readFixedInfo(info);
        QCOMPARE(info.name, QStringLiteral("NVIDIA GeForce RTX 4070"));
        QCOMPARE(info.memorySize, QStringLiteral("12288MB"));
        QCOMPARE(info.memoryBusWidth, QStringLiteral("192BIT"));
        QCOMPARE(info.memoryType, QStringLiteral("Unknown"));
        QCOMPARE(info.driverVersion, QStringLiteral("550.16"));
        QCOMPARE(info.biosVersion, QStringLiteral("95.04.31.00.3D"));
        QCOMPARE(info.gpuClock, QStringLiteral("3105MHz"));
        QCOMPARE(info.defaultMemoryClock, QStringLiteral("10501MHz"));
        QCOMPARE(info.gpuClockOffset, 0);
        // Offsets set by another tool show once the library's short-lived copy has expired.
        fake().setValue(0, "gpcOffset", 150);
        fake().setValue(0, "memOffset", 1000);
        QThread::msleep(300);
        controller.readFixedInfo(info);
        QCOMPARE(info.gpuClockOffset, 150);
        QCOMPARE(info.memoryClockOffset, 1000);
        QCOMPARE(info.gpuClock, QStringLiteral("3255MHz"));
        QCOMPARE(info.defaultGpuClock, QStringLiteral("3105MHz"));
    }

    void samplingCycle()
    {
        GpuController controller;
        CardSampler sampler(&controller);
        const CardSample sample = sampler.sample();
        QCOMPARE(sample.live.gpuClock.current, 2475);
        QCOMPARE(sample.live.gpuClock.rangeTop, 3000);
        QCOMPARE(sample.live.memoryClock.current, 10501);
        QCOMPARE(sample.live.temperature.current, 55);
        QCOMPARE(sample.live.gpuUsage.current, 37);
        QCOMPARE(sample.live.memoryAmount.current, 1024);
        QCOMPARE(sample.live.memoryAmount.rangeTop, 12288);
        QCOMPARE(sample.live.memoryUsage.current, 8);
        // RPM needs the R570 call: without it the fan reads 0, never an invented number.
        QCOMPARE(sample.live.fanSpeed.current, m_r550 ? 0 : 1480);
        // No board sensors before the card's own bus is reached.
        QCOMPARE(sample.board.sensor1.current, 0);
    }

    void tuningRanges()
    {
        GpuController controller;
        ClockRange gpu, memory;
        QVERIFY(controller.readGpuClockRange(gpu));
        QCOMPARE(gpu.baseClockMhz, 3105);
        QCOMPARE(gpu.minOffsetMhz, -1000);
        QCOMPARE(gpu.maxOffsetMhz, 1000);
        QCOMPARE(int(gpu.editable), 1);
        QVERIFY(controller.readMemoryClockRange(memory));
        QCOMPARE(memory.maxOffsetMhz, 6000);
        VoltageInfo voltage;
        QVERIFY(controller.readVoltageInfo(voltage));
        QCOMPARE(int(voltage.editable), 0);
        QCOMPARE(voltage.currentMv, 0);
        PowerInfo power;
        QVERIFY(controller.readPowerInfo(power));
        QCOMPARE(power.minimumPercent, 50);
        QCOMPARE(power.defaultPercent, 100);
        QCOMPARE(power.maximumPercent, 110);
        QCOMPARE(power.currentTargetPercent, 100);
        QCOMPARE(power.currentDrawPercent, 61);
        ThermalLimitInfo thermal;
        QVERIFY(controller.readThermalLimitInfo(thermal));
        QCOMPARE(thermal.minimumC, 65);
        QCOMPARE(thermal.maximumC, 90);
        QCOMPARE(thermal.defaultC, 83);
        QCOMPARE(thermal.currentC, 83);
        CoolerReading cooler;
        QVERIFY(controller.readCooler(cooler));
        QCOMPARE(cooler.levelLowPercent, 30);
        QCOMPARE(cooler.currentLevelPercent, 45);
        QCOMPARE(cooler.policy, FanPolicy::Automatic);
    }

    void tuningWritesReachNvml()
    {
        GpuController controller;
        QVERIFY(controller.setGpuClockOffset(150));
        QVERIFY(controller.setMemoryClockOffset(1500));
        QVERIFY(controller.setPowerTarget(0, 105.0f));
        QVERIFY(controller.setThermalTarget(1, 70.0f, true));
        QVERIFY(controller.setCoolerLevel(70, FanPolicy::Manual));
        QCOMPARE(fake().value(0, "gpcOffset"), 150);
        QCOMPARE(fake().value(0, "memOffset"), 1500);
        QCOMPARE(fake().value(0, "powerLimit"), 210000);
        QCOMPARE(fake().value(0, "thrAcousticCurrent"), 70);
        QCOMPARE(fake().value(0, "fanSpeed0"), 70);
        QCOMPARE(fake().value(0, "fanPolicy1"), 1);
        CoolerReading cooler;
        QVERIFY(controller.readCooler(cooler));
        QCOMPARE(cooler.policy, FanPolicy::Manual);

        // Restoring the defaults puts every value back, the fans to automatic.
        QVERIFY(controller.restoreDefaults());
        QCOMPARE(fake().value(0, "gpcOffset"), 0);
        QCOMPARE(fake().value(0, "memOffset"), 0);
        QCOMPARE(fake().value(0, "powerLimit"), 200000);
        QCOMPARE(fake().value(0, "thrAcousticCurrent"), 83);
        QCOMPARE(fake().value(0, "fanPolicy0"), 0);
        QCOMPARE(fake().value(0, "fanPolicy1"), 0);
    }

    void writesWithoutPrivilegesFail()
    {
        fake().failWrites(4);
        GpuController controller;
        QVERIFY(!controller.setGpuClockOffset(150));
        QVERIFY(!controller.setMemoryClockOffset(1500));
        QVERIFY(!controller.setPowerTarget(0, 105.0f));
        QVERIFY(!controller.setThermalTarget(1, 70.0f, true));
        QVERIFY(!controller.setCoolerLevel(70, FanPolicy::Manual));
        QVERIFY(fake().writes().empty());
        // Nothing to change asks for nothing, so it succeeds without privileges.
        QVERIFY(controller.setGpuClockOffset(0));
        QVERIFY(controller.restoreCoolerDefault());
    }
};

QTEST_GUILESS_MAIN(TestNvapiLinuxController)
#include "tst_nvapilinuxcontroller.moc"
