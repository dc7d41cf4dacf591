#include "configstore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const int Kills = 1000;

QDate fixedToday()
{
    return QDate(2026, 12, 7);
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Two stores whose saves give two different files, one with one card and
// a longer one with eight.
void fillSmall(ConfigStore &store)
{
    store.setSelectOption(QStringLiteral("Small"), 1, 1);
}

void fillLarge(ConfigStore &store)
{
    for (int i = 0; i < 8; ++i)
        store.setSelectOption(QStringLiteral("Large card %1").arg(i), quint32(i), quint32(i));
}

// The child: saves the two contents in turn until it is killed, telling
// the parent through the pipe each time a save is done.
[[noreturn]] void saveForever(const QString &path, int doneFd)
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    ConfigStore small(path, fixedToday);
    ConfigStore large(path, fixedToday);
    fillSmall(small);
    fillLarge(large);
    const char done = 1;
    for (;;) {
        small.save();
        (void)::write(doneFd, &done, 1);
        large.save();
        (void)::write(doneFd, &done, 1);
    }
}

} // namespace

class TestSaveKill : public QObject
{
    Q_OBJECT

private slots:
    void killDuringSaveLeavesAWholeFile();
};

void TestSaveKill::killDuringSaveLeavesAWholeFile()
{
    // In memory where there is such a folder: a kill cannot undo what a sync
    // made lasting anyway, and without the disk's wait a save is short, so a
    // thousand kills land in every phase of it quickly.
    const QString memoryFolder = QStringLiteral("/dev/shm");
    const QString base = QFileInfo(memoryFolder).isWritable() ? memoryFolder : QDir::tempPath();
    QTemporaryDir dir(base + QStringLiteral("/tst_savekill-XXXXXX"));
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("config.xml"));

    // The two complete contents, and how long one round of saving takes.
    ConfigStore small(path, fixedToday);
    ConfigStore large(path, fixedToday);
    fillSmall(small);
    fillLarge(large);
    QVERIFY(large.save());
    const QByteArray largeBytes = readBytes(path);
    QElapsedTimer timer;
    timer.start();
    const int rounds = 20;
    for (int i = 0; i < rounds; ++i) {
        QVERIFY(large.save());
        QVERIFY(small.save());
    }
    const qint64 roundNs = qMax<qint64>(timer.nsecsElapsed() / rounds, 1000);
    const QByteArray smallBytes = readBytes(path);
    QVERIFY(smallBytes != largeBytes);

    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    int smallSeen = 0;
    int largeSeen = 0;
    int changes = 0;
    QByteArray last = smallBytes;
    timer.restart();
    for (int kill = 0; kill < Kills; ++kill) {
        int done[2];
        QCOMPARE(::pipe(done), 0);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            ::close(done[0]);
            saveForever(path, done[1]);
        }
        ::close(done[1]);
        // Once the first save is done, anywhere within the next round: while
        // writing, committing, syncing, or between two saves.
        char byte = 0;
        QCOMPARE(::read(done[0], &byte, 1), ssize_t(1));
        const qint64 delayNs = qint64(random.bounded(quint32(qMin<qint64>(roundNs, 50000000))));
        const timespec delay { time_t(delayNs / 1000000000), long(delayNs % 1000000000) };
        ::nanosleep(&delay, nullptr);
        QCOMPARE(::kill(child, SIGKILL), 0);
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        ::close(done[0]);

        const QByteArray now = readBytes(path);
        QVERIFY2(now == smallBytes || now == largeBytes,
            qPrintable(QStringLiteral("kill %1 (seed %2) left %3 bytes that are neither content")
                           .arg(kill)
                           .arg(seed)
                           .arg(now.size())));
        (now == smallBytes ? smallSeen : largeSeen)++;
        if (now != last)
            ++changes;
        last = now;
    }
    const qint64 elapsedMs = timer.elapsed();
    const int leftovers = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size() - 1;
    qInfo("%d kills in %lld ms (one save round %lld us, seed %u): %d small, %d large, %d changes, 0 corrupt "
          "or lost; %d unfinished temporary files left beside it",
        Kills, elapsedMs, roundNs / 1000, seed, smallSeen, largeSeen, changes, leftovers);
    // The children got far enough to save, and were killed at different points.
    QVERIFY(smallSeen > 0 && largeSeen > 0);
}

QTEST_GUILESS_MAIN(TestSaveKill)

#include "tst_savekill.moc"
