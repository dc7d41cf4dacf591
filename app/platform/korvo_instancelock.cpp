#include "korvo_instancelock.h"

#include "korvo_runtimefolder.h"
#include "korvo_userid.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QThread>

constexpr char Korvo_InstanceLock::MainProgramId[];
constexpr char Korvo_InstanceLock::UpdaterId[];

QString Korvo_InstanceLock::channelName(const QString &applicationId)
{
    // Socket names are short on some systems: the user part goes in as a hash.
    const QByteArray user
        = QCryptographicHash::hash(Korvo_UserId::current().toUtf8(), QCryptographicHash::Md5).toHex();
    return applicationId + QLatin1Char('-') + QString::fromLatin1(user.left(12));
}

QString Korvo_InstanceLock::lockFilePath(const QString &applicationId)
{
    return QDir(Korvo_RuntimeFolder::path()).filePath(channelName(applicationId) + QStringLiteral(".lock"));
}

QString Korvo_InstanceLock::socketPath(const QString &applicationId)
{
    return Korvo_RuntimeFolder::localSocketName(channelName(applicationId));
}

void Korvo_InstanceLock::removeUnreadableLock(const QString &applicationId)
{
    // A lock with no owner in it (a kill between its creation and its first write, an empty or unreadable
    // file) never goes stale by its owner's death: it would keep the program from ever starting again.
    // Young ones are left alone: the owner may be writing it right now.
    const QString path = lockFilePath(applicationId);
    const QFileInfo info(path);
    if (!info.exists())
        return;
    QLockFile probe(path);
    qint64 pid = 0;
    QString host;
    QString application;
    if (probe.getLockInfo(&pid, &host, &application) && pid > 0)
        return;
    if (qAbs(info.lastModified().msecsTo(QDateTime::currentDateTime())) >= UnreadableLockStaleMs)
        QFile::remove(path);
}

bool Korvo_InstanceLock::isHeld(const QString &applicationId)
{
    // Taking the lock for a moment is the one test that also sees through a stale file of a crashed
    // process; it is given back at once, so the program itself can still start afterwards.
    removeUnreadableLock(applicationId);
    QLockFile lock(lockFilePath(applicationId));
    lock.setStaleLockTime(0);
    if (lock.tryLock(0)) {
        lock.unlock();
        return false;
    }
    return lock.error() == QLockFile::LockFailedError;
}

bool Korvo_InstanceLock::waitUntilFree(const QString &applicationId, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (isHeld(applicationId)) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(100);
    }
    return true;
}
