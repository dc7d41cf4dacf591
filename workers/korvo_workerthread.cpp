#include "korvo_workerthread.h"

#include "workermetatypes.h"

#include <QDeadlineTimer>

Korvo_WorkerThread::Korvo_WorkerThread(GpuController *controller, QObject *parent)
    : QThread(parent)
    , m_controller(controller)
{
    registerWorkerMetaTypes();
}

Korvo_WorkerThread::~Korvo_WorkerThread() = default;

void Korvo_WorkerThread::startLocked()
{
    if (!m_stopped.load())
        return;
    if (!m_loopRunning) {
        // A loop that has just ended may still be returning from run(), and
        // start() on a running thread does nothing: let it finish first.
        if (isRunning() && !wait(StopWaitMs))
            return;
        start(QThread::InheritPriority);
        // run() needs the mutex we hold, so the thread cannot have ended yet.
        if (!isRunning())
            return;
        m_loopRunning = true;
    }
    // A loop asked to stop but still in its cycle simply carries on.
    m_stopped.store(false);
}

void Korvo_WorkerThread::markStopped()
{
    m_stopped.store(true);
    m_sleep.wake();
}

void Korvo_WorkerThread::requestStop()
{
    if (m_mutex.tryLock(StopWaitMs)) {
        markStopped();
        m_mutex.unlock();
        return;
    }
    // A cycle is stuck in a driver call; the loop sees the flag when the call returns.
    markStopped();
}

void Korvo_WorkerThread::shutDown()
{
    QDeadlineTimer deadline(StopWaitMs);
    if (m_mutex.tryLock(static_cast<int>(deadline.remainingTime()))) {
        markStopped();
        m_mutex.unlock();
    } else {
        markStopped();
    }
    if (!wait(deadline)) {
        terminate();
        // The thread object must not go while its thread runs; a terminated
        // thread ends at its next cancellation point.
        wait();
    }
}

void Korvo_WorkerThread::run()
{
    QMutexLocker locker(&m_mutex);
    while (m_controller && runCycle() && !m_stopped.load())
        m_sleep.sleep(m_mutex, sleepIntervalMs(), m_stopped);
    m_stopped.store(true);
    m_loopRunning = false;
}
