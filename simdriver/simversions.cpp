#include "simversions.h"

#include "nvapiversions.h"

#include <algorithm>

std::vector<NvU32> SimVersions::supported(SimRecordKind kind)
{
    using namespace NvApiVersion;
    switch (kind) {
    case SimRecordKind::Pstates20:
        return { pstates20Ladder.begin(), pstates20Ladder.end() };
    case SimRecordKind::ClockFrequencies:
        return { clockFrequenciesLadder.begin(), clockFrequenciesLadder.end() };
    case SimRecordKind::MemoryInfo:
        return { memoryInfoLadder.begin(), memoryInfoLadder.end() };
    case SimRecordKind::ThermalSettings:
        return { thermalSettingsLadder.begin(), thermalSettingsLadder.end() };
    case SimRecordKind::DynamicPstates:
        return { dynamicPstatesV1 };
    case SimRecordKind::CoolerSettings:
        return { coolerSettingsLadder.begin(), coolerSettingsLadder.end() };
    case SimRecordKind::CoolerLevels:
        return { coolerLevelsV1, coolerLevelsV1Short };
    case SimRecordKind::ThermalPoliciesInfo:
        return { thermalPoliciesInfoLadder.begin(), thermalPoliciesInfoLadder.end() };
    case SimRecordKind::ThermalPoliciesStatus:
        return { thermalPoliciesStatusLadder.begin(), thermalPoliciesStatusLadder.end() };
    case SimRecordKind::PowerTopologyInfo:
        return { powerTopologyInfoV1 };
    case SimRecordKind::PowerTopologyStatus:
        return { powerTopologyStatusV1 };
    case SimRecordKind::PowerPoliciesInfo:
        return { powerPoliciesInfoV1 };
    case SimRecordKind::PowerPoliciesStatus:
        return { powerPoliciesStatusV1 };
    case SimRecordKind::I2cInfo:
        return { i2cV3, i2cV2, i2cV1 };
    case SimRecordKind::Count:
        break;
    }
    return {};
}

bool SimVersions::isSupported(SimRecordKind kind, NvU32 word)
{
    const std::vector<NvU32> words = supported(kind);
    return std::find(words.begin(), words.end(), word) != words.end();
}
