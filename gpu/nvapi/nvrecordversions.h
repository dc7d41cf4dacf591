#pragma once

#include "nvapiversions.h"
#include "nvrecordkind.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

/// The version words a driver library of this build accepts, per record kind,
/// and the record size each word describes. Both driver libraries (the
/// simulated one and the one for real cards) answer exactly these words, so
/// the program's version ladders behave the same on either.
class NvRecordVersions
{
public:
    /// Every word a driver accepts for the kind, newest first.
    static std::vector<NvU32> supported(NvRecordKind kind)
    {
        using namespace NvApiVersion;
        switch (kind) {
        case NvRecordKind::Pstates20:
            return { pstates20Ladder.begin(), pstates20Ladder.end() };
        case NvRecordKind::ClockFrequencies:
            return { clockFrequenciesLadder.begin(), clockFrequenciesLadder.end() };
        case NvRecordKind::MemoryInfo:
            return { memoryInfoLadder.begin(), memoryInfoLadder.end() };
        case NvRecordKind::ThermalSettings:
            return { thermalSettingsLadder.begin(), thermalSettingsLadder.end() };
        case NvRecordKind::DynamicPstates:
            return { dynamicPstatesV1 };
        case NvRecordKind::CoolerSettings:
            return { coolerSettingsLadder.begin(), coolerSettingsLadder.end() };
        case NvRecordKind::CoolerLevels:
            return { coolerLevelsV1, coolerLevelsV1Short };
        case NvRecordKind::ThermalPoliciesInfo:
            return { thermalPoliciesInfoLadder.begin(), thermalPoliciesInfoLadder.end() };
        case NvRecordKind::ThermalPoliciesStatus:
            return { thermalPoliciesStatusLadder.begin(), thermalPoliciesStatusLadder.end() };
        case NvRecordKind::PowerTopologyInfo:
            return { powerTopologyInfoV1 };
        case NvRecordKind::PowerTopologyStatus:
            return { powerTopologyStatusV1 };
        case NvRecordKind::PowerPoliciesInfo:
            return { powerPoliciesInfoV1 };
        case NvRecordKind::PowerPoliciesStatus:
            return { powerPoliciesStatusV1 };
        case NvRecordKind::I2cInfo:
            return { i2cV3, i2cV2, i2cV1 };
        case NvRecordKind::Count:
            break;
        }
        return {};
    }

    static bool isSupported(NvRecordKind kind, NvU32 word)
    {
        const std::vector<NvU32> words = supported(kind);
        return std::find(words.begin(), words.end(), word) != words.end();
    }

    /// Bytes of the record the word covers (its low 16 bits).
    static std::size_t sizeOf(NvU32 word) { return word & 0xFFFFu; }
    static NvU32 versionOf(NvU32 word) { return word >> 16; }

    /// The version word at the start of a caller's record (0 for null).
    static NvU32 wordOf(const void *record)
    {
        NvU32 word = 0;
        if (record)
            std::memcpy(&word, record, sizeof word);
        return word;
    }

    /// Copies a filled record to the caller, only as far as the caller's
    /// version covers, and keeps the caller's version word.
    static void deliver(void *out, const void *record, std::size_t recordSize, NvU32 word)
    {
        const std::size_t size = std::min(sizeOf(word), recordSize);
        std::memcpy(out, record, size);
        std::memcpy(out, &word, sizeof word);
    }
};
