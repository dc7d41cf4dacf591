#include "simcallguard.h"

#include "simdriver.h"

#include <cstring>

SimCallGuard::SimCallGuard(NvU32 id)
    : m_driver(SimDriver::instance())
{
    begin(id, nullptr, false, false, NvRecordKind::Count, nullptr);
}

SimCallGuard::SimCallGuard(NvU32 id, NvPhysicalGpuHandle handle)
    : m_driver(SimDriver::instance())
{
    begin(id, handle, true, false, NvRecordKind::Count, nullptr);
}

SimCallGuard::SimCallGuard(NvU32 id, NvPhysicalGpuHandle handle, NvRecordKind kind, const void *record)
    : m_driver(SimDriver::instance())
{
    begin(id, handle, true, true, kind, record);
}

SimCallGuard::~SimCallGuard()
{
    if (!m_finished && m_lock.owns_lock())
        m_driver.finishCallLocked(m_sequence, m_status);
}

void SimCallGuard::begin(NvU32 id, NvPhysicalGpuHandle handle, bool needsCard, bool hasRecord,
    NvRecordKind kind, const void *record)
{
    if (hasRecord && record)
        std::memcpy(&m_version, record, sizeof m_version);
    {
        std::lock_guard<std::mutex> lock(m_driver.m_mutex);
        NvStatus ignored = 0;
        const int card = needsCard ? m_driver.resolveLocked(handle, ignored) : -1;
        m_sequence = m_driver.beginCallLocked(id, m_version, card);
    }
    m_driver.m_latch.pass(id);
    m_lock = std::unique_lock<std::mutex>(m_driver.m_mutex);

    if (needsCard) {
        NvStatus status = 0;
        m_card = m_driver.resolveLocked(handle, status);
        if (m_card < 0)
            return stop(status);
    }
    if (auto injected = m_driver.m_faults.take(id, m_card, m_version))
        return stop(*injected);
    if (hasRecord && !record)
        return stop(NvApiStatus::InvalidArgument);
    if (hasRecord && !card().accepts(kind, m_version))
        return stop(NvApiStatus::IncompatibleStructVersion);
    if (m_card >= 0)
        card().advanceTo(m_driver.nowLocked());
    m_proceed = true;
}

void SimCallGuard::stop(NvStatus status)
{
    m_status = status;
    m_proceed = false;
    finish(status);
}

NvStatus SimCallGuard::finish(NvStatus status)
{
    m_status = status;
    if (!m_finished && m_lock.owns_lock())
        m_driver.finishCallLocked(m_sequence, status);
    m_finished = true;
    return status;
}

SimCard &SimCallGuard::card()
{
    return *m_driver.cardLocked(m_card);
}

void SimCallGuard::unlock()
{
    if (m_lock.owns_lock())
        m_lock.unlock();
}
