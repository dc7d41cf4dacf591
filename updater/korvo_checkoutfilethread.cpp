#include "korvo_checkoutfilethread.h"

#include "filedigest.h"
#include "manifestpaths.h"
#include "progresspercent.h"
#include "updatefilerules.h"
#include "updatersleep.h"

#include <QMutexLocker>

Korvo_CheckoutFileThread::Korvo_CheckoutFileThread(const QString &programFolder, QObject *parent)
    : Korvo_BaseThread(parent)
    , m_programFolder(programFolder)
{
}

Korvo_CheckoutFileThread::~Korvo_CheckoutFileThread()
{
    shutDown();
}

bool Korvo_CheckoutFileThread::setFiles(const ManifestFileList &files)
{
    if (!isIdle())
        return false;
    QMutexLocker lock(&m_mutex);
    m_files = files;
    m_total = files.size();
    m_completed = 0;
    return true;
}

ManifestFileList Korvo_CheckoutFileThread::outOfDateFiles() const
{
    QMutexLocker lock(&m_mutex);
    return m_outOfDate;
}

bool Korvo_CheckoutFileThread::allPathsValid(const ManifestFileList &files) const
{
    const ManifestPaths paths(m_programFolder);
    for (const ManifestFileInfo &entry : files) {
        if (!paths.resolve(entry, nullptr))
            return false;
    }
    return true;
}

bool Korvo_CheckoutFileThread::runBody()
{
    ManifestFileList files;
    int total = 0;
    {
        QMutexLocker lock(&m_mutex);
        m_outOfDate.clear();
        m_completed = 0;
        files = m_files;
        total = m_total;
    }
    // The manifest comes from the network: one entry that names a path outside the program folder, or
    // a digest that is no digest, makes the whole update untrustworthy.
    if (!allPathsValid(files)) {
        return false;
    }
    const ManifestPaths paths(m_programFolder);
    ManifestFileList outOfDate;
    int completed = 0;
    for (const ManifestFileInfo &entry : files) {
        if (!UpdaterSleep::sleep(200, stopFlag())) {
            return false;
        }
        if (UpdateFileRules::isRunningQtLibrary(entry.FileName))
            continue;
        ManifestPaths::Resolved resolved;
        paths.resolve(entry, &resolved);
        const QString digest = FileDigest::md5Hex(resolved.target, &stopFlag());
        // Exact comparison: an upper-case digest in the manifest never matches and is always fetched.
        if (digest.isEmpty() || digest != entry.FileVersion)
            outOfDate.append(entry);
        ++completed;
        {
            QMutexLocker lock(&m_mutex);
            m_completed = completed;
        }
        emit checkoutChanged(ProgressPercent::of(completed, total));
    }
    // A hash cut short by a stop read as "out of date"; such a list is not a result.
    if (stopRequested()) {
        return false;
    }
    {
        QMutexLocker lock(&m_mutex);
        m_outOfDate = outOfDate;
    }
    return true;
}
