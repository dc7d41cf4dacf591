#pragma once

#include <atomic>

/// The updater's fixed pauses (200 ms per checked entry, 2000 ms before extracting, ...). A stop request
/// cuts a pause short, and tests shrink every pause through the time scale instead of sleeping seconds.
class UpdaterSleep
{
public:
    /// Sleeps ms times the time scale; false when `stop` was set before or during the pause.
    static bool sleep(int ms, const std::atomic<bool> &stop);
    /// ms times the time scale, for timers on the GUI thread.
    static int scaled(int ms);

    static void setTimeScale(double scale);
    static double timeScale();

private:
    static std::atomic<double> s_timeScale;
};
