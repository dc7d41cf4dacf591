#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include <sys/stat.h>

/// Runs the real lumetra-info against the real simulated driver library.
class TestLumetraInfo : public QObject
{
    Q_OBJECT

    struct Run
    {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };

    static Run run(const QStringList &args, const QString &library, const QString &cards = QString())
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("LUMETRA_NVAPI_LIBRARY");
        env.remove("LUMETRA_SIM_CARDS");
        if (!library.isNull())
            env.insert("LUMETRA_NVAPI_LIBRARY", library);
        if (!cards.isNull())
            env.insert("LUMETRA_SIM_CARDS", cards);
        process.setProcessEnvironment(env);
        process.start(LUMETRA_INFO_PATH, args);
        Run r;
        if (!process.waitForFinished(20000)) {
            process.kill();
            process.waitForFinished();
            return r;
        }
        r.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        r.out = process.readAllStandardOutput();
        r.err = process.readAllStandardError();
        return r;
    }

    static QJsonArray cardsOf(const QByteArray &json)
    {
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
        if (error.error != QJsonParseError::NoError)
            qWarning() << error.errorString() << json;
        return doc.object().value("cards").toArray();
    }

private slots:
    void threeCardsAsJson()
    {
        const Run r = run({ "--json" }, SIM_LIBRARY_PATH, THREE_CARDS_PATH);
        QCOMPARE(r.exitCode, 0);
        const QJsonArray cards = cardsOf(r.out);
        QCOMPARE(cards.size(), 3);
        const QJsonObject first = cards[0].toObject();
        const QJsonObject second = cards[1].toObject();
        const QJsonObject third = cards[2].toObject();
        QCOMPARE(first.value("name").toString(), QString("GeForce GTX 1070 Ti"));
        QCOMPARE(second.value("name").toString(), QString("GeForce GTX 1070 Ti"));
        QCOMPARE(third.value("name").toString(), QString("GeForce RTX 2060"));
        QCOMPARE(qint64(first.value("subSystemId").toDouble()), qint64(0x111E1D17));
        QCOMPARE(qint64(third.value("subSystemId").toDouble()), qint64(0x20607E57));
        QCOMPARE(first.value("memorySize").toString(), QString("8192MB"));
        QCOMPARE(first.value("memoryType").toString(), QString("GDDR5"));
        QCOMPARE(first.value("memoryBandwidth").toString(), QString("256.3GB/s"));
        QCOMPARE(third.value("memorySize").toString(), QString("6144MB"));
        QCOMPARE(third.value("memoryType").toString(), QString("GDDR6"));
        for (const QJsonValue &card : cards)
            QCOMPARE(card.toObject().value("driverVersion").toString(), QString("411.09"));

        const QJsonObject live = first.value("nvCardBaseInfo").toObject();
        for (const char *member : { "gpuClock", "memoryClock", "fanSpeed", "temperature", "memoryUsage",
                 "gpuUsage", "memoryAmount" }) {
            const QJsonObject value = live.value(member).toObject();
            for (const char *field : { "maximum", "minimum", "current", "rangeTop", "rangeBottom" })
                QVERIFY2(value.contains(field), member);
        }
        QCOMPARE(live.value("memoryAmount").toObject().value("rangeTop").toInt(), 8192);
        QCOMPARE(first.value("boardTempCompleteInfo")
                     .toObject()
                     .value("sensor4")
                     .toObject()
                     .value("rangeTop")
                     .toInt(),
            100);
        // Without --probe nothing is written to the card, so nothing is said about it.
        QVERIFY(!first.contains("hasLed"));
        QCOMPARE(first.value("ledKind").toInt(), 3);
    }

    void probeSaysWhichDevicesAnswered()
    {
        const Run r = run({ "--json", "--probe" }, SIM_LIBRARY_PATH, THREE_CARDS_PATH);
        QCOMPARE(r.exitCode, 0);
        const QJsonArray cards = cardsOf(r.out);
        QCOMPARE(cards.size(), 3);
        QCOMPARE(cards[0].toObject().value("hasLed").toBool(), true);
        QCOMPARE(cards[0].toObject().value("hasLcd").toBool(), true);
        QCOMPARE(cards[2].toObject().value("hasLed").toBool(), false);
        QCOMPARE(cards[2].toObject().value("hasLcd").toBool(), false);
        QVERIFY(!cards[2].toObject().contains("ledKind"));
    }

    void noLibraryNoCard()
    {
        Run r = run({}, QString());
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out.trimmed(), QByteArray("No nvidia card found"));
        // A relative path is never searched for.
        r = run({ "--json" }, "libnvapi-sim.so");
        QCOMPARE(r.exitCode, 1);
    }

    void brokenCardFileGivesNoCardsAndAMessage()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("broken.xml");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<simulatedCards><card name=\"x\"");
        file.close();
        const Run r = run({}, SIM_LIBRARY_PATH, path);
        QCOMPARE(r.exitCode, 1);
        QVERIFY(!r.err.isEmpty());
    }

    void libraryThatCannotLoadSaysWhy_data()
    {
        QTest::addColumn<QString>("library");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not a library") << "/etc/passwd"
                                       << "/etc/passwd: invalid ELF header";
        QTest::newRow("missing") << "/no/such/libnvapi.so"
                                 << "No such file or directory";
        QTest::newRow("directory") << "/etc"
                                   << "not a regular file";
        QTest::newRow("device") << "/dev/zero"
                                << "not a regular file";
        QTest::newRow("relative") << "libnvapi-sim.so"
                                  << "not an absolute path";
    }

    void libraryThatCannotLoadSaysWhy()
    {
        QFETCH(QString, library);
        QFETCH(QString, reason);
        const Run r = run({}, library);
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out.trimmed(), QByteArray("No nvidia card found"));
        // One line, however often the program asks the binding while nothing is loaded.
        const QList<QByteArray> lines = r.err.trimmed().split('\n');
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].contains(library.toLocal8Bit()), r.err.constData());
        QVERIFY2(lines[0].contains(reason.toLocal8Bit()), r.err.constData());
    }

    void libraryThatIsAFifoDoesNotHang()
    {
        QTemporaryDir dir;
        const QString fifo = dir.filePath("libnvapi.so");
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        const Run r = run({}, fifo);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(fifo.toLocal8Bit()), r.err.constData());
        QVERIFY2(r.err.contains("not a regular file"), r.err.constData());
    }

    void cardFileThatIsNotARegularFileIsRefused_data()
    {
        QTest::addColumn<QString>("cards");
        QTest::newRow("fifo") << QString();
        QTest::newRow("endless device") << "/dev/zero";
        QTest::newRow("directory") << "/etc";
    }

    void cardFileThatIsNotARegularFileIsRefused()
    {
        QFETCH(QString, cards);
        QTemporaryDir dir;
        if (cards.isEmpty()) {
            cards = dir.filePath("cards.xml");
            QVERIFY(::mkfifo(QFile::encodeName(cards).constData(), 0600) == 0);
        }
        const Run r = run({}, SIM_LIBRARY_PATH, cards);
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out.trimmed(), QByteArray("No nvidia card found"));
        QVERIFY2(r.err.contains(cards.toLocal8Bit() + ": not a regular file"), r.err.constData());
    }

    void cardFileNumberOutOfRangeNamesFileLineAndAttribute()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("cards.xml");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<simulatedCards>\n<card name=\"A\">\n<clocks videoMhz=\"2000000000\"/>\n</card>\n"
                   "</simulatedCards>\n");
        file.close();
        const Run r = run({}, SIM_LIBRARY_PATH, path);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(path.toLocal8Bit() + ": line 3: <clocks> videoMhz=\"2000000000\" is outside"),
            r.err.constData());
    }

    void badArguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("unknown") << QStringList { "--verbose" };
        QTest::newRow("watch without value") << QStringList { "--watch" };
        QTest::newRow("watch not a number") << QStringList { "--watch", "soon" };
        QTest::newRow("watch zero") << QStringList { "--watch", "0" };
    }

    void badArguments()
    {
        QFETCH(QStringList, args);
        const Run r = run(args, SIM_LIBRARY_PATH);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.err.contains("Usage"));
    }

    void textOutputNamesTheDefaultCard()
    {
        const Run r = run({}, SIM_LIBRARY_PATH);
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.contains("Card 0: GeForce GTX 1070 Ti"));
        QVERIFY(r.out.contains("256.3GB/s"));
        QVERIFY(r.out.contains("411.09"));
    }
};

QTEST_GUILESS_MAIN(TestLumetraInfo)
#include "tst_lumetrainfo.moc"
