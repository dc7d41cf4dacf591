#include "installtransaction.h"
#include "updatertestfolder.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <QtTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Update
{
    ManifestFileList entries;
    QMap<QString, QByteArray> newContent; // relative path -> content after the update
};

/// Three files: two replaced (one of them a program), one new in a new folder.
Update threeFileUpdate(UpdaterTestFolder &folder)
{
    folder.writeFile(QStringLiteral("Lumetra2"), "old main");
    QFile::setPermissions(folder.filePath(QStringLiteral("Lumetra2")),
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup);
    folder.writeFile(QStringLiteral("lib/a.dat"), "old a");
    Update update;
    const QList<QPair<QString, QString>> files { { "", "Lumetra2" }, { "lib/", "a.dat" },
        { "new/", "b.dat" } };
    for (const auto &file : files) {
        const QByteArray content = "new " + file.second.toUtf8() + QByteArray(1000, 'x');
        const ManifestFileInfo entry = UpdaterTestFolder::entryFor(file.first, file.second, content);
        folder.writeArchive(entry, content);
        update.entries.append(entry);
        update.newContent.insert(file.first + file.second, content);
    }
    return update;
}

/// The three files of threeFileUpdate at 2 MB each, so that an install takes long enough to be killed in.
Update bigUpdate(UpdaterTestFolder &folder)
{
    folder.writeFile(QStringLiteral("Lumetra2"), QByteArray(2 * 1024 * 1024, 'o'));
    folder.writeFile(QStringLiteral("lib/a.dat"), "old a");
    Update update;
    const QList<QPair<QString, QString>> files { { "", "Lumetra2" }, { "lib/", "a.dat" },
        { "new/", "b.dat" } };
    for (const auto &file : files) {
        QByteArray content(2 * 1024 * 1024, 'n');
        content.prepend(file.second.toUtf8());
        const ManifestFileInfo entry = UpdaterTestFolder::entryFor(file.first, file.second, content);
        folder.writeArchive(entry, content);
        update.entries.append(entry);
        update.newContent.insert(file.first + file.second, content);
    }
    return update;
}

bool stageAll(InstallTransaction &transaction, const ManifestFileList &entries)
{
    for (const ManifestFileInfo &entry : entries) {
        if (!transaction.stage(entry))
            return false;
    }
    return true;
}

QMap<QString, QByteArray> expectedAfter(const QMap<QString, QByteArray> &before, const Update &update)
{
    QMap<QString, QByteArray> after = before;
    for (auto it = update.newContent.begin(); it != update.newContent.end(); ++it)
        after.insert(it.key(), it.value());
    return after;
}

} // namespace

