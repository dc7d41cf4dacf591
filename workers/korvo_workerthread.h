#pragma once

#include "tsanannotations.h"
#include "workersleep.h"

#include <QDeadlineTimer>
#include <QMutex>
#include <QThread>

#include <atomic>

class GpuController;

/// The life of a worker thread: a loop of cycles, each run with the worker's
/// mutex held, and a pause between them with the mutex given up. Starting
/// starts the thread once; a stop request ends the loop at the end of its
/// cycle; destruction waits a bounded time and only then terminates.
class Korvo_WorkerThread : public QThread
{
    Q_OBJECT

public:
    /// How long destruction and stopping wait for a busy cycle.
    static constexpr int StopWaitMs = 2000;

    /// Fails hard when the thread still runs: a derived destructor that did
    /// not call shutDown() would leave run() calling into a destroyed object.
    ~Korvo_WorkerThread() override;

    /// Whether the loop has ended or has been asked to end.
    bool isStopped() const { return m_stopped.load(); }

    /// Ends the loop and waits for the thread (terminating it after
    /// StopWaitMs). Every derived destructor calls it first, while its own
    /// part still exists for a cycle that is running; an owner may call it
    /// earlier to stop the thread before what the thread uses goes away.
    /// Calling it again does nothing.
    void shutDown();

    /// Asks the loop to end and waits up to `ms` for the thread to finish, never terminating it. False when
    /// it still runs then (a cycle stuck in a driver call): the caller must not assume the card is free.
    bool stopWithin(int ms);

protected:
    /// Holds m_mutex for a scope, like QMutexLocker.
    class CycleLock
    {
    public:
        explicit CycleLock(const Korvo_WorkerThread *worker)
            : m_mutex(worker->m_mutex)
        {
            m_mutex.lock();
            tsanAcquire(&m_mutex);
        }
        ~CycleLock()
        {
            tsanRelease(&m_mutex);
            m_mutex.unlock();
        }
        CycleLock(const CycleLock &) = delete;
        CycleLock &operator=(const CycleLock &) = delete;

    private:
        QMutex &m_mutex;
    };

    Korvo_WorkerThread(GpuController *controller, QObject *parent);

    /// One cycle, with the mutex held. False ends the loop.
    virtual bool runCycle() = 0;
    /// The pause after a cycle, asked with the mutex held.
    virtual int sleepIntervalMs() const = 0;

    /// Starts the loop when it is stopped. The caller holds the mutex.
    void startLocked();
    /// Ends the loop at the end of its cycle or sleep.
    void requestStop();

    GpuController *const m_controller; ///< shared with the card's pages, not owned
    mutable QMutex m_mutex;

private:
    void run() final;
    void markStopped();
    /// tryLock with a limit; false when a cycle keeps the mutex longer.
    bool lockWithin(int ms);
    void unlockMutex();
    /// Waits for the thread to end; what it did is then visible here.
    bool waitFinished(QDeadlineTimer deadline);

    /// Read without the mutex by isStopped() and by the sleep, and set
    /// without it when a stuck cycle keeps the mutex; otherwise guarded by it.
    std::atomic<bool> m_stopped { true };
    bool m_loopRunning = false; ///< guarded by m_mutex: run() is inside its loop
    WorkerSleep m_sleep;
};
