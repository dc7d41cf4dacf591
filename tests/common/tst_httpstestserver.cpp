#include "httpstestserver.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QSslConfiguration>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

/// The fixture itself: only the throwaway CA makes the server trusted, files come back whole, a missing
/// file is a 404, a redirect is a 301, and both stalled modes hang instead of answering.
class TestHttpsTestServer : public QObject
{
    Q_OBJECT

private:
    struct Result
    {
        bool finished = false;
        QNetworkReply::NetworkError error = QNetworkReply::NoError;
        int status = 0;
        QByteArray body;
        qint64 received = 0;
    };

    Result get(const QString &url, const QString &caFile, int timeoutMs = 10000)
    {
        QNetworkRequest request { QUrl(url) };
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        if (!caFile.isEmpty()) {
            QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
            ssl.addCaCertificates(caFile);
            request.setSslConfiguration(ssl);
        }
        // A fresh manager each time: a kept-alive connection would skip the handshake being tested.
        QNetworkAccessManager manager;
        std::unique_ptr<QNetworkReply> reply(manager.get(request));
        Result result;
        connect(reply.get(), &QNetworkReply::downloadProgress, this,
            [&result](qint64 received, qint64) { result.received = received; });
        QSignalSpy finished(reply.get(), &QNetworkReply::finished);
        result.finished = finished.wait(timeoutMs);
        result.error = reply->error();
        result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        result.body = reply->readAll();
        if (!result.finished)
            reply->abort();
        return result;
    }

private slots:
    void servesFilesToAClientThatTrustsTheCa()
    {
        QTemporaryDir root;
        QFile file(root.filePath(QStringLiteral("update_info.xml")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<Update/>");
        file.close();
        HttpsTestServer server;
        QVERIFY2(server.start(root.path()), qPrintable(server.errorString()));
        QVERIFY(server.baseUrl().startsWith(QStringLiteral("https://127.0.0.1:")));

        const Result trusted = get(server.baseUrl() + QStringLiteral("/update_info.xml"), server.caFile());
        QVERIFY(trusted.finished);
        QCOMPARE(trusted.error, QNetworkReply::NoError);
        QCOMPARE(trusted.status, 200);
        QCOMPARE(trusted.body, QByteArray("<Update/>"));

        const Result missing = get(server.notFoundUrl(), server.caFile());
        QCOMPARE(missing.status, 404);
        QVERIFY(missing.error != QNetworkReply::NoError);

        const Result untrusted = get(server.baseUrl() + QStringLiteral("/update_info.xml"), QString());
        QVERIFY(untrusted.finished);
        QCOMPARE(untrusted.error, QNetworkReply::SslHandshakeFailedError);
        QVERIFY(untrusted.body.isEmpty());
    }

    void anotherFixturesCaIsNotTrusted()
    {
        QTemporaryDir root;
        HttpsTestServer server;
        HttpsTestServer other;
        QVERIFY2(server.start(root.path()), qPrintable(server.errorString()));
        QVERIFY2(other.start(root.path()), qPrintable(other.errorString()));
        QCOMPARE(get(server.notFoundUrl(), other.caFile()).error, QNetworkReply::SslHandshakeFailedError);
    }

    void answersARedirect()
    {
        QTemporaryDir root;
        HttpsTestServer server;
        server.addRedirect(QStringLiteral("/moved.xml"), QStringLiteral("https://127.0.0.1:1/elsewhere.xml"));
        QVERIFY2(server.start(root.path()), qPrintable(server.errorString()));
        const Result moved = get(server.baseUrl() + QStringLiteral("/moved.xml"), server.caFile());
        QCOMPARE(moved.status, 301);
    }

    void stopEndsTheServer()
    {
        QTemporaryDir root;
        HttpsTestServer server;
        QVERIFY2(server.start(root.path()), qPrintable(server.errorString()));
        const QString url = server.notFoundUrl();
        server.stop();
        const Result gone = get(url, server.caFile());
        QVERIFY(gone.finished);
        QCOMPARE(gone.error, QNetworkReply::ConnectionRefusedError);
    }

    void acceptOnlyNeverAnswers()
    {
        HttpsTestServer server;
        QVERIFY2(server.startStalled(HttpsTestServer::Stall::AcceptOnly), qPrintable(server.errorString()));
        const Result hung = get(server.baseUrl() + QStringLiteral("/update_info.xml"), server.caFile(), 1500);
        QVERIFY(!hung.finished);
        QCOMPARE(server.stalledConnections(), 1);
    }

    void partialBodyStallsAfterHalf()
    {
        HttpsTestServer server;
        QVERIFY2(server.startStalled(HttpsTestServer::Stall::PartialBody), qPrintable(server.errorString()));
        const Result hung = get(server.baseUrl() + QStringLiteral("/update_info.xml"), server.caFile(), 2000);
        QVERIFY(!hung.finished);
        QCOMPARE(hung.received, qint64(2048));
    }
};

QTEST_GUILESS_MAIN(TestHttpsTestServer)
#include "tst_httpstestserver.moc"
