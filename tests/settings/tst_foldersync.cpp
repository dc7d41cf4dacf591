#include "configstore.h"
#include "foldersync.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// One fsync call seen by the test: what was synced, and what the config
// file held at that moment.
struct SyncCall
{
    bool folder = false;
    dev_t device = 0;
    ino_t inode = 0;
    QByteArray fileContent;
};

bool g_recording = false;
QString g_watchedFile;
QList<SyncCall> g_calls;

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// Stands in front of the C library's fsync for the code linked into this
// test, records each call, and passes it on.
extern "C" int fsync(int fd)
{
    using Fsync = int (*)(int);
    static const Fsync next = reinterpret_cast<Fsync>(dlsym(RTLD_NEXT, "fsync"));
    struct stat status
    {
    };
    if (g_recording && ::fstat(fd, &status) == 0) {
        g_recording = false;
        g_calls.append({ S_ISDIR(status.st_mode), status.st_dev, status.st_ino, readBytes(g_watchedFile) });
        g_recording = true;
    }
    return next ? next(fd) : -1;
}

class TestFolderSync : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void saveSyncsTheFolderAfterTheRename();
    void syncOfAMissingFolderFails();

private:
    QScopedPointer<QTemporaryDir> m_dir;
};

void TestFolderSync::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    g_calls.clear();
}

void TestFolderSync::cleanup()
{
    g_recording = false;
}

void TestFolderSync::saveSyncsTheFolderAfterTheRename()
{
    const QString path = m_dir->filePath(QStringLiteral("config.xml"));
    ConfigStore store(path, [] { return QDate(2026, 12, 7); });
    QVERIFY(store.load());
    store.setSelectOption(QStringLiteral("Card"), 7, 3);

    g_watchedFile = path;
    g_recording = true;
    QVERIFY(store.save());
    g_recording = false;
    const QByteArray saved = readBytes(path);
    QVERIFY(saved.contains("GpuName=\"Card\""));

    struct stat folder
    {
    };
    QCOMPARE(::stat(QFile::encodeName(m_dir->path()).constData(), &folder), 0);
    bool folderSyncedAfterRename = false;
    for (const SyncCall &call : qAsConst(g_calls)) {
        if (call.folder && call.device == folder.st_dev && call.inode == folder.st_ino
            && call.fileContent == saved)
            folderSyncedAfterRename = true;
    }
    QVERIFY2(folderSyncedAfterRename, qPrintable(QStringLiteral("%1 fsync calls seen").arg(g_calls.size())));
}

void TestFolderSync::syncOfAMissingFolderFails()
{
    QVERIFY(FolderSync::syncFolderOf(m_dir->filePath(QStringLiteral("config.xml"))));
    QVERIFY(!FolderSync::syncFolderOf(m_dir->filePath(QStringLiteral("missing/config.xml"))));
}

QTEST_GUILESS_MAIN(TestFolderSync)

#include "tst_foldersync.moc"
