#include "configstore.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

// Log-out, shutdown, `kill`, Ctrl+C and a closed terminal end the program by signal: a real Lumetra2 in its
// own folder must leave through its saving path, as through the tray's exit entry, and write config.xml.
class TestQuitBySignal : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString program() const { return m_dir.filePath(QStringLiteral("Lumetra2")); }
    QString config() const { return m_dir.filePath(QStringLiteral("config.xml")); }

    static bool visibleWindowOf(qint64 pid, const QString &title)
    {
        QProcess search;
        search.start(QStringLiteral("xdotool"),
            { QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                QString::number(pid), QStringLiteral("--name"), title });
        search.waitForFinished(5000);
        return search.exitCode() == 0;
    }

    // A config.xml of an earlier session: its own settings, long-past dates, no card record yet.
    void seedConfig(bool hintDone)
    {
        ConfigStore store(config(), [] { return QDate(2020, 1, 2); });
        store.load();
        GeneralSettingRecord general;
        general.Language = QStringLiteral("lang_en");
        general.RefreshTimeOfMonitor = 3;
        general.StartOnBoot = false;
        store.setGeneralSetting(general);
        store.setLastCloseDate(QDate(2020, 1, 2));
        store.setNotPromptHPS(hintDone);
        QVERIFY(store.save());
        QVERIFY(store.cards().isEmpty());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QFile::copy(QStringLiteral(LUMETRA2_PROGRAM), program()));
    }

    void init() { QFile::remove(config()); }

    void savesAndEnds_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<bool>("hintOpen");
        QTest::newRow("SIGTERM") << int(SIGTERM) << false;
        QTest::newRow("SIGINT") << int(SIGINT) << false;
        QTest::newRow("SIGHUP") << int(SIGHUP) << false;
        // The start-up hint runs its own loop before the program's: the request must still end the program.
        QTest::newRow("SIGTERM while the start-up hint is open") << int(SIGTERM) << true;
    }

    void savesAndEnds()
    {
        QFETCH(int, signalNumber);
        QFETCH(bool, hintOpen);
        seedConfig(!hintOpen);
        QTemporaryDir channel;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), channel.path());
        env.insert(QStringLiteral("LUMETRA_NVAPI_LIBRARY"), QStringLiteral(NVAPI_SIM_LIBRARY));
        env.remove(QStringLiteral("LUMETRA_SIM_CARDS"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("xdg")));
        QProcess lumetra;
        lumetra.setProcessEnvironment(env);
        lumetra.setProcessChannelMode(QProcess::ForwardedChannels);
        lumetra.start(program(), QStringList());
        QVERIFY(lumetra.waitForStarted(5000));
        // A pid of 0 would signal the test's own process group (and the test runner with it).
        const pid_t pid = pid_t(lumetra.processId());
        QVERIFY(pid > 0);
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindowOf(pid, QStringLiteral("LumetraII")), 15000);

        QCOMPARE(lumetra.state(), QProcess::Running);
        QCOMPARE(::kill(pid, signalNumber), 0);
        QVERIFY(lumetra.waitForFinished(10000));
        QCOMPARE(lumetra.exitStatus(), QProcess::NormalExit);
        QCOMPARE(lumetra.exitCode(), 0);

        ConfigStore saved(config());
        QVERIFY(saved.load());
        QFile file(config());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString xml = QString::fromUtf8(file.readAll());
        QVERIFY2(xml.contains(QStringLiteral("<LastCloseDate>")
                     + QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"))),
            qPrintable(xml));
        QCOMPARE(saved.cards().size(), 1);
        QCOMPARE(saved.cards().first().GpuName, QStringLiteral("GeForce GTX 1070 Ti"));
        GeneralSettingRecord general;
        QVERIFY(saved.getGeneralSetting(general));
        QCOMPARE(general.Language, QStringLiteral("lang_en"));
        QCOMPARE(general.RefreshTimeOfMonitor, 3);
    }
};

QTEST_MAIN(TestQuitBySignal)
#include "tst_quitbysignal.moc"
