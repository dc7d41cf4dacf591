#pragma once

#include "simcard.h"

#include "nvapirecords.h"
#include "nvunpublishedrecords.h"

/// Fills the records a card is asked for. Each function gets a version word
/// the card accepts, builds the whole record and hands back only the bytes
/// that version's size covers; fields the caller passes in (clock type,
/// requested ids) are read from those bytes first.
class SimRecordWriter
{
public:
    static NvStatus pstates20(const SimCard &card, NvU32 word, NvPstates20Info *out);
    static NvStatus clockFrequencies(const SimCard &card, NvU32 word, NvClockFrequencies *inOut);
    static NvStatus memoryInfo(const SimCard &card, NvU32 word, NvMemoryInfo *out);
    static NvStatus thermalSettings(
        const SimCard &card, NvU32 word, NvU32 sensorIndex, NvThermalSettings *out);
    static NvStatus dynamicPstates(const SimCard &card, NvU32 word, NvDynamicPstatesInfoEx *out);
    static NvStatus coolerSettings(const SimCard &card, NvU32 word, NvU32 selector, NvCoolerSettings *out);
    static NvStatus thermalPoliciesInfo(const SimCard &card, NvU32 word, NvThermalPoliciesInfo *out);
    static NvStatus thermalPoliciesStatus(const SimCard &card, NvU32 word, NvThermalPoliciesStatus *inOut);
    static NvStatus powerTopologyInfo(const SimCard &card, NvU32 word, NvPowerTopologyInfo *out);
    static NvStatus powerTopologyStatus(const SimCard &card, NvU32 word, NvPowerTopologyStatus *inOut);
    static NvStatus powerPoliciesInfo(const SimCard &card, NvU32 word, NvPowerPoliciesInfo *out);
    static NvStatus powerPoliciesStatus(const SimCard &card, NvU32 word, NvPowerPoliciesStatus *inOut);

private:
    static void fillP0(const SimCard &card, NvPstates20Pstate &pstate);
    static void fillIdlePstate(const SimCard &card, NvPstates20Pstate &pstate);
    /// Copies the first `word`-size bytes of `record` to `out`, with `word` at offset 0.
    static void deliver(void *out, const void *record, std::size_t recordSize, NvU32 word);
    /// Ids the caller asked for in a status record (count byte at +4), or
    /// none when it asked for all.
    static std::vector<NvU32> requestedIds(
        const NvU8 *bytes, std::size_t size, std::size_t stride, std::size_t maxEntries);
};
