#include "korvo_workerthread.h"

#include "workermetatypes.h"

Korvo_WorkerThread::Korvo_WorkerThread(GpuController *controller, QObject *parent)
    : QThread(parent)
    , m_controller(controller)
{
    registerWorkerMetaTypes();
}

Korvo_WorkerThread::~Korvo_WorkerThread()
{
    if (isRunning())
        qFatal("Korvo_WorkerThread destroyed while its thread runs: the derived destructor must call "
               "shutDown()");
}

bool Korvo_WorkerThread::lockWithin(int ms)
{
    if (!m_mutex.tryLock(ms))
        return false;
    tsanAcquire(&m_mutex);
    return true;
}

void Korvo_WorkerThread::unlockMutex()
{
    tsanRelease(&m_mutex);
    m_mutex.unlock();
}

bool Korvo_WorkerThread::waitFinished(QDeadlineTimer deadline)
{
    if (!wait(deadline))
        return false;
    tsanAcquire(this);
    return true;
}

void Korvo_WorkerThread::startLocked()
{
    if (!m_stopped.load())
        return;
    if (!m_loopRunning) {
        // A loop that has just ended may still be returning from run(), and
        // start() on a running thread does nothing: let it finish first.
        if (isRunning() && !waitFinished(QDeadlineTimer(StopWaitMs)))
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
    if (lockWithin(StopWaitMs)) {
        markStopped();
        unlockMutex();
        return;
    }
    // A cycle is stuck in a driver call; the loop sees the flag when the call returns.
    markStopped();
}

void Korvo_WorkerThread::shutDown()
{
    QDeadlineTimer deadline(StopWaitMs);
    if (lockWithin(static_cast<int>(deadline.remainingTime()))) {
        markStopped();
        unlockMutex();
    } else {
        markStopped();
    }
    if (!waitFinished(deadline)) {
        terminate();
        // The thread object must not go while its thread runs; a terminated
        // thread ends at its next cancellation point.
        wait();
    }
}

bool Korvo_WorkerThread::stopWithin(int ms)
{
    QDeadlineTimer deadline(ms);
    if (lockWithin(static_cast<int>(deadline.remainingTime()))) {
        markStopped();
        unlockMutex();
    } else {
        markStopped();
    }
    return waitFinished(deadline);
}

void Korvo_WorkerThread::run()
{
    {
        CycleLock lock(this);
        while (m_controller && runCycle() && !m_stopped.load())
            m_sleep.sleep(m_mutex, sleepIntervalMs(), m_stopped);
        m_loopRunning = false;
        m_stopped.store(true);
    }
    tsanRelease(this);
}
