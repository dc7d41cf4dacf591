#include "korvo_checkoutfilethread.h"
#include "updatersleep.h"
#include "updatertestfolder.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

const QString Junk = QStringLiteral("0123456789abcdef0123456789abcdef");

QList<int> intsOf(const QSignalSpy &spy)
{
    QList<int> values;
    for (const QList<QVariant> &call : spy)
        values.append(call.at(0).toInt());
    return values;
}

} // namespace

class TestCheckoutFileThread : public QObject
{
    Q_OBJECT

private:
    /// Runs one check; the result, the percentages and the out-of-date list.
    bool check(
        Korvo_CheckoutFileThread &worker, const ManifestFileList &files, QList<int> *percents = nullptr)
    {
        QSignalSpy changed(&worker, &Korvo_CheckoutFileThread::checkoutChanged);
        QSignalSpy result(&worker, &Korvo_CheckoutFileThread::checkoutResult);
        if (!worker.setFiles(files) || !worker.startWorker())
            return false;
        if (!result.wait(10000) || result.size() != 1)
            return false;
        if (percents)
            *percents = intsOf(changed);
        return result.at(0).at(0).toBool();
    }

private slots:
    void initTestCase() { UpdaterSleep::setTimeScale(0.01); }

    void matchingFilesAreNotFetched()
    {
        UpdaterTestFolder folder;
        folder.writeFile(QStringLiteral("Lumetra2"), "main program");
        folder.writeFile(QStringLiteral("lib/a.dat"), "old a");
        const ManifestFileInfo same = UpdaterTestFolder::entryFor("", "Lumetra2", "main program");
        const ManifestFileInfo changed = UpdaterTestFolder::entryFor("lib/", "a.dat", "new a");
        const ManifestFileInfo missing = UpdaterTestFolder::entryFor("lib/", "b.dat", "new b");
        Korvo_CheckoutFileThread worker(folder.path());
        QList<int> percents;
        QVERIFY(check(worker, { same, changed, missing }, &percents));
        QCOMPARE(percents, (QList<int> { 33, 66, 100 }));
        QCOMPARE(worker.outOfDateFiles(), (ManifestFileList { changed, missing }));
    }

    void upperCaseDigestIsAlwaysOutOfDate()
    {
        UpdaterTestFolder folder;
        folder.writeFile(QStringLiteral("Lumetra2"), "main program");
        ManifestFileInfo entry = UpdaterTestFolder::entryFor("", "Lumetra2", "main program");
        entry.FileVersion = entry.FileVersion.toUpper();
        QVERIFY(entry.FileVersion != entry.FileVersion.toLower()); // has letters
        Korvo_CheckoutFileThread worker(folder.path());
        QVERIFY(check(worker, { entry }));
        QCOMPARE(worker.outOfDateFiles(), ManifestFileList { entry });
    }

    void qtLibrariesAreSkippedAndNotCounted()
    {
        UpdaterTestFolder folder;
        folder.writeFile(QStringLiteral("Qt5Core.dll"), "running library");
        ManifestFileList files;
        for (int i = 0; i < 4; ++i)
            files.append({ QStringLiteral("f%1").arg(i), QString(), Junk });
        files.insert(2, { QStringLiteral("Qt5Core.dll"), QString(), Junk });
        Korvo_CheckoutFileThread worker(folder.path());
        QList<int> percents;
        QVERIFY(check(worker, files, &percents));
        QCOMPARE(percents, (QList<int> { 20, 40, 60, 80 }));
        QCOMPARE(worker.outOfDateFiles().size(), 4);
        for (const ManifestFileInfo &entry : worker.outOfDateFiles())
            QVERIFY(entry.FileName != QLatin1String("Qt5Core.dll"));
    }

