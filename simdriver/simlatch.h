#pragma once

#include "nvapitypes.h"

#include <condition_variable>
#include <map>
#include <mutex>

/// Holds the next call of an armed entry id inside the driver until a test
/// releases it, so that tests can act while a call is in flight. Has its own
/// lock: the driver's mutex is never held while a call waits here.
class SimLatch
{
public:
    void arm(NvU32 id);
    /// Waits until a call of the id is held; false on timeout.
    bool waitUntilHeld(NvU32 id, int timeoutMs);
    void release(NvU32 id);
    /// Releases every held call and disarms everything.
    void releaseAll();

    /// Called by every entry: blocks while the id is armed for this call.
    void pass(NvU32 id);

private:
    enum class State { Armed, Held, Released };

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<NvU32, State> m_states;
};
