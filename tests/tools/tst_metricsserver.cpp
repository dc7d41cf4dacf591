#include "cardreport.h"
#include "metricsexporter.h"
#include "metricsserver.h"
#include "nvapiids.h"
#include "simulatedcard.h"

#include <QElapsedTimer>
#include <QTcpSocket>
#include <QtTest>

#include <memory>
#include <vector>

// The exporter's HTTP server against what a network gives it: the one path
// and method it answers, requests that are too large, idle or trickling
// clients, two hundred at once, and a card that stops answering; scrapes are
// answered from the last sample and never reach the card.
class TestMetricsServer : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<SimulatedCard> m_card;
    std::unique_ptr<CardReport> m_report;
    std::unique_ptr<MetricsServer> m_server;
    std::unique_ptr<MetricsExporter> m_exporter;

    void startExporter(int intervalMs)
    {
        m_report = std::make_unique<CardReport>(false);
        m_server = std::make_unique<MetricsServer>();
        QVERIFY(m_server->listen(QHostAddress::LocalHost, 0));
        MetricsExporter::Options options;
        options.intervalMs = intervalMs;
        m_exporter = std::make_unique<MetricsExporter>(*m_report, m_server.get(), options, nullptr);
        m_exporter->start();
    }

    /// Sends the request (in pieces `pauseMs` apart when asked) and returns all the answer,
    /// running the event loop meanwhile so that the server in this thread can answer.
    QByteArray exchange(const QByteArray &request, int timeoutMs = 5000)
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_server->port());
        QByteArray answer;
        bool sent = false;
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutMs) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            if (!sent && socket.state() == QAbstractSocket::ConnectedState) {
                socket.write(request);
                sent = true;
            }
            answer += socket.readAll();
            if (sent && socket.state() == QAbstractSocket::UnconnectedState)
                break;
        }
        return answer + socket.readAll();
    }

    static QByteArray status(const QByteArray &answer) { return answer.left(answer.indexOf("\r\n")); }

