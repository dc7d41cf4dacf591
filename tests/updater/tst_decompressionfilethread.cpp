#include "installtransaction.h"
#include "korvo_decompressionfilethread.h"
#include "korvo_instancelock.h"
#include "updatersleep.h"
#include "updatertestfolder.h"

#include <QLockFile>
#include <QSignalSpy>
#include <QtTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QList<int> intsOf(const QSignalSpy &spy)
{
    QList<int> values;
    for (const QList<QVariant> &call : spy)
        values.append(call.at(0).toInt());
    return values;
}

} // namespace

class TestDecompressionFileThread : public QObject
{
    Q_OBJECT

private:
    QString m_lockId;

    bool extract(
        Korvo_DecompressionFileThread &worker, const ManifestFileList &files, QList<int> *percents = nullptr)
    {
        QSignalSpy changed(&worker, &Korvo_DecompressionFileThread::decompressionChanged);
        QSignalSpy result(&worker, &Korvo_DecompressionFileThread::decompressionResult);
        if (!worker.setFiles(files) || !worker.startWorker())
            return false;
        if (!result.wait(20000) || result.size() != 1)
            return false;
        if (percents)
            *percents = intsOf(changed);
        return result.at(0).at(0).toBool();
    }

private slots:
    void initTestCase()
    {
        UpdaterSleep::setTimeScale(0.01);
        // A lock of this test's own, so a main program running on this machine does not matter.
        m_lockId = QStringLiteral("tst_decompression_%1").arg(QCoreApplication::applicationPid());
    }

    void emptyListSucceedsAfterTheDelay()
    {
        UpdaterSleep::setTimeScale(0.1);
        UpdaterTestFolder folder;
        Korvo_DecompressionFileThread worker(folder.path());
        worker.setMainProgramLock(m_lockId, 1000);
        QElapsedTimer clock;
        clock.start();
        QList<int> percents;
        QVERIFY(extract(worker, {}, &percents));
        QVERIFY(clock.elapsed() >= 200); // 2000 ms at a tenth
        QCOMPARE(percents, QList<int> { 100 });
        UpdaterSleep::setTimeScale(0.01);
    }

    void installsAndSkipsTheUpdaterItself()
    {
        UpdaterTestFolder folder;
        folder.writeFile(QStringLiteral("KorvoUpdate"), "running updater");
        ManifestFileList files;
        for (const char *name : { "a.dat", "KorvoUpdate", "b.dat", "KorvoUpdate.exe" }) {
            const QByteArray content = QByteArray("new ") + name;
            files.append(UpdaterTestFolder::entryFor(QString(), QLatin1String(name), content));
            folder.writeArchive(files.last(), content);
        }
        Korvo_DecompressionFileThread worker(folder.path());
        worker.setMainProgramLock(m_lockId, 1000);
        QList<int> percents;
        QVERIFY(extract(worker, files, &percents));
        QCOMPARE(percents, (QList<int> { 25, 50 }));
        QCOMPARE(folder.readFile(QStringLiteral("a.dat")), QByteArray("new a.dat"));
        QCOMPARE(folder.readFile(QStringLiteral("b.dat")), QByteArray("new b.dat"));
        QCOMPARE(folder.readFile(QStringLiteral("KorvoUpdate")), QByteArray("running updater"));
        QVERIFY(!folder.exists(QStringLiteral("KorvoUpdate.exe")));
    }

