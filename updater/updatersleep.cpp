#include "updatersleep.h"

#include <QDeadlineTimer>
#include <QThread>

#include <algorithm>

std::atomic<double> UpdaterSleep::s_timeScale { 1.0 };

bool UpdaterSleep::sleep(int ms, const std::atomic<bool> &stop)
{
    QDeadlineTimer deadline(scaled(ms));
    // Short slices: a stop during a long pause must not wait the pause out.
    while (!stop.load()) {
        const qint64 left = deadline.remainingTime();
        if (left <= 0)
            return true;
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(left, 20)));
    }
    return false;
}

int UpdaterSleep::scaled(int ms)
{
    return std::max(0, static_cast<int>(ms * s_timeScale.load()));
}

void UpdaterSleep::setTimeScale(double scale)
{
    s_timeScale.store(std::max(0.0, scale));
}

double UpdaterSleep::timeScale()
{
    return s_timeScale.load();
}
