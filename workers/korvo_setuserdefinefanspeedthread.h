#pragma once

#include "korvo_workerthread.h"

#include <QList>
#include <QMutex>

#include <QPoint>
#include <mutex>

/// Applies the user's fan curve: every interval it reads the GPU temperature,
/// interpolates the fan level on the curve and sets it with the manual
/// policy, whether or not it changed.
class Korvo_SetUserDefineFanSpeedThread : public Korvo_WorkerThread
{
    Q_OBJECT

public:
    static constexpr int IntervalMs = 1000;

    /// (0, 0), (30, 20), (50, 50), (80, 90), (100, 100): x degrees, y percent.
    static QList<QPoint> defaultCurve();
    /// At least two points, from (0, 0) to (100, 100).
    static bool isAcceptableCurve(const QList<QPoint> &curve);
    /// The level at `celsius` (clamped to 0..100) on the first segment that
    /// holds it; 0 when none does.
    static int levelForTemperature(const QList<QPoint> &curve, int celsius);

    explicit Korvo_SetUserDefineFanSpeedThread(GpuController *controller, QObject *parent = nullptr);
    ~Korvo_SetUserDefineFanSpeedThread() override;

    /// Starts the thread unless it runs already.
    void startSampling();
    /// Ends the thread after its current cycle.
    void stopSampling();

    QList<QPoint> temperatureToFanSpeedData() const;

public slots:
    /// Takes the curve for the next cycle; an unacceptable one installs the default curve. Never waits
    /// for a cycle, so that a cycle stuck in the driver cannot hold the caller.
    void setTemperatureToFanSpeedData(QList<QPoint> points);

private:
    bool runCycle() override;
    int sleepIntervalMs() const override { return IntervalMs; }

    QList<QPoint> m_curve; ///< guarded by m_mutex; kept across stop and start
    /// Held only to hand a curve over, never across a driver call. A std::mutex: ThreadSanitizer does not see
    /// Qt's uncontended QMutex path.
    mutable std::mutex m_pendingMutex;
    QList<QPoint> m_pendingCurve; ///< guarded by m_pendingMutex
    bool m_hasPendingCurve = false; ///< guarded by m_pendingMutex
};