private slots:
    void init() { m_card = std::make_unique<SimulatedCard>(SimulatedCard::Dynamics::Frozen); }

    void cleanup()
    {
        m_exporter.reset();
        m_server.reset();
        m_report.reset();
        m_card.reset();
    }

    void scrapesAreAnsweredFromTheLastSample()
    {
        startExporter(60000);
        const int before = sim().callCount(NvApiId::GpuGetThermalSettings);
        for (int i = 0; i < 20; ++i) {
            const QByteArray answer = exchange("GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n");
            QCOMPARE(status(answer), QByteArray("HTTP/1.1 200 OK"));
            QVERIFY(answer.contains("Content-Type: text/plain; version=0.0.4; charset=utf-8\r\n"));
            QVERIFY(answer.contains("\nlumetra_up 1\n"));
            QVERIFY(answer.contains(
                "lumetra_gpu_temperature_celsius{gpu=\"0\",pci_bus=\"0000:01:00.0\",sensor=\"gpu\"}"));
        }
        QCOMPARE(sim().callCount(NvApiId::GpuGetThermalSettings), before);
        QCOMPARE(m_server->scrapes(), 20);
    }

    void onlyGetMetrics_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("other path") << QByteArray("GET / HTTP/1.1\r\n\r\n")
                                    << QByteArray("HTTP/1.1 404 Not Found");
        QTest::newRow("query string")
            << QByteArray("GET /metrics?x=1 HTTP/1.0\r\n\r\n") << QByteArray("HTTP/1.1 200 OK");
        QTest::newRow("POST") << QByteArray("POST /metrics HTTP/1.1\r\nContent-Length: 0\r\n\r\n")
                              << QByteArray("HTTP/1.1 405 Method Not Allowed");
        QTest::newRow("HEAD") << QByteArray("HEAD /metrics HTTP/1.1\r\n\r\n")
                              << QByteArray("HTTP/1.1 405 Method Not Allowed");
        QTest::newRow("garbage") << QByteArray("\x01\x02\x03\r\n\r\n")
                                 << QByteArray("HTTP/1.1 400 Bad Request");
        QTest::newRow("too large") << QByteArray("GET /metrics HTTP/1.1\r\nX: " + QByteArray(9000, 'a'))
                                   << QByteArray("HTTP/1.1 431 Request Header Fields Too Large");
    }
    void onlyGetMetrics()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, expected);
        startExporter(60000);
        const QByteArray answer = exchange(request);
        QCOMPARE(status(answer), expected);
        if (expected.contains("405"))
            QVERIFY(answer.contains("Allow: GET\r\n"));
    }

    void idleAndTricklingClientsAreDropped()
    {
        startExporter(50);
        m_server->setRequestDeadlineMs(400);
        QTcpSocket idle;
        idle.connectToHost(QHostAddress::LocalHost, m_server->port());
        QTcpSocket trickle;
        trickle.connectToHost(QHostAddress::LocalHost, m_server->port());
        QTRY_VERIFY(idle.state() == QAbstractSocket::ConnectedState
            && trickle.state() == QAbstractSocket::ConnectedState);
        const int samplesBefore = m_exporter->samples();
        const QByteArray request = "GET /metrics HTTP/1.1\r\nHost: a-very-slow-client\r\n\r\n";
        QElapsedTimer timer;
        timer.start();
        int sent = 0;
        // One byte every 50 ms: the whole request would take 2.5 s, past the deadline.
        while (timer.elapsed() < 3000 && trickle.state() == QAbstractSocket::ConnectedState
            && sent < request.size()) {
            trickle.write(request.mid(sent++, 1));
            QTest::qWait(50);
        }
        QTRY_COMPARE_WITH_TIMEOUT(trickle.state(), QAbstractSocket::UnconnectedState, 2000);
        QVERIFY(!trickle.readAll().startsWith("HTTP/1.1 200"));
        QTRY_COMPARE_WITH_TIMEOUT(idle.state(), QAbstractSocket::UnconnectedState, 2000);
        // Sampling went on all the while, and others were served.
        QVERIFY(m_exporter->samples() > samplesBefore + 5);
        QCOMPARE(status(exchange("GET /metrics HTTP/1.1\r\n\r\n")), QByteArray("HTTP/1.1 200 OK"));
        QTRY_COMPARE(m_server->openConnections(), 0);
    }

    void twoHundredClientsAtOnce()
    {
        startExporter(60000);
        std::vector<std::unique_ptr<QTcpSocket>> clients;
        for (int i = 0; i < 200; ++i) {
            clients.push_back(std::make_unique<QTcpSocket>());
            clients.back()->connectToHost(QHostAddress::LocalHost, m_server->port());
        }
        QTRY_VERIFY_WITH_TIMEOUT(
            std::all_of(clients.begin(), clients.end(),
                [](const auto &c) { return c->state() == QAbstractSocket::ConnectedState; }),
            10000);
        for (auto &client : clients)
            client->write("GET /metrics HTTP/1.1\r\n\r\n");
        std::vector<QByteArray> answers(clients.size());
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                bool all = true;
                for (std::size_t i = 0; i < clients.size(); ++i) {
                    answers[i] += clients[i]->readAll();
                    all = all && answers[i].contains("\nlumetra_up 1\n");
                }
                return all;
            }(),
            10000);
        for (const QByteArray &answer : answers)
            QCOMPARE(status(answer), QByteArray("HTTP/1.1 200 OK"));
    }

    void aCardThatStopsAnsweringLosesItsSeries()
    {
        startExporter(60000);
        QVERIFY(
            m_exporter->lastExposition().contains("lumetra_gpu_up{gpu=\"0\",pci_bus=\"0000:01:00.0\"} 1"));
        sim().failCalls(NvApiId::GpuGetFullName, NvApiStatus::HandleInvalidated);
        sim().failCalls(NvApiId::GpuGetMemoryInfo, NvApiStatus::HandleInvalidated);
        m_exporter->sampleOnce();
        const QByteArray answer = exchange("GET /metrics HTTP/1.1\r\n\r\n");
        QCOMPARE(status(answer), QByteArray("HTTP/1.1 200 OK"));
        QVERIFY(answer.contains("lumetra_gpu_up{gpu=\"0\",pci_bus=\"0000:01:00.0\"} 0"));
        QVERIFY(answer.contains("\nlumetra_up 0\n"));
        QVERIFY(!answer.contains("lumetra_gpu_temperature_celsius"));
        // Back again: its series return.
        sim().clearFaults();
        m_exporter->sampleOnce();
        QVERIFY(m_exporter->lastExposition().contains("lumetra_gpu_temperature_celsius"));
    }
};

QTEST_GUILESS_MAIN(TestMetricsServer)
#include "tst_metricsserver.moc"
