#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

/// The KorvoUpdate executable itself, started as a user might start it by hand.
class TestUpdaterProgram : public QObject
{
    Q_OBJECT

private:
    /// Runs the program without any display: it must not need one to decline.
    static int run(const QStringList &arguments, QByteArray *output)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral(KORVOUPDATE_PROGRAM), arguments);
        if (!process.waitForFinished(10000)) {
            process.kill();
            process.waitForFinished();
            return -1;
        }
        *output = process.readAll();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    }

private slots:
    void declinesWithoutItsCommandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no arguments") << QStringList();
        QTest::newRow("marker alone") << QStringList { "_Lumetra2" };
        QTest::newRow("language alone") << QStringList { "lang_en" };
        QTest::newRow("wrong marker") << QStringList { "_KorvoUpdate", "lang_en" };
    }

    void declinesWithoutItsCommandLine()
    {
        QFETCH(QStringList, arguments);
        QByteArray output;
        QCOMPARE(run(arguments, &output), 0);
        QVERIFY2(output.isEmpty(), output.constData());
    }
};

QTEST_GUILESS_MAIN(TestUpdaterProgram)
#include "tst_updaterprogram.moc"
