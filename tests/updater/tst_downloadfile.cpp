#include "httpstestserver.h"
#include "korvo_downloadfile.h"
#include "updatersleep.h"
#include "updatertestfolder.h"

#include <QSignalSpy>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {

QList<int> intsOf(const QSignalSpy &spy)
{
    QList<int> values;
    for (const QList<QVariant> &call : spy)
        values.append(call.at(0).toInt());
    return values;
}

/// Served archive content of a given size; not a real zip, the downloader does not look inside.
QByteArray payload(char fill, int bytes)
{
    QByteArray data(bytes, fill);
    for (int i = 0; i < bytes; i += 97)
        data[i] = char(i);
    return data;
}

} // namespace

class TestDownloadFile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root; ///< the server's document root
    HttpsTestServer m_server;

    QString serverAddress() const { return m_server.baseUrl() + QStringLiteral("/update_packets/files"); }

    ManifestFileInfo serve(const QByteArray &content)
    {
        const ManifestFileInfo entry = UpdaterTestFolder::entryFor(QString(), "f.dat", content);
        QDir().mkpath(m_root.filePath(QStringLiteral("update_packets/files")));
        QFile file(m_root.filePath(QStringLiteral("update_packets/files/") + entry.FileVersion + ".zip"));
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
        return entry;
    }

    bool download(Korvo_DownloadFile &worker, const QString &address, const ManifestFileList &files,
        QList<int> *percents = nullptr, int timeoutMs = 20000)
    {
        QSignalSpy changed(&worker, &Korvo_DownloadFile::downloadChanged);
        QSignalSpy result(&worker, &Korvo_DownloadFile::downloadResult);
        if (!worker.setServerAddress(address) || !worker.setFiles(files) || !worker.startDownload())
            return false;
        if (!result.wait(timeoutMs) || result.size() != 1)
            return false;
        if (percents)
            *percents = intsOf(changed);
        return result.at(0).at(0).toBool() && !worker.isBusy();
    }

    static QByteArray archiveOf(const UpdaterTestFolder &folder, const ManifestFileInfo &entry)
    {
        return folder.readFile(QStringLiteral("temp/") + entry.FileVersion + QStringLiteral(".zip"));
    }