    void hostilePathsFailTheCheck_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("dir");
        QTest::addColumn<QString>("version");
        QTest::newRow("dot-dot dir") << "x.dll"
                                     << "../" << Junk;
        QTest::newRow("dot-dot inside") << "x.dll"
                                        << "a/../../" << Junk;
        QTest::newRow("absolute dir") << "x.dll"
                                      << "/tmp/" << Junk;
        QTest::newRow("drive dir") << "x.dll"
                                   << "C:/" << Junk;
        QTest::newRow("backslash dir") << "x.dll"
                                       << "..\\" << Junk;
        QTest::newRow("separator in name") << "../x.dll"
                                           << "" << Junk;
        QTest::newRow("backslash in name") << "a\\x.dll"
                                           << "" << Junk;
        QTest::newRow("dot-dot name") << ".."
                                      << "" << Junk;
        QTest::newRow("short digest") << "x.dll"
                                      << "" << Junk.left(31);
        QTest::newRow("not hex") << "x.dll"
                                 << "" << QString(Junk).replace(0, 1, QStringLiteral("g"));
        QTest::newRow("digest with path") << "x.dll"
                                          << "" << QStringLiteral("../../../../../../../../../../a");
        QTest::newRow("skipped name, bad dir") << "Qt5Core.dll"
                                               << "../" << Junk;
    }

    void hostilePathsFailTheCheck()
    {
        QFETCH(QString, name);
        QFETCH(QString, dir);
        QFETCH(QString, version);
        UpdaterTestFolder folder;
        folder.writeFile(QStringLiteral("Lumetra2"), "main");
        const ManifestFileList files { UpdaterTestFolder::entryFor("", "Lumetra2", "other"),
            { name, dir, version } };
        Korvo_CheckoutFileThread worker(folder.path());
        QSignalSpy changed(&worker, &Korvo_CheckoutFileThread::checkoutChanged);
        QVERIFY(!check(worker, files));
        QCOMPARE(changed.size(), 0);
        QVERIFY(worker.outOfDateFiles().isEmpty());
    }

    void linkOutOfTheFolderFailsTheCheck()
    {
        UpdaterTestFolder folder;
        QTemporaryDir outside;
        QVERIFY(QFile::link(outside.path(), folder.filePath(QStringLiteral("plugins"))));
        Korvo_CheckoutFileThread worker(folder.path());
        QVERIFY(!check(worker, { { QStringLiteral("x.so"), QStringLiteral("plugins/"), Junk } }));
    }

    void settersRefuseWhileRunningAndRetryStartsAgain()
    {
        UpdaterSleep::setTimeScale(1.0);
        UpdaterTestFolder folder;
        Korvo_CheckoutFileThread worker(folder.path());
        QSignalSpy result(&worker, &Korvo_CheckoutFileThread::checkoutResult);
        QVERIFY(worker.setFiles({ { QStringLiteral("a"), QString(), Junk } }));
        QVERIFY(worker.startWorker());
        QVERIFY(!worker.setFiles({}));
        QVERIFY(!worker.startWorker());
        QVERIFY(result.wait(5000));
        UpdaterSleep::setTimeScale(0.0);
        // A Retry from the result's own slot, the moment the body reports: it must run again, not be lost.
        // The slot's context dies with this function, so a result still queued when it returns is
        // dropped instead of reaching a worker that no longer exists.
        int runs = 1;
        QObject scope;
        connect(&worker, &Korvo_CheckoutFileThread::checkoutResult, &scope, [&]() {
            if (runs < 20 && worker.startWorker())
                ++runs;
        });
        worker.startWorker();
        QTRY_COMPARE_WITH_TIMEOUT(result.size(), 21, 10000);
        QCOMPARE(runs, 20);
        UpdaterSleep::setTimeScale(0.01);
    }

    void destroyedWhileRunningStops()
    {
        UpdaterSleep::setTimeScale(1.0);
        UpdaterTestFolder folder;
        QElapsedTimer clock;
        {
            Korvo_CheckoutFileThread worker(folder.path());
            ManifestFileList many;
            for (int i = 0; i < 50; ++i)
                many.append({ QStringLiteral("f%1").arg(i), QString(), Junk });
            worker.setFiles(many);
            worker.startWorker();
            QTest::qWait(50);
            clock.start();
        }
        QVERIFY(clock.elapsed() < 2000); // 50 x 200 ms would be 10 s
        UpdaterSleep::setTimeScale(0.01);
    }
};

QTEST_GUILESS_MAIN(TestCheckoutFileThread)
#include "tst_checkoutfilethread.moc"
