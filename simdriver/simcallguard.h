#pragma once

#include "nvrecordkind.h"

#include "nvapitypes.h"

#include <cstdint>
#include <mutex>

class SimCard;
class SimDriver;

/// The common path of every entry call: counts and logs the call, lets the
/// latch hold it, then takes the driver's lock for the rest of the call and
/// checks the handle, injected statuses and the record's version word. The
/// entry does its work only when proceed() is true, and hands its status to
/// finish() so that the log has it.
class SimCallGuard
{
public:
    /// A driver-wide entry.
    explicit SimCallGuard(NvU32 id);
    /// An entry on a card, without a versioned record.
    SimCallGuard(NvU32 id, NvPhysicalGpuHandle handle);
    /// An entry on a card with a versioned record of the kind.
    SimCallGuard(NvU32 id, NvPhysicalGpuHandle handle, NvRecordKind kind, const void *record);
    ~SimCallGuard();

    SimCallGuard(const SimCallGuard &) = delete;
    SimCallGuard &operator=(const SimCallGuard &) = delete;

    bool proceed() const { return m_proceed; }
    /// The status decided before the entry's own work (valid when !proceed()).
    NvStatus status() const { return m_status; }
    NvStatus finish(NvStatus status);

    SimDriver &driver() { return m_driver; }
    SimCard &card();
    int cardIndex() const { return m_card; }
    NvU32 version() const { return m_version; }

    /// Ends the locked part early, e.g. before an entry sleeps.
    void unlock();

private:
    void begin(NvU32 id, NvPhysicalGpuHandle handle, bool needsCard, bool hasRecord, NvRecordKind kind,
        const void *record);
    void stop(NvStatus status);

    SimDriver &m_driver;
    std::unique_lock<std::mutex> m_lock;
    std::uint64_t m_sequence = 0;
    int m_card = -1;
    NvU32 m_version = 0;
    NvStatus m_status = 0;
    bool m_proceed = false;
    bool m_finished = false;
};