class TestInstallTransaction : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { InstallTransaction::setRenameHook(nullptr); }

    void installsEveryFileAndKeepsTheProgramRunnable()
    {
        UpdaterTestFolder folder;
        const Update update = threeFileUpdate(folder);
        const auto before = folder.snapshot();
        InstallTransaction transaction(folder.path());
        QVERIFY(stageAll(transaction, update.entries));
        QCOMPARE(folder.snapshot().size(), before.size() + 3); // three staged files beside their targets
        QVERIFY(transaction.commit());
        QCOMPARE(folder.snapshot(), expectedAfter(before, update));
        QVERIFY(QFileInfo(folder.filePath(QStringLiteral("Lumetra2"))).isExecutable());
        QVERIFY(!folder.exists(QStringLiteral(".korvo-update.journal")));
    }

    void programWithoutStoredModesStaysExecutable()
    {
        UpdaterTestFolder folder;
        const QByteArray content = "new updater";
        const ManifestFileInfo entry = UpdaterTestFolder::entryFor("", "Lumetra2", content);
        folder.writeArchive(entry, content, QFile::Permissions()); // an archive made where modes are unknown
        InstallTransaction transaction(folder.path());
        QVERIFY(transaction.stage(entry));
        QVERIFY(transaction.commit());
        const QFileInfo installed(folder.filePath(QStringLiteral("Lumetra2")));
        QVERIFY(installed.isExecutable());
        QVERIFY(installed.permissions() & QFile::ExeOther);
        QCOMPARE(folder.readFile(QStringLiteral("Lumetra2")), content);
    }

    void memberNotMatchingItsDigestTouchesNothing()
    {
        UpdaterTestFolder folder;
        Update update = threeFileUpdate(folder);
        // The second archive holds tampered content under the right name.
        folder.writeArchive(update.entries.at(1), "tampered");
        const auto before = folder.snapshot(true);
        InstallTransaction transaction(folder.path());
        QVERIFY(transaction.stage(update.entries.at(0)));
        QVERIFY(!transaction.stage(update.entries.at(1)));
        transaction.abandon();
        QCOMPARE(folder.snapshot(true), before);
    }

    void memberMissingOrArchiveTruncatedFails()
    {
        UpdaterTestFolder folder;
        const Update update = threeFileUpdate(folder);
        const QString zip
            = folder.filePath(QStringLiteral("temp/") + update.entries.at(0).FileVersion + ".zip");
        QFile file(zip);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.resize(file.size() / 2));
        file.close();
        UpdaterTestFolder::writeZip(
            folder.filePath(QStringLiteral("temp/") + update.entries.at(1).FileVersion + ".zip"), "other.dat",
            "x");
        const auto before = folder.snapshot(true);
        {
            InstallTransaction transaction(folder.path());
            QVERIFY(!transaction.stage(update.entries.at(0)));
            QVERIFY(!transaction.stage(update.entries.at(1)));
            QVERIFY(!transaction.stage(UpdaterTestFolder::entryFor("", "c.dat", "no archive")));
        }
        QCOMPARE(folder.snapshot(true), before);
    }

    void failedReplacementPartWayRestoresEverything()
    {
        UpdaterTestFolder folder;
        const Update update = threeFileUpdate(folder);
        const auto before = folder.snapshot();
        // The third target cannot be replaced (read-only, locked, in use): its rename fails.
        InstallTransaction::setRenameHook(
            [](const QString &, const QString &to) { return !to.endsWith(QLatin1String("new/b.dat")); });
        InstallTransaction transaction(folder.path());
        QVERIFY(stageAll(transaction, update.entries));
        QVERIFY(!transaction.commit());
        QCOMPARE(folder.snapshot(), before);
        QVERIFY(!folder.exists(QStringLiteral("new/b.dat")));
    }

    // The new file cannot go where the old one was set aside: the old one comes back under its own name, the
    // folder is exactly as before and no journal stays to undo it again.
    void failedReplacementOfAnOldFileRestoresIt()
    {
        UpdaterTestFolder folder;
        const Update update = threeFileUpdate(folder);
        const auto before = folder.snapshot();
        InstallTransaction::setRenameHook(
            [](const QString &, const QString &to) { return !to.endsWith(QLatin1String("lib/a.dat")); });
        InstallTransaction transaction(folder.path());
        QVERIFY(stageAll(transaction, update.entries));
        QVERIFY(!transaction.commit());
        QCOMPARE(folder.snapshot(), before);
        QCOMPARE(folder.readFile(QStringLiteral("lib/a.dat")), QByteArray("old a"));
        QVERIFY(!folder.exists(QStringLiteral("lib/a.dat.korvo-old")));
        QVERIFY(!QFileInfo::exists(InstallTransaction::journalPath(folder.path())));
    }

    void readOnlyFolderPartWayRestoresEverything()
    {
        if (::geteuid() == 0)
            QSKIP("root writes into read-only folders; failedReplacementPartWayRestoresEverything covers it");
        UpdaterTestFolder folder;
        const Update update = threeFileUpdate(folder);
        const auto before = folder.snapshot();
        InstallTransaction transaction(folder.path());
        QVERIFY(stageAll(transaction, update.entries));
        QVERIFY(QFile::setPermissions(
            folder.filePath(QStringLiteral("new")), QFile::ReadOwner | QFile::ExeOwner));
        const bool committed = transaction.commit();
        QFile::setPermissions(
            folder.filePath(QStringLiteral("new")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!committed);
        QCOMPARE(folder.snapshot(), before);
    }

    void killedAtEveryStepLeavesOldOrNewWhole()
    {
        // Each step of the install (every rename, every journal write) is a place where the updater can be
        // killed. The child installs and kills itself with SIGKILL at step k; the next run's recovery must
        // leave either the old version or the new one, whole.
        for (int killAt = 1; killAt <= 12; ++killAt) {
            UpdaterTestFolder folder;
            const Update update = threeFileUpdate(folder);
            const auto before = folder.snapshot();
            const auto after = expectedAfter(before, update);
            const pid_t child = ::fork();
            if (child == 0) {
                int steps = 0;
                InstallTransaction::setRenameHook([&](const QString &, const QString &) {
                    if (++steps == killAt)
                        ::raise(SIGKILL);
                    return true;
                });
                InstallTransaction transaction(folder.path());
                if (stageAll(transaction, update.entries))
                    transaction.commit();
                ::_exit(0);
            }
            int status = 0;
            QCOMPARE(::waitpid(child, &status, 0), child);
            const bool killed = WIFSIGNALED(status);
            // Before any recovery the program is there, old or new and whole: nothing has to start the
            // updater to make it runnable again.
            const QByteArray program = folder.readFile(QStringLiteral("Lumetra2"));
            QVERIFY2(program == before.value(QStringLiteral("Lumetra2"))
                    || program == after.value(QStringLiteral("Lumetra2")),
                qPrintable(
                    QStringLiteral("Lumetra2 after a kill at step %1: %2").arg(killAt).arg(program.size())));
            QVERIFY(InstallTransaction::recover(folder.path()));
            const auto recovered = folder.snapshot();
            if (killed)
                QVERIFY2(recovered == before, qPrintable(QStringLiteral("killed at step %1").arg(killAt)));
            else
                QCOMPARE(recovered, after);
            // And the next attempt installs the update.
            InstallTransaction again(folder.path());
            QVERIFY(stageAll(again, update.entries));
            QVERIFY(again.commit());
            QCOMPARE(folder.snapshot(), after);
        }
    }

    // A hundred kills at random moments of an install of three 2 MB files: after each the program is
    // there, whole, and the next run's recovery leaves exactly the old or the new version.
    void killedAtRandomMomentsLosesNothing()
    {
        int killedCount = 0;
        int undone = 0;
        int finished = 0;
        QRandomGenerator random(20261208);
        for (int run = 0; run < 100; ++run) {
            UpdaterTestFolder folder;
            Update update = bigUpdate(folder);
            const auto before = folder.snapshot();
            const auto after = expectedAfter(before, update);
            const pid_t child = ::fork();
            if (child == 0) {
                InstallTransaction transaction(folder.path());
                if (stageAll(transaction, update.entries))
                    transaction.commit();
                ::_exit(0);
            }
            QThread::usleep(random.bounded(60000));
            ::kill(child, SIGKILL);
            int status = 0;
            QCOMPARE(::waitpid(child, &status, 0), child);
            killedCount += WIFSIGNALED(status) ? 1 : 0;
            const QByteArray program = folder.readFile(QStringLiteral("Lumetra2"));
            QVERIFY2(program == before.value(QStringLiteral("Lumetra2"))
                    || program == after.value(QStringLiteral("Lumetra2")),
                qPrintable(QStringLiteral("run %1: Lumetra2 of %2 bytes").arg(run).arg(program.size())));
            QVERIFY(InstallTransaction::recover(folder.path()));
            const auto recovered = folder.snapshot();
            QVERIFY2(
                recovered == before || recovered == after, qPrintable(QStringLiteral("run %1").arg(run)));
            (recovered == before ? undone : finished) += 1;
        }
        qInfo(
            "100 installs killed at random moments: %d killed before they ended; afterwards %d old versions, "
            "%d new versions, 0 mixed, 0 missing programs",
            killedCount, undone, finished);
    }

    void killedAfterThePointOfNoReturnIsFinished()
    {
        UpdaterTestFolder folder;
        const Update update = threeFileUpdate(folder);
        const auto after = expectedAfter(folder.snapshot(), update);
        // As if killed right after the committed journal: new files in place, backups still there.
        {
            InstallTransaction transaction(folder.path());
            QVERIFY(stageAll(transaction, update.entries));
            QVERIFY(transaction.commit());
        }
        folder.writeFile(QStringLiteral("Lumetra2.korvo-old"), "old main");
        folder.writeFile(QStringLiteral("lib/a.dat.korvo-old"), "old a");
        folder.writeFile(
            QStringLiteral(".korvo-update.journal"), "committed\n1\tLumetra2\n1\tlib/a.dat\n0\tnew/b.dat\n");
        QVERIFY(InstallTransaction::recover(folder.path()));
        QCOMPARE(folder.snapshot(), after);
    }

    void journalNamingOutsidePathsIsNotFollowed()
    {
        UpdaterTestFolder folder;
        QTemporaryDir outside;
        QFile victim(outside.filePath(QStringLiteral("victim")));
        QVERIFY(victim.open(QIODevice::WriteOnly));
        victim.write("keep me");
        victim.close();
        const QString relative = QDir(folder.path()).relativeFilePath(victim.fileName());
        QVERIFY(relative.startsWith(QLatin1String("..")));
        folder.writeFile(QStringLiteral(".korvo-update.journal"), "staged\n0\t" + relative.toUtf8() + "\n");
        QVERIFY(!InstallTransaction::recover(folder.path()));
        QVERIFY(QFileInfo::exists(victim.fileName()));
    }

    // Hostile archives and planted names: a member stored 0777 installs 0644; a dangling link planted as
    // a target's backup name is not written through (the old file's bytes stay in the folder); a name
    // with a line feed and a tab, which could forge a journal line telling the next run to delete
    // config.xml, is refused; names with other odd characters go through the journal intact.
    void newFilesTakeASafeModeWhateverTheArchiveSays()
    {
        UpdaterTestFolder folder;
        const QByteArray content = "new data";
        const ManifestFileInfo entry = UpdaterTestFolder::entryFor("", "a.dat", content);
        folder.writeArchive(entry, content,
            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::WriteGroup
                | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther);
        InstallTransaction transaction(folder.path());
        QVERIFY(transaction.stage(entry));
        QVERIFY(transaction.commit());
        const QFile::Permissions mode = QFileInfo(folder.filePath(QStringLiteral("a.dat"))).permissions();
        QVERIFY(!(mode & (QFile::WriteGroup | QFile::WriteOther)));
        QVERIFY(!(mode & (QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther)));
    }

    void danglingBackupLinkIsNotWrittenThrough()
    {
        UpdaterTestFolder folder;
        QTemporaryDir outside;
        const QString planted = outside.filePath(QStringLiteral("planted"));
        const Update update = threeFileUpdate(folder);
        QVERIFY(QFile::link(planted, folder.filePath(QStringLiteral("Lumetra2.korvo-old"))));
        InstallTransaction transaction(folder.path());
        QVERIFY(stageAll(transaction, update.entries));
        QVERIFY(transaction.commit());
        QVERIFY(!QFileInfo::exists(planted));
        QCOMPARE(
            folder.readFile(QStringLiteral("Lumetra2")), update.newContent.value(QStringLiteral("Lumetra2")));
        QVERIFY(!QFileInfo(folder.filePath(QStringLiteral("Lumetra2.korvo-old"))).isSymLink());
    }

    void journalPlantedAsALinkIsNotWrittenThrough()
    {
        UpdaterTestFolder folder;
        QTemporaryDir outside;
        const QString victim = outside.filePath(QStringLiteral("victim"));
        QFile file(victim);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep me");
        file.close();
        QVERIFY(QFile::link(victim, InstallTransaction::journalPath(folder.path())));
        const Update update = threeFileUpdate(folder);
        InstallTransaction transaction(folder.path());
        QVERIFY(stageAll(transaction, update.entries));
        QVERIFY(transaction.commit());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("keep me"));
    }

    void controlCharactersInNamesAreRefused()
    {
        UpdaterTestFolder folder;
        folder.writeFile(QStringLiteral("config.xml"), "user's settings");
        const QByteArray content = "payload";
        for (const QString &name :
            { QStringLiteral("x\n0\tconfig.xml"), QStringLiteral("x\tname"), QStringLiteral("x\x7f") }) {
            const ManifestFileInfo entry = UpdaterTestFolder::entryFor("", name, content);
            folder.writeArchive(entry, content);
            InstallTransaction transaction(folder.path());
            QVERIFY(!transaction.stage(entry));
        }
        const ManifestFileInfo inDir = UpdaterTestFolder::entryFor("sub\n0\t/", "a.dat", content);
        InstallTransaction transaction(folder.path());
        QVERIFY(!transaction.stage(inDir));
        QVERIFY(InstallTransaction::recover(folder.path()));
        QCOMPARE(folder.readFile(QStringLiteral("config.xml")), QByteArray("user's settings"));
    }

    void oddNamesSurviveTheJournal()
    {
        UpdaterTestFolder folder;
        const QByteArray content = "new odd";
        const ManifestFileInfo entry = UpdaterTestFolder::entryFor("dir 100%/", "a%0Ab.dat", content);
        folder.writeArchive(entry, content);
        {
            InstallTransaction transaction(folder.path());
            QVERIFY(transaction.stage(entry));
            QVERIFY(transaction.commit());
        }
        QCOMPARE(folder.readFile(QStringLiteral("dir 100%/a%0Ab.dat")), content);
        const QByteArray journal
            = "staged\n0\t" + QUrl::toPercentEncoding(QStringLiteral("dir 100%/a%0Ab.dat"), "/") + "\n";
        folder.writeFile(QStringLiteral(".korvo-update.journal"), journal);
        QVERIFY(InstallTransaction::recover(folder.path()));
        // The journal of an install killed before its point of no return, as this one writes it, names that
        // file and no other: undone, the new file (no old one) goes.
        QVERIFY(!folder.exists(QStringLiteral("dir 100%/a%0Ab.dat")));
        QVERIFY(!folder.exists(QStringLiteral("dir 100%/a\nb.dat")));
    }

    // A zip bomb: a small archive whose member expands to 64 MiB, against a bound lowered to 1 MiB. It is
    // refused before anything of it is written; the same member within the bound installs.
    void zipBombIsRefusedBeforeItFillsTheDisk()
    {
        UpdaterTestFolder folder;
        const QByteArray content(64 * 1024 * 1024, '\0');
        const ManifestFileInfo entry = UpdaterTestFolder::entryFor("", "bomb.dat", content);
        folder.writeArchive(entry, content);
        QVERIFY(QFileInfo(folder.filePath(QStringLiteral("temp/") + entry.FileVersion + ".zip")).size()
            < 1024 * 1024);
        InstallTransaction::setMaxMemberBytes(1024 * 1024);
        {
            InstallTransaction transaction(folder.path());
            const bool staged = transaction.stage(entry);
            InstallTransaction::setMaxMemberBytes(InstallTransaction::DefaultMaxMemberBytes);
            QVERIFY(!staged);
            QVERIFY(!folder.exists(QStringLiteral("bomb.dat.korvo-new")));
            QVERIFY(!folder.exists(QStringLiteral("bomb.dat")));
        }
        InstallTransaction transaction(folder.path());
        QVERIFY(transaction.stage(entry));
        QVERIFY(transaction.commit());
        QCOMPARE(QFileInfo(folder.filePath(QStringLiteral("bomb.dat"))).size(), qint64(content.size()));
    }

    void duplicateTargetIsRefused()
    {
        UpdaterTestFolder folder;
        const Update update = threeFileUpdate(folder);
        InstallTransaction transaction(folder.path());
        QVERIFY(transaction.stage(update.entries.at(0)));
        QVERIFY(!transaction.stage(update.entries.at(0)));
    }
};

QTEST_GUILESS_MAIN(TestInstallTransaction)
#include "tst_installtransaction.moc"
