#include "korvo_setuserdefinefanspeedthread.h"

#include "gpucontroller.h"

#include <algorithm>

QList<QPoint> Korvo_SetUserDefineFanSpeedThread::defaultCurve()
{
    return { QPoint(0, 0), QPoint(30, 20), QPoint(50, 50), QPoint(80, 90), QPoint(100, 100) };
}

bool Korvo_SetUserDefineFanSpeedThread::isAcceptableCurve(const QList<QPoint> &curve)
{
    return curve.size() >= 2 && curve.first() == QPoint(0, 0) && curve.last() == QPoint(100, 100);
}

int Korvo_SetUserDefineFanSpeedThread::levelForTemperature(const QList<QPoint> &curve, int celsius)
{
    const int t = std::min(std::max(celsius, 0), 100);
    if (curve.size() == 1)
        return 0;
    for (int i = 0; i + 1 < curve.size(); ++i) {
        const QPoint &a = curve.at(i);
        const QPoint &b = curve.at(i + 1);
        if (t < a.x() || t > b.x())
            continue;
        // A vertical step jumps to its top; only the first one reached counts.
        if (a.x() == b.x())
            return b.y();
        const double share = double(t - a.x()) / double(b.x() - a.x());
        return static_cast<int>(share * double(b.y() - a.y()) + a.y());
    }
    return 0;
}

Korvo_SetUserDefineFanSpeedThread::Korvo_SetUserDefineFanSpeedThread(
    GpuController *controller, QObject *parent)
    : Korvo_WorkerThread(controller, parent)
    , m_curve(defaultCurve())
{
}

Korvo_SetUserDefineFanSpeedThread::~Korvo_SetUserDefineFanSpeedThread()
{
    shutDown();
}

void Korvo_SetUserDefineFanSpeedThread::startSampling()
{
    CycleLock lock(this);
    startLocked();
}

void Korvo_SetUserDefineFanSpeedThread::stopSampling()
{
    requestStop();
}

QList<QPoint> Korvo_SetUserDefineFanSpeedThread::temperatureToFanSpeedData() const
{
    {
        std::lock_guard<std::mutex> pending(m_pendingMutex);
        if (m_hasPendingCurve)
            return m_pendingCurve;
    }
    CycleLock lock(this);
    return m_curve;
}

void Korvo_SetUserDefineFanSpeedThread::setTemperatureToFanSpeedData(QList<QPoint> points)
{
    std::lock_guard<std::mutex> pending(m_pendingMutex);
    m_pendingCurve = isAcceptableCurve(points) ? points : defaultCurve();
    m_hasPendingCurve = true;
}

bool Korvo_SetUserDefineFanSpeedThread::runCycle()
{
    {
        // Taken at the start of a cycle: a new curve never changes a lookup half-way.
        std::lock_guard<std::mutex> pending(m_pendingMutex);
        if (m_hasPendingCurve) {
            m_curve = m_pendingCurve;
            m_hasPendingCurve = false;
        }
    }
    ThermalReading thermal;
    m_controller->readThermal(thermal);
    // A refused write is retried by the next cycle anyway.
    m_controller->setCoolerLevel(levelForTemperature(m_curve, thermal.currentC), FanPolicy::Manual);
    return true;
}
