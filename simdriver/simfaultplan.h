#pragma once

#include "simfault.h"

#include <deque>
#include <map>
#include <optional>
#include <vector>

/// The statuses a test has told the driver to answer. Not locked itself: the
/// driver's mutex guards it.
class SimFaultPlan
{
public:
    void add(const SimFault &fault) { m_faults.push_back(fault); }

    /// One status per coming call of the id, in order; 0 lets that call do its
    /// normal work. Sequences are consulted before the faults.
    void queue(NvU32 id, const std::vector<NvStatus> &statuses);

    void clear();

    /// The status to answer for this call, if any fault or queued status
    /// claims it. Consumes what it uses.
    std::optional<NvStatus> take(NvU32 id, int card, NvU32 version);

private:
    static bool matches(const SimFault &fault, NvU32 id, int card, NvU32 version);

    std::vector<SimFault> m_faults;
    std::map<NvU32, std::deque<NvStatus>> m_sequences;
};
