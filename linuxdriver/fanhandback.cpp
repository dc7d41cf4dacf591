#include "fanhandback.h"

#include <csignal>
#include <cstdlib>
#include <mutex>

#include <unistd.h>

namespace {

// Signals that end the process by default. The termination requests get a
// handler only where the program has none of its own (a program with one
// leaves through its normal path, which unloads the library); the faults are
// chained in front of whatever handler is there.
constexpr int TerminationSignals[] = { SIGTERM, SIGINT, SIGHUP, SIGQUIT };
constexpr int FaultSignals[] = { SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT };
constexpr int HandlerCount = 16;

struct SavedAction
{
    int signal = 0;
    struct sigaction action = {};
};
SavedAction g_saved[HandlerCount];
int g_savedCount = 0;

// A driver call that hangs inside a dying process must not keep it alive.
constexpr unsigned int HandbackDeadlineSeconds = 3;

void saveAndInstall(int signal, bool onlyIfDefault, void (*handler)(int))
{
    struct sigaction old = {};
    if (sigaction(signal, nullptr, &old) != 0)
        return;
    const bool isDefault = !(old.sa_flags & SA_SIGINFO) && old.sa_handler == SIG_DFL;
    if (onlyIfDefault && !isDefault)
        return;
    if (!(old.sa_flags & SA_SIGINFO) && old.sa_handler == SIG_IGN)
        return;
    if (g_savedCount >= HandlerCount)
        return;
    g_saved[g_savedCount++] = { signal, old };
    struct sigaction ours = {};
    ours.sa_handler = handler;
    sigemptyset(&ours.sa_mask);
    sigaction(signal, &ours, nullptr);
}

} // namespace

FanHandback &FanHandback::instance()
{
    static FanHandback handback;
    return handback;
}

FanHandback::FanHandback()
{
    for (int i = 0; i < Slots; ++i) {
        m_devices[i].store(nullptr);
        m_fans[i].store(0);
    }
}

void FanHandback::manualSet(nvmlDevice_t device, unsigned int fans, NvmlFn::DeviceFanReset reset)
{
    static std::once_flag installed;
    std::call_once(installed, installHandlers);
    m_reset.store(reset);
    int free = -1;
    for (int i = 0; i < Slots; ++i) {
        if (m_devices[i].load() == device) {
            m_fans[i].store(fans);
            return;
        }
        if (free < 0 && !m_devices[i].load())
            free = i;
    }
    if (free < 0)
        return;
    m_fans[free].store(fans);
    m_devices[free].store(device);
}

void FanHandback::automaticSet(nvmlDevice_t device)
{
    for (int i = 0; i < Slots; ++i) {
        nvmlDevice_t expected = device;
        if (device && m_devices[i].compare_exchange_strong(expected, nullptr))
            m_fans[i].store(0);
    }
}

bool FanHandback::isManual(nvmlDevice_t device) const
{
    for (int i = 0; i < Slots; ++i) {
        if (device && m_devices[i].load() == device)
            return true;
    }
    return false;
}

int FanHandback::handBackAll()
{
    const NvmlFn::DeviceFanReset reset = m_reset.load();
    int handed = 0;
    for (int i = 0; i < Slots; ++i) {
        nvmlDevice_t device = m_devices[i].exchange(nullptr);
        if (!device || !reset)
            continue;
        const unsigned int fans = m_fans[i].exchange(0);
        for (unsigned int fan = 0; fan < fans; ++fan)
            reset(device, fan);
        ++handed;
    }
    return handed;
}

void FanHandback::installHandlers()
{
    std::atexit(onExit);
    for (int signal : TerminationSignals)
        saveAndInstall(signal, true, onSignal);
    for (int signal : FaultSignals)
        saveAndInstall(signal, false, onSignal);
}

void FanHandback::onExit()
{
    instance().handBackAll();
}

void FanHandback::onSignal(int signal)
{
    alarm(HandbackDeadlineSeconds);
    instance().handBackAll();
    alarm(0);
    // Put back what was there before and let the signal take its course: the
    // default action ends the process, a chained handler gets its turn.
    for (int i = 0; i < g_savedCount; ++i) {
        if (g_saved[i].signal == signal)
            sigaction(signal, &g_saved[i].action, nullptr);
    }
    raise(signal);
}