    void missingArchiveOrBadMemberTouchesNothing()
    {
        UpdaterTestFolder folder;
        folder.writeFile(QStringLiteral("a.dat"), "old a");
        folder.writeFile(QStringLiteral("b.dat"), "old b");
        const ManifestFileInfo a = UpdaterTestFolder::entryFor(QString(), "a.dat", "new a");
        const ManifestFileInfo b = UpdaterTestFolder::entryFor(QString(), "b.dat", "new b");
        folder.writeArchive(a, "new a");
        const auto before = folder.snapshot(true);
        Korvo_DecompressionFileThread worker(folder.path());
        worker.setMainProgramLock(m_lockId, 1000);
        QVERIFY(!extract(worker, { a, b }));
        QCOMPARE(folder.snapshot(true), before);
        folder.writeArchive(b, "tampered b");
        const auto withTampered = folder.snapshot(true);
        QVERIFY(!extract(worker, { a, b }));
        QCOMPARE(folder.snapshot(true), withTampered);
        // Retry with the right archive installs both.
        folder.writeArchive(b, "new b");
        QVERIFY(extract(worker, { a, b }));
        QCOMPARE(folder.readFile(QStringLiteral("a.dat")), QByteArray("new a"));
        QCOMPARE(folder.readFile(QStringLiteral("b.dat")), QByteArray("new b"));
    }

    void waitsForTheMainProgramToEnd()
    {
        UpdaterTestFolder folder;
        folder.writeFile(QStringLiteral("a.dat"), "old a");
        const ManifestFileInfo a = UpdaterTestFolder::entryFor(QString(), "a.dat", "new a");
        folder.writeArchive(a, "new a");
        QLockFile mainProgram(Korvo_InstanceLock::lockFilePath(m_lockId));
        QVERIFY(mainProgram.tryLock(0));
        QVERIFY(Korvo_InstanceLock::isHeld(m_lockId));
        Korvo_DecompressionFileThread worker(folder.path());
        worker.setMainProgramLock(m_lockId, 10000);
        QSignalSpy result(&worker, &Korvo_DecompressionFileThread::decompressionResult);
        QVERIFY(worker.setFiles({ a }));
        QVERIFY(worker.startWorker());
        QVERIFY(!result.wait(500));
        QCOMPARE(folder.readFile(QStringLiteral("a.dat")), QByteArray("old a"));
        mainProgram.unlock();
        QVERIFY(result.wait(5000));
        QCOMPARE(result.at(0).at(0).toBool(), true);
        QCOMPARE(folder.readFile(QStringLiteral("a.dat")), QByteArray("new a"));
    }

    void mainProgramThatDoesNotEndFailsTheInstall()
    {
        UpdaterTestFolder folder;
        folder.writeFile(QStringLiteral("a.dat"), "old a");
        const ManifestFileInfo a = UpdaterTestFolder::entryFor(QString(), "a.dat", "new a");
        folder.writeArchive(a, "new a");
        QLockFile mainProgram(Korvo_InstanceLock::lockFilePath(m_lockId));
        QVERIFY(mainProgram.tryLock(0));
        const auto before = folder.snapshot();
        Korvo_DecompressionFileThread worker(folder.path());
        worker.setMainProgramLock(m_lockId, 300);
        QVERIFY(!extract(worker, { a }));
        QCOMPARE(folder.snapshot(), before);
        QVERIFY(!folder.exists(QStringLiteral("a.dat.korvo-new")));
    }

    void staleLockOfACrashedMainProgramDoesNotBlock()
    {
        UpdaterTestFolder folder;
        const ManifestFileInfo a = UpdaterTestFolder::entryFor(QString(), "a.dat", "new a");
        folder.writeArchive(a, "new a");
        // A lock file whose process is gone, as a crashed main program leaves it.
        const QString lockPath = Korvo_InstanceLock::lockFilePath(m_lockId);
        const pid_t child = ::fork();
        if (child == 0) {
            QLockFile crashed(lockPath);
            ::_exit(crashed.tryLock(0) ? (::raise(SIGKILL), 0) : 1);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status));
        QVERIFY(QFileInfo::exists(lockPath));
        QVERIFY(!Korvo_InstanceLock::isHeld(m_lockId));
        Korvo_DecompressionFileThread worker(folder.path());
        worker.setMainProgramLock(m_lockId, 300);
        QVERIFY(extract(worker, { a }));
        QFile::remove(lockPath);
    }
};

QTEST_GUILESS_MAIN(TestDecompressionFileThread)
#include "tst_decompressionfilethread.moc"
