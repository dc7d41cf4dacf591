#include "simfaultplan.h"

void SimFaultPlan::queue(NvU32 id, const std::vector<NvStatus> &statuses)
{
    std::deque<NvStatus> &sequence = m_sequences[id];
    sequence.insert(sequence.end(), statuses.begin(), statuses.end());
}

void SimFaultPlan::clear()
{
    m_faults.clear();
    m_sequences.clear();
}

std::optional<NvStatus> SimFaultPlan::take(NvU32 id, int card, NvU32 version)
{
    auto sequence = m_sequences.find(id);
    if (sequence != m_sequences.end() && !sequence->second.empty()) {
        const NvStatus status = sequence->second.front();
        sequence->second.pop_front();
        if (status != NvApiStatus::Ok)
            return status;
        return std::nullopt;
    }
    for (SimFault &fault : m_faults) {
        if (!matches(fault, id, card, version))
            continue;
        if (fault.skip > 0) {
            --fault.skip;
            continue;
        }
        if (fault.count == 0)
            continue;
        if (fault.count > 0)
            --fault.count;
        return fault.status;
    }
    return std::nullopt;
}

bool SimFaultPlan::matches(const SimFault &fault, NvU32 id, int card, NvU32 version)
{
    if (fault.id != id)
        return false;
    if (fault.card >= 0 && fault.card != card)
        return false;
    return fault.version == 0 || fault.version == version;
}
