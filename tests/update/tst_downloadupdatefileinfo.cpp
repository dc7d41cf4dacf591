#include "httpstestserver.h"
#include "korvo_downloadupdatefileinfo.h"
#include "testfiles.h"
#include "updateserver.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

/// The manifest download against a real HTTPS server on loopback: only a whole 200 answer over a verified
/// connection writes temp/update_info.xml; everything else is a failure that leaves no file and lets the
/// next start work.
class TestDownloadUpdateFileInfo : public QObject
{
    Q_OBJECT

private:
    /// Runs one download and returns its result; false also when it does not end within timeoutMs.
    static bool download(Korvo_DownloadUpdateFileInfo &downloader, int timeoutMs = 30000)
    {
        QSignalSpy finished(&downloader, &Korvo_DownloadUpdateFileInfo::downloadFinished);
        downloader.startDownload();
        if (finished.isEmpty() && !finished.wait(timeoutMs))
            return false;
        return finished.size() == 1 && finished.first().first().toBool();
    }

    const QByteArray Manifest = "<Update><CurrentVersion Value=\"1.0.2.5\"/></Update>";
    const QString ManifestPath = QStringLiteral("/update_packets/Lumetra2_UpdateFiles/update_info.xml");

private slots:
    void cleanup() { HttpsTestServer::clearEnvironment(); }

    void urlFromTheEnvironment()
    {
        HttpsTestServer::clearEnvironment();
        QCOMPARE(UpdateServer::manifestUrl(),
            QStringLiteral(
                "https://update.ostrand.example/update_packets/Lumetra2_UpdateFiles/update_info.xml"));
        qputenv("LUMETRA_UPDATE_SERVER", "https://127.0.0.1:9/base/");
        QCOMPARE(UpdateServer::manifestUrl(),
            QStringLiteral("https://127.0.0.1:9/base/update_packets/Lumetra2_UpdateFiles/update_info.xml"));
        QTemporaryDir folder;
        QCOMPARE(Korvo_DownloadUpdateFileInfo(folder.path()).url(), UpdateServer::manifestUrl());
    }

    void downloadsTheManifest()
    {
        QTemporaryDir root;
        QTemporaryDir folder;
        QVERIFY(TestFiles::write(root.path() + ManifestPath, Manifest));
        QVERIFY(TestFiles::write(folder.filePath(QStringLiteral("temp/update_info.xml")), "stale manifest"));
        HttpsTestServer server;
        QVERIFY2(server.start(root.path()), qPrintable(server.errorString()));
        server.exportEnvironment();

        Korvo_DownloadUpdateFileInfo downloader(folder.path());
        QCOMPARE(downloader.state(), int(Korvo_DownloadUpdateFileInfo::Idle));
        QVERIFY(download(downloader));
        QCOMPARE(downloader.state(), int(Korvo_DownloadUpdateFileInfo::Done));
        QCOMPARE(TestFiles::read(folder.filePath(QStringLiteral("temp/update_info.xml"))), Manifest);
        // A second check downloads again.
        QVERIFY(TestFiles::write(root.path() + ManifestPath, "<Update/>"));
        QVERIFY(download(downloader));
        QCOMPARE(TestFiles::read(folder.filePath(QStringLiteral("temp/update_info.xml"))),
            QByteArray("<Update/>"));
    }

