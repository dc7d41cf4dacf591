#include "simlatch.h"

#include <chrono>

void SimLatch::arm(NvU32 id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_states[id] = State::Armed;
}

bool SimLatch::waitUntilHeld(NvU32 id, int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this, id] {
        auto it = m_states.find(id);
        return it != m_states.end() && it->second == State::Held;
    });
}

void SimLatch::release(NvU32 id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_states.find(id);
    if (it == m_states.end())
        return;
    if (it->second == State::Held)
        it->second = State::Released;
    else
        m_states.erase(it);
    m_changed.notify_all();
}

void SimLatch::releaseAll()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto &entry : m_states)
        entry.second = State::Released;
    m_changed.notify_all();
}

void SimLatch::pass(NvU32 id)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    auto it = m_states.find(id);
    if (it == m_states.end() || it->second != State::Armed)
        return;
    it->second = State::Held;
    m_changed.notify_all();
    m_changed.wait(lock, [this, id] {
        auto held = m_states.find(id);
        return held == m_states.end() || held->second == State::Released;
    });
    m_states.erase(id);
}
