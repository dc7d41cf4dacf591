#include "korvo_basethread.h"

#include <QMutexLocker>

Korvo_BaseThread::Korvo_BaseThread(QObject *parent)
    : QThread(parent)
{
}

Korvo_BaseThread::~Korvo_BaseThread()
{
    shutDown();
}

bool Korvo_BaseThread::startWorker()
{
    QMutexLocker lock(&m_mutex);
    if (!m_idle.load())
        return false;
    // The body marks itself idle just before run() returns; start() on a thread that has not quite ended
    // does nothing, so a quick Retry waits for that last moment first.
    wait();
    m_stop.store(false);
    m_idle.store(false);
    start(QThread::InheritPriority);
    return true;
}

void Korvo_BaseThread::shutDown()
{
    m_stop.store(true);
    wait();
}

void Korvo_BaseThread::run()
{
    const bool ok = runBody();
    // Idle before the result goes out: a Retry made the moment the result arrives must be accepted
    // (startWorker then waits the last instant for run() to return).
    m_idle.store(true);
    reportResult(ok);
}
