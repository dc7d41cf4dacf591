#include "korvo_instancelock.h"

#include "korvo_userid.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLockFile>
#include <QThread>

constexpr char Korvo_InstanceLock::MainProgramId[];

QString Korvo_InstanceLock::channelName(const QString &applicationId)
{
    // Socket names are short on some systems: the user part goes in as a hash.
    const QByteArray user
        = QCryptographicHash::hash(Korvo_UserId::current().toUtf8(), QCryptographicHash::Md5).toHex();
    return applicationId + QLatin1Char('-') + QString::fromLatin1(user.left(12));
}

QString Korvo_InstanceLock::lockFilePath(const QString &applicationId)
{
    return QDir(QDir::tempPath()).filePath(channelName(applicationId) + QStringLiteral(".lock"));
}

bool Korvo_InstanceLock::isHeld(const QString &applicationId)
{
    // Taking the lock for a moment is the one test that also sees through a stale file of a crashed
    // process; it is given back at once, so the program itself can still start afterwards.
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
