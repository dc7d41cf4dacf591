#pragma once

#include "nvmlapi.h"

#include <atomic>

/// Remembers every GPU whose fans this library put in manual mode and hands
/// them back to the driver's automatic control: at the last Unload, at exit,
/// and from a handler of the signals that would end the process. NVML leaves
/// a manual fan level in force until someone resets it, so a crashed or killed
/// program would otherwise leave a card at a fixed, possibly low, fan speed.
/// SIGKILL cannot be caught: that gap stays.
///
/// The state is lock-free (atomics in fixed slots) because the signal handler
/// reads it while another thread may be in the middle of an update.
class FanHandback
{
public:
    static FanHandback &instance();

    FanHandback(const FanHandback &) = delete;
    FanHandback &operator=(const FanHandback &) = delete;

    /// A GPU's fans [0, fans) are now manual; `reset` hands one fan back.
    /// The first call installs the exit and signal handlers.
    void manualSet(nvmlDevice_t device, unsigned int fans, NvmlFn::DeviceFanReset reset);
    /// The GPU's fans are automatic again.
    void automaticSet(nvmlDevice_t device);
    bool isManual(nvmlDevice_t device) const;
    /// Hands every manual fan back; returns how many GPUs it reset.
    int handBackAll();

    static constexpr int Slots = 64;

private:
    FanHandback();
    static void installHandlers();
    static void onExit();
    static void onSignal(int signal);

    std::atomic<nvmlDevice_t> m_devices[Slots];
    std::atomic<unsigned int> m_fans[Slots];
    std::atomic<NvmlFn::DeviceFanReset> m_reset { nullptr };
};
