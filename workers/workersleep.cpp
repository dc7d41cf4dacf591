#include "workersleep.h"

#include "tsanannotations.h"

#include <QDeadlineTimer>
#include <QMutex>
#include <QThread>

#include <cmath>

std::atomic<double> WorkerSleep::s_timeScale { 1.0 };

void WorkerSleep::sleep(QMutex &mutex, int ms, const std::atomic<bool> &stopped)
{
    // A negative interval would make an endless deadline.
    const double scaled = std::max(0.0, double(ms) * timeScale());
    QDeadlineTimer deadline(static_cast<qint64>(std::llround(scaled)));
    if (stopped.load() || deadline.hasExpired()) {
        // Even a zero pause gives the mutex up once, so that the other side's
        // calls are not shut out by a worker that never waits.
        tsanRelease(&mutex);
        mutex.unlock();
        QThread::yieldCurrentThread();
        mutex.lock();
        tsanAcquire(&mutex);
        return;
    }
    while (!stopped.load() && !deadline.hasExpired()) {
        tsanRelease(&mutex);
        m_condition.wait(&mutex, deadline);
        tsanAcquire(&mutex);
    }
}

void WorkerSleep::wake()
{
    m_condition.wakeAll();
}

void WorkerSleep::setTimeScale(double scale)
{
    s_timeScale.store(scale > 0.0 ? scale : 0.0);
}

double WorkerSleep::timeScale()
{
    return s_timeScale.load();
}
