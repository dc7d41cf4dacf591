#include "fakesysfs.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

// Whole processes on the driver library for real cards, each against both
// variants of the fake NVML: lumetra-info reading three GPUs, and a process
// that set its fans to a manual level and then ended in every way a process
// can end.
class TestNvapiLinuxProcess : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    QProcessEnvironment environment(const QString &nvml, const QString &setup) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LUMETRA_NVAPI_LIBRARY"), QStringLiteral(LINUX_DRIVER_PATH));
        env.insert(QStringLiteral("LUMETRA_NVML_LIBRARY"), nvml);
        env.insert(QStringLiteral("FAKE_NVML_SETUP"), setup);
        env.insert(QStringLiteral("FAKE_NVML_LOG"), path(QStringLiteral("nvml.log")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path(QStringLiteral("runtime")));
        env.insert(QStringLiteral("LUMETRA_LINUX_SYSFS_ROOT"), path(QStringLiteral("sys")));
        return env;
    }

    QString writeSetup(const QByteArray &text) const
    {
        QFile file(path(QStringLiteral("setup.txt")));
        if (!file.open(QIODevice::WriteOnly))
            return QString();
        file.write(text);
        return file.fileName();
    }

    QStringList logLines() const
    {
        QFile file(path(QStringLiteral("nvml.log")));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir().mkpath(path(QStringLiteral("runtime"))));
        QFile::setPermissions(
            path(QStringLiteral("runtime")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        FakeSysfs sysfs(path(QStringLiteral("sys")));
        QVERIFY(sysfs.addPciDevice(QStringLiteral("0000:01:00.0"), 0xA1));
        QVERIFY(sysfs.addPciDevice(QStringLiteral("0000:02:00.0"), 0xA1));
        QVERIFY(sysfs.addPciDevice(QStringLiteral("0000:03:00.0"), 0xA2));
    }

    void init() { QFile::remove(path(QStringLiteral("nvml.log"))); }

    void lumetraInfoReadsThreeGpus_data()
    {
        QTest::addColumn<QString>("nvml");
        QTest::newRow("R550") << QStringLiteral(FAKE_NVML_R550_PATH);
        QTest::newRow("current") << QStringLiteral(FAKE_NVML_CURRENT_PATH);
    }
    void lumetraInfoReadsThreeGpus()
    {
        QFETCH(QString, nvml);
        // Two of the maker's cards and another maker's, each with readings of its own.
        const QString setup = writeSetup("gpus 3\n"
                                         "set 0 temperature 48\nset 0 clockGraphics 1830\n"
                                         "set 1 temperature 66\nset 1 memUsed 4294967296\n"
                                         "name 2 NVIDIA GeForce RTX 3060\n"
                                         "set 2 pciDeviceId 0x250310DE\nset 2 pciSubSystemId 0x397D1462\n"
                                         "set 2 temperature 71\nset 2 memTotal 12884901888\nset 2 fans 1\n"
                                         "set 2 clockMemory 7501\n");
        QProcess info;
        info.setProcessEnvironment(environment(nvml, setup));
        info.start(QStringLiteral(LUMETRA_INFO_PATH), { QStringLiteral("--json") });
        QVERIFY(info.waitForFinished(20000));
        QCOMPARE(info.exitCode(), 0);
        const QJsonArray cards
            = QJsonDocument::fromJson(info.readAllStandardOutput()).object()["cards"].toArray();
        QCOMPARE(cards.size(), 3);

        const QJsonObject first = cards[0].toObject();
        QCOMPARE(first["name"].toString(), QStringLiteral("NVIDIA GeForce RTX 4070"));
        QCOMPARE(first["subSystemId"].toDouble(), double(0x31611D17));
        QCOMPARE(first["revisionId"].toDouble(), double(0xA1));
        QCOMPARE(first["driverVersion"].toString(), QStringLiteral("550.16"));
        QCOMPARE(first["memorySize"].toString(), QStringLiteral("12288MB"));
        QCOMPARE(first["memoryType"].toString(), QStringLiteral("Unknown"));
        const QJsonObject live0 = first["nvCardBaseInfo"].toObject();
        QCOMPARE(live0["temperature"].toObject()["current"].toInt(), 48);
        QCOMPARE(live0["gpuClock"].toObject()["current"].toInt(), 1830);
        QCOMPARE(live0["memoryClock"].toObject()["current"].toInt(), 10501);
        QCOMPARE(live0["memoryAmount"].toObject()["current"].toInt(), 1024);
        QCOMPARE(live0["fanSpeed"].toObject()["current"].toInt(), nvml.contains("r550") ? 0 : 1480);

        const QJsonObject live1 = cards[1].toObject()["nvCardBaseInfo"].toObject();
        QCOMPARE(live1["temperature"].toObject()["current"].toInt(), 66);
        QCOMPARE(live1["memoryAmount"].toObject()["current"].toInt(), 4096);
        QCOMPARE(live1["memoryUsage"].toObject()["current"].toInt(), 33);

        const QJsonObject other = cards[2].toObject();
        QCOMPARE(other["name"].toString(), QStringLiteral("NVIDIA GeForce RTX 3060"));
        QCOMPARE(other["deviceId"].toDouble(), double(0x250310DE));
        QCOMPARE(other["subSystemId"].toDouble(), double(0x397D1462));
        QCOMPARE(other["revisionId"].toDouble(), double(0xA2));
        const QJsonObject live2 = other["nvCardBaseInfo"].toObject();
        QCOMPARE(live2["temperature"].toObject()["current"].toInt(), 71);
        QCOMPARE(live2["memoryClock"].toObject()["current"].toInt(), 7501);
        // No NVIDIA adapter in this test's sysfs: no device answers.
        QVERIFY(!other.contains("ledState"));
        QVERIFY(logLines().isEmpty()); // reading writes nothing
    }

    // Installed, the program needs no variable: the library beside it (the portable folder), in
    // ../lib/<triplet>/lumetra/ (the package) or ../lib/lumetra/, never one in the current folder.
    void installedLibraryIsFound_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("library");
        QTest::addColumn<bool>("found");
        QTest::newRow("beside the program") << "portable/lumetra-info"
                                            << "portable/libnvapi-linux.so" << true;
        QTest::newRow("in ../lib/lumetra") << "usr/bin/lumetra-info"
                                           << "usr/lib/lumetra/libnvapi-linux.so" << true;
        QTest::newRow("in the package's ../lib/<triplet>/lumetra")
            << "usr/bin/lumetra-info"
            << QStringLiteral("usr/lib/%1/lumetra/libnvapi-linux.so").arg(QLatin1String(LIBRARY_ARCHITECTURE))
            << true;
        QTest::newRow("only in the current folder") << "bare/bin/lumetra-info"
                                                    << "cwd/libnvapi-linux.so" << false;
    }
    void installedLibraryIsFound()
    {
        QFETCH(QString, program);
        QFETCH(QString, library);
        QFETCH(bool, found);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        for (const QString &file : { program, library })
            QVERIFY(QDir().mkpath(QFileInfo(root.filePath(file)).absolutePath()));
        QVERIFY(QDir().mkpath(root.filePath(QStringLiteral("cwd"))));
        QVERIFY(QFile::copy(QStringLiteral(LUMETRA_INFO_PATH), root.filePath(program)));
        QVERIFY(QFile::copy(QStringLiteral(LINUX_DRIVER_PATH), root.filePath(library)));
        QProcess info;
        QProcessEnvironment env = environment(QStringLiteral(FAKE_NVML_CURRENT_PATH), writeSetup("gpus 1\n"));
        env.remove(QStringLiteral("LUMETRA_NVAPI_LIBRARY"));
        info.setProcessEnvironment(env);
        info.setWorkingDirectory(root.filePath(QStringLiteral("cwd")));
        info.start(root.filePath(program), { QStringLiteral("--json") });
        QVERIFY(info.waitForFinished(20000));
        QCOMPARE(info.exitCode(), found ? 0 : 1);
        if (found)
            QVERIFY(info.readAllStandardOutput().contains("NVIDIA GeForce RTX 4070"));
    }

    void noNvmlIsNoCard()
    {
        QProcess info;
        info.setProcessEnvironment(environment(QStringLiteral("/nonexistent/libnvidia-ml.so.1"), QString()));
        info.start(QStringLiteral(LUMETRA_INFO_PATH), { QStringLiteral("--json") });
        QVERIFY(info.waitForFinished(20000));
        QCOMPARE(info.exitCode(), 1);
        QCOMPARE(info.readAllStandardOutput().trimmed(), QByteArray("No nvidia card found"));
    }

    // The device check's program agrees with itself on a GeForce card and on a
    // data-centre board (no fans, no offsets, no acoustic target), and can disagree.
    void deviceCheckProgram_data()
    {
        QTest::addColumn<QString>("nvml");
        QTest::addColumn<QByteArray>("setup");
        QTest::addColumn<QString>("library");
        QTest::addColumn<int>("exitCode");
        const QByteArray dataCentre
            = "name 0 NVIDIA H100 80GB HBM3\nset 0 fans 0\nset 0 offsetsSupported 0\n"
              "set 0 thrAcousticMin -1\nset 0 thrAcousticCurrent -1\nset 0 thrAcousticMax -1\n";
        QTest::newRow("R550 GeForce") << QStringLiteral(FAKE_NVML_R550_PATH) << QByteArray("gpus 2\n")
                                      << QStringLiteral(LINUX_DRIVER_PATH) << 0;
        QTest::newRow("current GeForce") << QStringLiteral(FAKE_NVML_CURRENT_PATH) << QByteArray("gpus 2\n")
                                         << QStringLiteral(LINUX_DRIVER_PATH) << 0;
        QTest::newRow("data centre") << QStringLiteral(FAKE_NVML_CURRENT_PATH) << dataCentre
                                     << QStringLiteral(LINUX_DRIVER_PATH) << 0;
        // The simulated card is not the GPU NVML describes: every item must say so.
        QTest::newRow("another library") << QStringLiteral(FAKE_NVML_CURRENT_PATH) << QByteArray("gpus 1\n")
                                         << QStringLiteral(SIM_LIBRARY_PATH) << 1;
    }
    void deviceCheckProgram()
    {
        QFETCH(QString, nvml);
        QFETCH(QByteArray, setup);
        QFETCH(QString, library);
        QFETCH(int, exitCode);
        QProcess check;
        QProcessEnvironment env = environment(nvml, writeSetup(setup));
        env.insert(QStringLiteral("LUMETRA_NVAPI_LIBRARY"), library);
        check.setProcessEnvironment(env);
        check.start(QStringLiteral(NVML_CHECK_PATH), { QStringLiteral("--write-power") });
        QVERIFY(check.waitForFinished(20000));
        const QString out = QString::fromUtf8(check.readAllStandardOutput());
        QVERIFY2(check.exitCode() == exitCode, qPrintable(out));
        QVERIFY(out.contains(QStringLiteral("Symbols absent")));
        if (exitCode == 0)
            QVERIFY(out.contains(QStringLiteral("0 disagreement(s)")));
        else
            QVERIFY(out.contains(QStringLiteral("DIFF name")));
        // However the write went, the limit is NVML's original again.
        QVERIFY(!out.contains(QStringLiteral("DIFF power restored")));
    }

    // The device check's I2C view: the adapter it chose, and an honest "no
    // answer" where the kernel has no such bus (reads only, nothing written).
    void deviceCheckI2cView()
    {
        FakeSysfs sysfs(path(QStringLiteral("sys")));
        QVERIFY(sysfs.addAdapter(QStringLiteral("0000:01:00.0"), 4093, "NVIDIA i2c adapter 1 at 1:00.0\n"));
        QProcess check;
        QProcessEnvironment env = environment(QStringLiteral(FAKE_NVML_CURRENT_PATH), writeSetup("gpus 1\n"));
        env.remove(QStringLiteral("LUMETRA_LINUX_I2C"));
        check.setProcessEnvironment(env);
        check.start(QStringLiteral(NVML_CHECK_PATH), { QStringLiteral("--i2c") });
        QVERIFY(check.waitForFinished(20000));
        const QString out = QString::fromUtf8(check.readAllStandardOutput());
        QCOMPARE(check.exitCode(), 0);
        QVERIFY2(out.contains(QStringLiteral("card allowed, adapter /dev/i2c-4093")), qPrintable(out));
        QVERIFY(out.contains(QStringLiteral("0x9e: no answer")));
        QVERIFY(out.contains(QStringLiteral("lighting controller: no state")));
        QVERIFY(logLines().isEmpty());
    }

    // A process that set a manual fan level and then ends, however it ends,
    // leaves the fans in automatic mode: only SIGKILL cannot be answered.
    void fansComeBackWhenTheProcessEnds_data()
    {
        QTest::addColumn<QString>("nvml");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("handedBack");
        for (const auto &variant : { std::make_pair("R550", FAKE_NVML_R550_PATH),
                 std::make_pair("current", FAKE_NVML_CURRENT_PATH) }) {
            const QString nvml = QString::fromLatin1(variant.second);
            const QByteArray name(variant.first);
            QTest::newRow(name + " return") << nvml << "return" << 0 << true;
            QTest::newRow(name + " exit") << nvml << "exit" << 0 << true;
            QTest::newRow(name + " SIGTERM") << nvml << "term" << int(SIGTERM) << true;
            QTest::newRow(name + " SIGSEGV") << nvml << "segv" << 0 << true;
            QTest::newRow(name + " abort") << nvml << "abort" << 0 << true;
            QTest::newRow(name + " SIGKILL") << nvml << "kill" << int(SIGKILL) << false;
        }
    }
    void fansComeBackWhenTheProcessEnds()
    {
        QFETCH(QString, nvml);
        QFETCH(QString, mode);
        QFETCH(int, signal);
        QFETCH(bool, handedBack);
        QProcess holder;
        holder.setProcessEnvironment(environment(nvml, writeSetup("gpus 1\n")));
        holder.start(QStringLiteral(FAN_HOLDER_PATH), { mode });
        QVERIFY(holder.waitForReadyRead(20000));
        QCOMPARE(holder.readLine().trimmed(), QByteArray("manual"));
        if (signal)
            ::kill(static_cast<pid_t>(holder.processId()), signal);
        QVERIFY(holder.waitForFinished(20000));

        const QStringList lines = logLines();
        QVERIFY2(lines.size() >= 2, qPrintable(lines.join('|')));
        QCOMPARE(lines[0], QStringLiteral("nvmlDeviceSetFanSpeed_v2 0 0 40"));
        QCOMPARE(lines[1], QStringLiteral("nvmlDeviceSetFanSpeed_v2 0 1 40"));
        const QStringList back = lines.mid(2);
        if (handedBack)
            QCOMPARE(back,
                QStringList({ QStringLiteral("nvmlDeviceSetDefaultFanSpeed_v2 0 0"),
                    QStringLiteral("nvmlDeviceSetDefaultFanSpeed_v2 0 1") }));
        else
            QVERIFY(back.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestNvapiLinuxProcess)
#include "tst_nvapilinuxprocess.moc"
