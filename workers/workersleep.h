#pragma once

#include <QWaitCondition>

#include <atomic>

class QMutex;

/// The pause between two cycles of a worker thread. The worker's mutex is
/// given up for the pause, and a stop request ends it early, so that taking a
/// worker down never has to sit out a whole interval.
class WorkerSleep
{
public:
    /// Waits `ms` milliseconds (times the time scale) or until `stopped` is
    /// set and wake() is called. `mutex` is locked on entry and on return.
    void sleep(QMutex &mutex, int ms, const std::atomic<bool> &stopped);
    /// Ends a running sleep; call after setting the stopped flag.
    void wake();

    /// Every sleep of the process lasts `scale` times its interval. Lets the
    /// tests run the workers' one-second cycles in milliseconds.
    static void setTimeScale(double scale);
    static double timeScale();

private:
    QWaitCondition m_condition;
    static std::atomic<double> s_timeScale;
};