    void failuresLeaveNoFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("404") << "404";
        QTest::newRow("untrusted certificate") << "untrusted";
        QTest::newRow("redirect to plain http") << "insecure redirect";
        QTest::newRow("too large") << "too large";
        QTest::newRow("connection refused") << "refused";
    }

    void failuresLeaveNoFile()
    {
        QFETCH(QString, kind);
        QTemporaryDir root;
        QTemporaryDir folder;
        QVERIFY(TestFiles::write(folder.filePath(QStringLiteral("temp/update_info.xml")), "stale manifest"));
        HttpsTestServer server;
        HttpsTestServer stranger;
        if (kind == QLatin1String("insecure redirect"))
            server.addRedirect(ManifestPath, QStringLiteral("http://127.0.0.1:1/update_info.xml"));
        if (kind != QLatin1String("404"))
            QVERIFY(TestFiles::write(root.path() + ManifestPath,
                kind == QLatin1String("too large") ? "<Update>" + QByteArray(1100 * 1024, ' ') + "</Update>"
                                                   : Manifest));
        QVERIFY2(server.start(root.path()), qPrintable(server.errorString()));
        server.exportEnvironment();
        if (kind == QLatin1String("untrusted")) {
            QVERIFY2(stranger.start(root.path()), qPrintable(stranger.errorString()));
            qputenv("LUMETRA_UPDATE_CA_FILE", QFile::encodeName(stranger.caFile()));
        }
        if (kind == QLatin1String("refused"))
            server.stop();

        Korvo_DownloadUpdateFileInfo downloader(folder.path());
        QVERIFY(!download(downloader));
        QCOMPARE(downloader.state(), int(Korvo_DownloadUpdateFileInfo::Failed));
        QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("temp/update_info.xml"))));
        QVERIFY(QFileInfo(folder.filePath(QStringLiteral("temp"))).isDir());
    }

    void safeRedirectIsFollowed()
    {
        QTemporaryDir root;
        QTemporaryDir folder;
        QVERIFY(TestFiles::write(root.filePath(QStringLiteral("moved.xml")), Manifest));
        HttpsTestServer server;
        server.addRedirect(ManifestPath, QStringLiteral("/moved.xml"));
        QVERIFY2(server.start(root.path()), qPrintable(server.errorString()));
        server.exportEnvironment();
        Korvo_DownloadUpdateFileInfo downloader(folder.path());
        QVERIFY(download(downloader));
        QCOMPARE(TestFiles::read(folder.filePath(QStringLiteral("temp/update_info.xml"))), Manifest);
    }

    void stalledServerTimesOutAndTheNextStartWorks_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("accepts and never answers") << int(HttpsTestServer::Stall::AcceptOnly);
        QTest::newRow("half a body") << int(HttpsTestServer::Stall::PartialBody);
    }

    void stalledServerTimesOutAndTheNextStartWorks()
    {
        QFETCH(int, mode);
        QTemporaryDir root;
        QTemporaryDir folder;
        QVERIFY(TestFiles::write(root.path() + ManifestPath, Manifest));
        HttpsTestServer stalled;
        QVERIFY2(stalled.startStalled(HttpsTestServer::Stall(mode)), qPrintable(stalled.errorString()));
        stalled.exportEnvironment();

        Korvo_DownloadUpdateFileInfo downloader(folder.path());
        QCOMPARE(downloader.transferTimeoutMs(), 30000);
        downloader.setTransferTimeoutMs(1000);
        QSignalSpy finished(&downloader, &Korvo_DownloadUpdateFileInfo::downloadFinished);
        downloader.startDownload();
        QCOMPARE(downloader.state(), int(Korvo_DownloadUpdateFileInfo::Running));
        // A start while the download runs is ignored.
        downloader.startDownload();
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toBool(), false);
        QCOMPARE(stalled.stalledConnections(), 1);
        QVERIFY(!QFile::exists(downloader.localPath()));

        // The hung request no longer blocks: the next start reaches a working server.
        HttpsTestServer working;
        QVERIFY2(working.start(root.path()), qPrintable(working.errorString()));
        downloader.setUrl(working.baseUrl() + ManifestPath);
        qputenv("LUMETRA_UPDATE_CA_FILE", QFile::encodeName(working.caFile()));
        QVERIFY(download(downloader));
        QCOMPARE(TestFiles::read(downloader.localPath()), Manifest);
    }

    void unwritableTempFails()
    {
        QTemporaryDir folder;
        QVERIFY(
            TestFiles::write(folder.filePath(QStringLiteral("temp")), "a file where the folder should be"));
        qputenv("LUMETRA_UPDATE_SERVER", "https://127.0.0.1:1");
        Korvo_DownloadUpdateFileInfo downloader(folder.path());
        QSignalSpy finished(&downloader, &Korvo_DownloadUpdateFileInfo::downloadFinished);
        downloader.startDownload();
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toBool(), false);
        QCOMPARE(downloader.state(), int(Korvo_DownloadUpdateFileInfo::Failed));
        QCOMPARE(TestFiles::read(folder.filePath(QStringLiteral("temp"))),
            QByteArray("a file where the folder should be"));
    }
};

QTEST_GUILESS_MAIN(TestDownloadUpdateFileInfo)
#include "tst_downloadupdatefileinfo.moc"
