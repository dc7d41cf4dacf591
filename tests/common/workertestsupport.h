#pragma once

#include "nvapiids.h"
#include "simdriver.h"
#include "workersleep.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <vector>

// Small helpers shared by the worker tests. The workers run on their own
// threads, so everything here reads the simulated driver through its locked
// control interface and waits by polling with events processed.

/// Waits until the driver has seen at least `count` calls of `id`.
inline bool waitForCalls(NvU32 id, int count, int timeoutMs = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (SimDriver::instance().callCount(id) < count) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QTest::qWait(1);
    }
    return true;
}

/// As waitForCalls, but without handling events meanwhile.
inline bool waitForCallsQuietly(NvU32 id, int count, int timeoutMs = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (SimDriver::instance().callCount(id) < count) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QThread::msleep(1);
    }
    return true;
}

/// Waits for `cycles` more calls of `id`, one per worker cycle.
inline bool waitForMoreCalls(NvU32 id, int cycles, int timeoutMs = 10000)
{
    return waitForCalls(id, SimDriver::instance().callCount(id) + cycles, timeoutMs);
}

/// The bytes of every write to an I2C device, in order.
inline std::vector<std::vector<NvU8>> i2cWritesTo(NvU8 address)
{
    std::vector<std::vector<NvU8>> writes;
    for (const SimI2cTransaction &t : SimDriver::instance().i2cLog()) {
        if (t.write && t.address == address && t.status == 0)
            writes.push_back(t.data);
    }
    return writes;
}

/// Shortens every worker pause for the lifetime of the guard.
class TimeScaleGuard
{
public:
    explicit TimeScaleGuard(double scale) { WorkerSleep::setTimeScale(scale); }
    ~TimeScaleGuard() { WorkerSleep::setTimeScale(1.0); }
    TimeScaleGuard(const TimeScaleGuard &) = delete;
    TimeScaleGuard &operator=(const TimeScaleGuard &) = delete;
};
