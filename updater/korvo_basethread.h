#pragma once

#include <QMutex>
#include <QThread>

#include <atomic>

/// A worker that runs its body once per start on a thread of its own and may be started again after it
/// has ended (once per Retry). The lists a worker works on are guarded by its mutex; the body takes them
/// at its start and hands its results back under the same mutex, so the GUI never waits on a running body.
class Korvo_BaseThread : public QThread
{
    Q_OBJECT

public:
    ~Korvo_BaseThread() override;

    /// Starts the body when the worker is idle; false (and nothing happens) while it runs.
    bool startWorker();
    /// True when the body is not running.
    bool isIdle() const { return m_idle.load(); }
    /// Asks a running body to stop at its next pause and waits for the thread. Every derived destructor
    /// calls it first, while its own part still exists for a body that is running. Calling it again does
    /// nothing.
    void shutDown();

protected:
    explicit Korvo_BaseThread(QObject *parent);

    /// The work of one start; its result goes to reportResult once the worker can be started again.
    virtual bool runBody() = 0;
    /// Emits the worker's result signal.
    virtual void reportResult(bool ok) = 0;
    bool stopRequested() const { return m_stop.load(); }
    const std::atomic<bool> &stopFlag() const { return m_stop; }

    mutable QMutex m_mutex;

private:
    void run() final;

    std::atomic<bool> m_idle { true };
    std::atomic<bool> m_stop { false };
};
