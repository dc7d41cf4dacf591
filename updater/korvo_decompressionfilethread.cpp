#include "korvo_decompressionfilethread.h"

#include "installtransaction.h"
#include "korvo_instancelock.h"
#include "progresspercent.h"
#include "updatefilerules.h"
#include "updatersleep.h"

#include <QDeadlineTimer>
#include <QMutexLocker>

namespace {
/// Set only by tests, before any worker is made; read on the GUI thread at construction.
QString &defaultLockId()
{
    static QString id;
    return id;
}
} // namespace

Korvo_DecompressionFileThread::Korvo_DecompressionFileThread(const QString &programFolder, QObject *parent)
    : Korvo_BaseThread(parent)
    , m_programFolder(programFolder)
    , m_lockId(defaultLockId().isEmpty() ? QLatin1String(Korvo_InstanceLock::MainProgramId) : defaultLockId())
{
}

void Korvo_DecompressionFileThread::setDefaultMainProgramLock(const QString &applicationId)
{
    defaultLockId() = applicationId;
}

Korvo_DecompressionFileThread::~Korvo_DecompressionFileThread()
{
    shutDown();
}

bool Korvo_DecompressionFileThread::setFiles(const ManifestFileList &files)
{
    if (!isIdle())
        return false;
    QMutexLocker lock(&m_mutex);
    m_files = files;
    m_total = files.size();
    m_completed = 0;
    return true;
}

void Korvo_DecompressionFileThread::setMainProgramLock(const QString &applicationId, int waitMs)
{
    QMutexLocker lock(&m_mutex);
    m_lockId = applicationId;
    m_lockWaitMs = waitMs;
}

bool Korvo_DecompressionFileThread::runBody()
{
    if (!UpdaterSleep::sleep(2000, stopFlag()))
        return false;
    ManifestFileList files;
    int total = 0;
    {
        QMutexLocker lock(&m_mutex);
        m_completed = 0;
        files = m_files;
        total = m_total;
    }
    if (files.isEmpty()) {
        emit decompressionChanged(100);
        return true;
    }
    return install(files, total);
}

bool Korvo_DecompressionFileThread::install(const ManifestFileList &files, int total)
{
    InstallTransaction transaction(m_programFolder);
    int completed = 0;
    for (const ManifestFileInfo &entry : files) {
        if (!UpdaterSleep::sleep(100, stopFlag()))
            return false;
        if (UpdateFileRules::isUpdaterOwnFile(entry.FileName))
            continue;
        if (!transaction.stage(entry))
            return false;
        ++completed;
        {
            QMutexLocker lock(&m_mutex);
            m_completed = completed;
        }
        emit decompressionChanged(ProgressPercent::of(completed, total));
    }
    if (!waitForMainProgram() || stopRequested())
        return false;
    return transaction.commit();
}

bool Korvo_DecompressionFileThread::waitForMainProgram()
{
    QString id;
    int waitMs = 0;
    {
        QMutexLocker lock(&m_mutex);
        id = m_lockId;
        waitMs = m_lockWaitMs;
    }
    QDeadlineTimer deadline(waitMs);
    while (Korvo_InstanceLock::isHeld(id)) {
        if (deadline.hasExpired() || !UpdaterSleep::sleep(100, stopFlag()))
            return false;
    }
    return true;
}