private slots:
    void initTestCase()
    {
        UpdaterSleep::setTimeScale(0.01);
        QVERIFY2(m_server.start(m_root.path()), qPrintable(m_server.errorString()));
        m_server.exportEnvironment();
    }

    void threeArchivesInOrder_data()
    {
        QTest::addColumn<bool>("trailingSlash");
        QTest::newRow("without /") << false;
        QTest::newRow("with /") << true;
    }

    void threeArchivesInOrder()
    {
        QFETCH(bool, trailingSlash);
        UpdaterTestFolder folder;
        const QByteArray a = payload('a', 300000), b = payload('b', 10), c = payload('c', 70000);
        const ManifestFileList files { serve(a), serve(b), serve(c) };
        Korvo_DownloadFile worker(folder.path());
        QList<int> percents;
        QVERIFY(download(worker, serverAddress() + (trailingSlash ? "/" : ""), files, &percents));
        QCOMPARE(percents, (QList<int> { 33, 66, 100 }));
        QCOMPARE(archiveOf(folder, files.at(0)), a);
        QCOMPARE(archiveOf(folder, files.at(1)), b);
        QCOMPARE(archiveOf(folder, files.at(2)), c);
        QCOMPARE(QDir(folder.filePath("temp")).entryList(QDir::Files).size(), 3); // no partial files left
    }

    void emptyListSucceeds()
    {
        UpdaterTestFolder folder;
        Korvo_DownloadFile worker(folder.path());
        QList<int> percents;
        QVERIFY(download(worker, serverAddress(), {}, &percents));
        QVERIFY(percents.isEmpty());
    }

    void failedSecondKeepsFirstAndRetryFetchesItAgain()
    {
        UpdaterTestFolder folder;
        const QByteArray first = payload('1', 5000);
        const ManifestFileInfo one = serve(first);
        const ManifestFileInfo missing = UpdaterTestFolder::entryFor(QString(), "g.dat", "not on the server");
        Korvo_DownloadFile worker(folder.path());
        QSignalSpy result(&worker, &Korvo_DownloadFile::downloadResult);
        QList<int> percents;
        QVERIFY(!download(worker, serverAddress(), { one, missing }, &percents));
        QCOMPARE(percents, QList<int> { 50 });
        QVERIFY(!worker.isBusy());
        QCOMPARE(archiveOf(folder, one), first);
        QVERIFY(!folder.exists(QStringLiteral("temp/") + missing.FileVersion + ".zip"));
        QVERIFY(!folder.exists(QStringLiteral("temp/") + missing.FileVersion + ".zip.part"));
        // The server now has both; the local first archive is spoilt, so only a fresh fetch repairs it.
        const QByteArray second = "not on the server";
        serve(second);
        folder.writeFile(QStringLiteral("temp/") + one.FileVersion + ".zip", "spoilt");
        QVERIFY(download(worker, serverAddress(), { one, missing }));
        QCOMPARE(archiveOf(folder, one), first);
        QCOMPARE(archiveOf(folder, missing), second);
    }

    void refusesWhileBusy()
    {
        UpdaterTestFolder folder;
        Korvo_DownloadFile worker(folder.path());
        QSignalSpy result(&worker, &Korvo_DownloadFile::downloadResult);
        QVERIFY(worker.setServerAddress(serverAddress()));
        QVERIFY(worker.setFiles({ serve("x") }));
        QVERIFY(worker.startDownload());
        QVERIFY(worker.isBusy());
        QVERIFY(!worker.startDownload());
        QVERIFY(!worker.setFiles({}));
        QVERIFY(!worker.setServerAddress(QString()));
        QVERIFY(result.wait(10000));
        QVERIFY(!worker.isBusy());
    }

    void onlyStatus200Counts()
    {
        UpdaterTestFolder folder;
        const ManifestFileInfo entry = UpdaterTestFolder::entryFor(QString(), "f.dat", "moved");
        HttpsTestServer redirecting;
        QTemporaryDir root;
        redirecting.addRedirect(
            QStringLiteral("/p/") + entry.FileVersion + ".zip", serverAddress() + "/x.zip");
        QVERIFY2(redirecting.start(root.path()), qPrintable(redirecting.errorString()));
        qputenv("LUMETRA_UPDATE_CA_FILE", redirecting.caFile().toUtf8());
        Korvo_DownloadFile worker(folder.path());
        QVERIFY(!download(worker, redirecting.baseUrl() + "/p", { entry }));
        QVERIFY(!folder.exists(QStringLiteral("temp/") + entry.FileVersion + ".zip"));
        m_server.exportEnvironment();
    }

    void untrustedServerFails()
    {
        UpdaterTestFolder folder;
        const ManifestFileInfo entry = serve("trusted only");
        qunsetenv("LUMETRA_UPDATE_CA_FILE");
        Korvo_DownloadFile worker(folder.path());
        const bool ok = download(worker, serverAddress(), { entry });
        m_server.exportEnvironment();
        QVERIFY(!ok);
        QVERIFY(QDir(folder.filePath("temp")).entryList(QDir::Files).isEmpty());
    }

    void onlyWebSchemes_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("file") << QStringLiteral("file:///etc");
        QTest::newRow("ftp") << QStringLiteral("ftp://127.0.0.1");
        // A file address that reads forever: only the scheme check stops it before the download "succeeds".
        QTest::newRow("file:///dev/zero?") << QStringLiteral("file:///dev/zero?");
        QTest::newRow("relative") << QStringLiteral("update_packets");
    }

    void onlyWebSchemes()
    {
        QFETCH(QString, address);
        UpdaterTestFolder folder;
        Korvo_DownloadFile worker(folder.path());
        QVERIFY(!download(worker, address, { UpdaterTestFolder::entryFor(QString(), "f.dat", "x") }));
        QVERIFY(!worker.isBusy());
    }

    void hostileDigestIsNotUsedAsAPath()
    {
        UpdaterTestFolder folder;
        Korvo_DownloadFile worker(folder.path());
        QVERIFY(!download(worker, serverAddress(), { { "f.dat", QString(), "../../../../../../tmp/evil" } }));
        QVERIFY(!QFileInfo::exists(QStringLiteral("/tmp/evil.zip.part")));
    }

    void stalledServerFails_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("no answer") << int(HttpsTestServer::Stall::AcceptOnly);
        QTest::newRow("half a body") << int(HttpsTestServer::Stall::PartialBody);
    }

    void stalledServerFails()
    {
        QFETCH(int, mode);
        HttpsTestServer stalling;
        QVERIFY2(stalling.startStalled(HttpsTestServer::Stall(mode)), qPrintable(stalling.errorString()));
        qputenv("LUMETRA_UPDATE_CA_FILE", stalling.caFile().toUtf8());
        UpdaterTestFolder folder;
        Korvo_DownloadFile worker(folder.path());
        worker.setStallTimeoutMs(1000);
        QElapsedTimer clock;
        clock.start();
        const bool ok = download(
            worker, stalling.baseUrl(), { UpdaterTestFolder::entryFor("", "f.dat", "x") }, nullptr, 15000);
        m_server.exportEnvironment();
        QVERIFY(!ok);
        QVERIFY(clock.elapsed() < 10000);
        QVERIFY(!worker.isBusy());
        QVERIFY(QDir(folder.filePath("temp")).entryList(QDir::Files).isEmpty());
        QVERIFY(stalling.stalledConnections() >= 1);
    }

    // Servers that would keep the updater forever or fill its disk: one announcing and sending 10^12 bytes
    // (stopped at the archive bound, lowered here), one sending a byte every 200 ms (stopped by the
    // minimum rate once its grace is over; the stall clock alone never fires). Both fail within seconds
    // and leave nothing in temp/.
    void endlessAndTricklingServersFailInTime_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("endless") << int(HttpsTestServer::Stall::Endless);
        QTest::newRow("trickle") << int(HttpsTestServer::Stall::Trickle);
    }

    void endlessAndTricklingServersFailInTime()
    {
        QFETCH(int, mode);
        HttpsTestServer hostile;
        QVERIFY2(hostile.startStalled(HttpsTestServer::Stall(mode)), qPrintable(hostile.errorString()));
        qputenv("LUMETRA_UPDATE_CA_FILE", hostile.caFile().toUtf8());
        UpdaterTestFolder folder;
        Korvo_DownloadFile worker(folder.path());
        worker.setMaxArchiveBytes(8 * 1024 * 1024);
        worker.setRateGraceMs(1500);
        QElapsedTimer clock;
        clock.start();
        const bool ok = download(
            worker, hostile.baseUrl(), { UpdaterTestFolder::entryFor("", "f.dat", "x") }, nullptr, 20000);
        m_server.exportEnvironment();
        QVERIFY(!ok);
        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!worker.isBusy());
        QVERIFY(QDir(folder.filePath("temp")).entryList(QDir::Files).isEmpty());
    }

    // The install after the last archive can take minutes: the download must not report anything then
    // (its stall clock once fired in the middle of a healthy install).
    void nothingIsReportedAfterTheLastArchive()
    {
        UpdaterTestFolder folder;
        const ManifestFileInfo entry = serve(payload('s', 64 * 1024));
        Korvo_DownloadFile worker(folder.path());
        worker.setStallTimeoutMs(300);
        QSignalSpy result(&worker, &Korvo_DownloadFile::downloadResult);
        QVERIFY(
            worker.setServerAddress(serverAddress()) && worker.setFiles({ entry }) && worker.startDownload());
        QTRY_COMPARE(result.size(), 1);
        QVERIFY(result.at(0).at(0).toBool());
        QTest::qWait(1000);
        QCOMPARE(result.size(), 1);
    }

    // Links planted under the archive's and the partial file's names (dangling, pointing out of the
    // folder): the download replaces the links and writes nothing through them.
    void plantedLinksAreNotWrittenThrough()
    {
        UpdaterTestFolder folder;
        QTemporaryDir outside;
        const QByteArray content = payload('l', 32 * 1024);
        const ManifestFileInfo entry = serve(content);
        QVERIFY(QDir().mkpath(folder.filePath(QStringLiteral("temp"))));
        Korvo_DownloadFile worker(folder.path());
        const QString archive = worker.archivePath(entry);
        QVERIFY(QFile::link(outside.filePath(QStringLiteral("a")), archive));
        QVERIFY(QFile::link(
            outside.filePath(QStringLiteral("p")), archive + Korvo_DownloadFile::partialSuffix()));
        QVERIFY(download(worker, serverAddress(), { entry }));
        QVERIFY(QDir(outside.path()).entryList(QDir::Files | QDir::System).isEmpty());
        QVERIFY(!QFileInfo(archive).isSymLink());
        QCOMPARE(archiveOf(folder, entry), content);
    }

    void fullDiskFailsWithoutATruncatedArchive()
    {
        UpdaterTestFolder folder;
        const ManifestFileInfo entry = serve(payload('z', 2 * 1024 * 1024));
        // A file size limit stands for a full disk: writes past it fail (EFBIG) instead of writing.
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit old;
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old), 0);
        struct rlimit small = old;
        small.rlim_cur = 256 * 1024;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        Korvo_DownloadFile worker(folder.path());
        const bool ok = download(worker, serverAddress(), { entry });
        ::setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(!ok);
        QVERIFY(!worker.isBusy());
        QVERIFY(QDir(folder.filePath("temp")).entryList(QDir::Files).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDownloadFile)
#include "tst_downloadfile.moc"
