#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <memory>

// lumetra-info's exporter against the real parts a person runs: Debian's
// Prometheus scraping it, promtool checking what it says, and Debian's
// node_exporter reading its textfile; each on free loopback ports, started and
// stopped by the test, over the simulated driver's three cards.
class TestPrometheus : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::vector<std::unique_ptr<QProcess>> m_processes;

    static quint16 freePort()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return probe.serverPort();
    }

    /// Two cards of the maker and another maker's, their readings frozen: every process reads the same.
    static QString cardFile()
    {
        static QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("cards.xml"));
        QFile file(path);
        if (!file.exists() && file.open(QIODevice::WriteOnly))
            file.write("<simulatedCards>\n"
                       "  <card frozen=\"true\" phase=\"0\"/>\n"
                       "  <card frozen=\"true\" phase=\"2\"/>\n"
                       "  <card name=\"GeForce RTX 2060\" frozen=\"true\" phase=\"4\">\n"
                       "    <identity deviceId=\"0x1F0810DE\" subsystemId=\"0x20607E57\"/>\n"
                       "  </card>\n"
                       "</simulatedCards>\n");
        return path;
    }

    static QProcessEnvironment environment()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LUMETRA_NVAPI_LIBRARY"), QStringLiteral(SIM_LIBRARY_PATH));
        env.insert(QStringLiteral("LUMETRA_SIM_CARDS"), cardFile());
        return env;
    }

    QProcess *start(const QString &program, const QStringList &arguments)
    {
        m_processes.push_back(std::make_unique<QProcess>());
        QProcess *process = m_processes.back().get();
        process->setProcessEnvironment(environment());
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(program, arguments);
        return process;
    }

    /// One HTTP GET on loopback; the body, or empty when nothing answered.
    static QByteArray get(quint16 port, const QByteArray &target)
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        if (!socket.waitForConnected(1000))
            return QByteArray();
        socket.write("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
        QByteArray answer;
        while (socket.waitForReadyRead(3000))
            answer += socket.readAll();
        answer += socket.readAll();
        const int body = answer.indexOf("\r\n\r\n");
        if (!answer.startsWith("HTTP/1.1 200") || body < 0)
            return QByteArray();
        QByteArray content = answer.mid(body + 4);
        // Prometheus's API answers chunked: the JSON object lies between the first '{' and the last '}'.
        if (target.startsWith("/api/"))
            content = content.mid(content.indexOf('{'), content.lastIndexOf('}') - content.indexOf('{') + 1);
        return content;
    }

    /// Prometheus's answer to an instant query: the vector's samples by pci_bus.
    static QMap<QString, double> query(quint16 port, const QString &promql)
    {
        const QByteArray target = "/api/v1/query?query=" + QUrl::toPercentEncoding(promql);
        const QJsonObject answer = QJsonDocument::fromJson(get(port, target)).object();
        QMap<QString, double> values;
        for (const QJsonValue &sample : answer[QStringLiteral("data")][QStringLiteral("result")].toArray()) {
            const QJsonObject o = sample.toObject();
            values.insert(o[QStringLiteral("metric")][QStringLiteral("pci_bus")].toString(),
                o[QStringLiteral("value")].toArray().at(1).toString().toDouble());
        }
        return values;
    }

    /// The GPU temperature of each card by its PCI bus, as lumetra-info --json prints it.
    static QMap<QString, int> temperaturesFromJson()
    {
        QProcess info;
        info.setProcessEnvironment(environment());
        info.start(QStringLiteral(LUMETRA_INFO_PATH), { QStringLiteral("--json") });
        info.waitForFinished(20000);
        QMap<QString, int> temperatures;
        const QJsonArray cards
            = QJsonDocument::fromJson(info.readAllStandardOutput()).object()["cards"].toArray();
        for (const QJsonValue &card : cards) {
            const QJsonObject o = card.toObject();
            temperatures.insert(
                QStringLiteral("0000:%1:00.0").arg(o["index"].toInt() + 1, 2, 10, QLatin1Char('0')),
                o["nvCardBaseInfo"].toObject()["temperature"].toObject()["current"].toInt());
        }
        return temperatures;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void cleanup()
    {
        for (auto &process : m_processes) {
            process->terminate();
            if (!process->waitForFinished(5000))
                process->kill();
            process->waitForFinished(2000);
        }
        m_processes.clear();
    }

    void prometheusScrapesTheExporter()
    {
        const quint16 exporterPort = freePort();
        start(QStringLiteral(LUMETRA_INFO_PATH),
            { QStringLiteral("--serve"), QStringLiteral("127.0.0.1:%1").arg(exporterPort),
                QStringLiteral("--watch"), QStringLiteral("1") });
        QTRY_VERIFY_WITH_TIMEOUT(!get(exporterPort, "/metrics").isEmpty(), 10000);

        // promtool reads the exposition as Prometheus's own parser does.
        QProcess promtool;
        promtool.start(QStringLiteral("promtool"), { QStringLiteral("check"), QStringLiteral("metrics") });
        QVERIFY(promtool.waitForStarted(5000));
        promtool.write(get(exporterPort, "/metrics"));
        promtool.closeWriteChannel();
        QVERIFY(promtool.waitForFinished(10000));
        QVERIFY2(promtool.exitCode() == 0, promtool.readAllStandardError().constData());

        const quint16 prometheusPort = freePort();
        QFile config(m_dir.filePath(QStringLiteral("prometheus.yml")));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(QStringLiteral("global:\n  scrape_interval: 1s\nscrape_configs:\n  - job_name: lumetra\n"
                                    "    static_configs:\n      - targets: ['127.0.0.1:%1']\n")
                         .arg(exporterPort)
                         .toUtf8());
        config.close();
        start(QStringLiteral("prometheus"),
            { QStringLiteral("--config.file=") + config.fileName(),
                QStringLiteral("--storage.tsdb.path=") + m_dir.filePath(QStringLiteral("tsdb")),
                QStringLiteral("--web.listen-address=127.0.0.1:%1").arg(prometheusPort) });
        // Two scrapes at least before the values are compared.
        QTRY_VERIFY_WITH_TIMEOUT(
            query(prometheusPort, QStringLiteral("count_over_time(lumetra_up[1m])")).size() == 1
                && query(prometheusPort, QStringLiteral("count_over_time(lumetra_up[1m])")).first() >= 2,
            45000);
        const QMap<QString, double> scraped
            = query(prometheusPort, QStringLiteral("lumetra_gpu_temperature_celsius{sensor=\"gpu\"}"));
        const QMap<QString, int> printed = temperaturesFromJson();
        QCOMPARE(scraped.size(), 3);
        QCOMPARE(scraped.keys(), printed.keys());
        for (const QString &bus : printed.keys())
            QVERIFY2(scraped.value(bus) == printed.value(bus),
                qPrintable(
                    QStringLiteral("%1: %2 / %3").arg(bus).arg(scraped.value(bus)).arg(printed.value(bus))));
    }

    // The example configuration and alert rules of tools/prometheus are what promtool accepts, and the
    // alerts fire when they should (their unit test beside them).
    void exampleConfigurationAndAlerts_data()
    {
        QTest::addColumn<QStringList>("arguments");
        const QString folder = QStringLiteral(PROMETHEUS_EXAMPLES);
        QTest::newRow("scrape configuration")
            << QStringList { "check", "config", folder + "/prometheus.yml" };
        QTest::newRow("alert rules") << QStringList { "check", "rules", folder + "/lumetra-alerts.yml" };
        QTest::newRow("alerts fire") << QStringList { "test", "rules", folder + "/lumetra-alerts.test.yml" };
    }
    void exampleConfigurationAndAlerts()
    {
        QFETCH(QStringList, arguments);
        QProcess promtool;
        promtool.start(QStringLiteral("promtool"), arguments);
        QVERIFY(promtool.waitForFinished(20000));
        QVERIFY2(promtool.exitCode() == 0, promtool.readAll().constData());
    }

    void nodeExporterReadsTheTextfile()
    {
        const QString folder = m_dir.filePath(QStringLiteral("textfile"));
        QVERIFY(QDir().mkpath(folder));
        start(QStringLiteral(LUMETRA_INFO_PATH),
            { QStringLiteral("--textfile"), folder, QStringLiteral("--watch"), QStringLiteral("1") });
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folder + QStringLiteral("/lumetra.prom")), 10000);
        const quint16 port = freePort();
        start(QStringLiteral("prometheus-node-exporter"),
            { QStringLiteral("--web.listen-address=127.0.0.1:%1").arg(port),
                QStringLiteral("--collector.disable-defaults"), QStringLiteral("--collector.textfile"),
                QStringLiteral("--collector.textfile.directory=") + folder });
        QByteArray metrics;
        QTRY_VERIFY_WITH_TIMEOUT(!(metrics = get(port, "/metrics")).isEmpty(), 10000);
        for (int card = 0; card < 3; ++card)
            QVERIFY(metrics.contains(QStringLiteral(
                "lumetra_gpu_temperature_celsius{gpu=\"%1\",pci_bus=\"0000:%2:00.0\",sensor=\"gpu\"}")
                                         .arg(card)
                                         .arg(card + 1, 2, 10, QLatin1Char('0'))
                                         .toUtf8()));
        // The collector read the file without an error.
        QVERIFY(metrics.contains("node_textfile_scrape_error 0"));
    }
};

QTEST_GUILESS_MAIN(TestPrometheus)
#include "tst_prometheus.moc"
