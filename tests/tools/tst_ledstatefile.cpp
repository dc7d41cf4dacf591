#include "gpucontroller.h"
#include "simledstatefile.h"
#include "simulatedcard.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

/// The lighting controller's last command, carried from the process that sent it (here the test, in
/// Lumetra2 the LED page) to a later lumetra-info, which shows it.
class TestLedStateFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString statePath() const { return m_dir.filePath("led-state"); }

    QByteArray runInfo() const
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("LUMETRA_SIM_CARDS");
        env.insert("LUMETRA_NVAPI_LIBRARY", SIM_LIBRARY_PATH);
        env.insert(SimLedStateFile::EnvironmentVariable, statePath());
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(LUMETRA_INFO_PATH), QStringList());
        if (!process.waitForFinished(20000)) {
            process.kill();
            process.waitForFinished();
            return QByteArray();
        }
        return process.readAllStandardOutput();
    }

    static QByteArray lightingLine(const QByteArray &out)
    {
        for (const QByteArray &line : out.split('\n')) {
            if (line.trimmed().startsWith("Lighting"))
                return line.trimmed();
        }
        return QByteArray();
    }

private slots:
    void init()
    {
        QFile::remove(statePath());
        qputenv(SimLedStateFile::EnvironmentVariable, statePath().toLocal8Bit());
    }
    void cleanup() { qunsetenv(SimLedStateFile::EnvironmentVariable); }

    void lumetraInfoShowsTheLastCommandSent()
    {
        {
            SimulatedCard card(SimulatedCard::Dynamics::Frozen);
            GpuController controller;
            const std::uint8_t first[3] = { 0, 255, 0 };
            QVERIFY(controller.sendLedCommand(first, 3, 1, 50, 4, false));
            const std::uint8_t colours[6] = { 255, 0, 0, 255, 255, 255 };
            QVERIFY(controller.sendLedCommand(colours, 6, 2, 50, 7, false));
            // The capability probe changes no effect and is not kept.
            QVERIFY(controller.probeLightingController());
        }
        QFile file(statePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("card 0 0b023207ff0000ffffffbd\n"));
        QCOMPARE(lightingLine(runInfo()),
            QByteArray("Lighting     kind 3, 2 colour(s), parameters 2 50 7, colours #ff0000 #ffffff"));
    }

    void theOffCommandShowsNoColour()
    {
        {
            SimulatedCard card(SimulatedCard::Dynamics::Frozen);
            GpuController controller;
            QVERIFY(controller.sendLedCommand(nullptr, 0, 0, 0, 10, true));
        }
        QCOMPARE(lightingLine(runInfo()), QByteArray("Lighting     kind 3, 0 colour(s), parameters 0 0 10"));
    }

    void aBrokenFileLeavesThePowerOnEffect()
    {
        QFile file(statePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("card 0 zz\ncard x 0102\ncard 0 0b02\n");
        file.close();
        QCOMPARE(lightingLine(runInfo()),
            QByteArray("Lighting     kind 3, 1 colour(s), parameters 1 50 2, colours #ff0000"));
    }

    void otherCardsLinesStay()
    {
        QVERIFY(SimLedStateFile::save(statePath(), 1, { 0x05, 0x04, 0x32, 0x02, 0xC2 }));
        QVERIFY(SimLedStateFile::save(statePath(), 0, { 0x05, 0x00, 0x00, 0x0A, 0xF0 }));
        QVERIFY(SimLedStateFile::save(statePath(), 0, { 0x05, 0x04, 0x32, 0x02, 0xC2 }));
        QCOMPARE(SimLedStateFile::load(statePath(), 1), std::vector<NvU8>({ 0x05, 0x04, 0x32, 0x02, 0xC2 }));
        QCOMPARE(SimLedStateFile::load(statePath(), 0), std::vector<NvU8>({ 0x05, 0x04, 0x32, 0x02, 0xC2 }));
        QVERIFY(SimLedStateFile::load(statePath(), 2).empty());
    }
};

QTEST_GUILESS_MAIN(TestLedStateFile)
#include "tst_ledstatefile.moc"
