#include "policytables.h"

#include "driverunits.h"
#include "nvapiversions.h"

#include <algorithm>

namespace {
int entryCount(NvU8 reported, std::size_t capacity)
{
    return std::min<int>(reported, int(capacity));
}
} // namespace

bool PolicyTables::thermalSupported(const NvThermalPoliciesInfo &info)
{
    return (info.u8(NvThermalPoliciesInfo::flags) & 1) != 0;
}

ThermalPolicy PolicyTables::findThermal(const NvThermalPoliciesInfo &info, int policyId)
{
    ThermalPolicy policy;
    const int index = thermalIndex(info, policyId);
    if (index == entryCount(info.u8(NvThermalPoliciesInfo::count), NvThermalPoliciesInfo::maxEntries))
        return policy;
    const std::size_t e = NvThermalPoliciesInfo::entry(index);
    policy.found = true;
    policy.minRaw = info.s32(e + NvThermalPoliciesInfo::minLimit);
    policy.defaultRaw = info.s32(e + NvThermalPoliciesInfo::defaultLimit);
    policy.maxRaw = info.s32(e + NvThermalPoliciesInfo::maxLimit);
    return policy;
}

int PolicyTables::thermalIndex(const NvThermalPoliciesInfo &info, int policyId)
{
    const int count = entryCount(info.u8(NvThermalPoliciesInfo::count), NvThermalPoliciesInfo::maxEntries);
    int index = 0;
    while (index < count
        && info.s32(NvThermalPoliciesInfo::entry(index) + NvThermalPoliciesInfo::policyId) != policyId)
        ++index;
    return index;
}

PowerPolicy PolicyTables::findPower(const NvPowerPoliciesInfo &info, int policyId)
{
    PowerPolicy policy;
    const int count = entryCount(info.u8(NvPowerPoliciesInfo::count), NvPowerPoliciesInfo::maxEntries);
    for (int i = 0; i < count; ++i) {
        const std::size_t e = NvPowerPoliciesInfo::entry(i);
        if (info.s32(e + NvPowerPoliciesInfo::policyId) != policyId)
            continue;
        policy.found = true;
        policy.minRaw = info.u32(e + NvPowerPoliciesInfo::minLimit);
        policy.defaultRaw = info.u32(e + NvPowerPoliciesInfo::defaultLimit);
        policy.maxRaw = info.u32(e + NvPowerPoliciesInfo::maxLimit);
        return policy;
    }
    return policy;
}

NvPowerTopologyStatus PolicyTables::topologyRequest(const NvPowerTopologyInfo &topology)
{
    NvPowerTopologyStatus request;
    request.setVersion(NvApiVersion::powerTopologyStatusV1);
    const int channels = entryCount(topology.u8(NvPowerTopologyInfo::count),
        std::min(NvPowerTopologyInfo::maxEntries, NvPowerTopologyStatus::maxEntries));
    request.setU8(NvPowerTopologyStatus::count, static_cast<NvU8>(channels));
    for (int i = 0; i < channels; ++i)
        request.setU32(NvPowerTopologyStatus::entry(i) + NvPowerTopologyStatus::channelId,
            topology.u32(NvPowerTopologyInfo::channelId(i)));
    return request;
}

NvPowerPoliciesStatus PolicyTables::powerRequest(const NvPowerPoliciesInfo &policies, PowerInfo &out)
{
    const int count = entryCount(policies.u8(NvPowerPoliciesInfo::count),
        std::min(NvPowerPoliciesInfo::maxEntries, NvPowerPoliciesStatus::maxEntries));
    NvPowerPoliciesStatus request;
    request.setVersion(NvApiVersion::powerPoliciesStatusV1);
    request.setU8(NvPowerPoliciesStatus::count, static_cast<NvU8>(count));
    for (int i = 0; i < count; ++i) {
        const std::size_t e = NvPowerPoliciesInfo::entry(i);
        out.minimumPercent
            = static_cast<std::int32_t>(policies.u32(e + NvPowerPoliciesInfo::minLimit) / 1000);
        out.defaultPercent
            = static_cast<std::int32_t>(policies.u32(e + NvPowerPoliciesInfo::defaultLimit) / 1000);
        out.maximumPercent
            = static_cast<std::int32_t>(policies.u32(e + NvPowerPoliciesInfo::maxLimit) / 1000);
        out.policyId = policies.s32(e + NvPowerPoliciesInfo::policyId);
        request.setU32(NvPowerPoliciesStatus::entry(i) + NvPowerPoliciesStatus::policyId,
            policies.u32(e + NvPowerPoliciesInfo::policyId));
    }
    return request;
}

void PolicyTables::powerStatus(const NvPowerPoliciesInfo &policies, const NvPowerPoliciesStatus &status,
    const NvPowerTopologyStatus &topology, PowerInfo &out)
{
    const int policyCount = entryCount(policies.u8(NvPowerPoliciesInfo::count),
        std::min(NvPowerPoliciesInfo::maxEntries, NvPowerPoliciesStatus::maxEntries));
    const int statusCount
        = entryCount(status.u8(NvPowerPoliciesStatus::count), NvPowerPoliciesStatus::maxEntries);
    const int topologyCount
        = entryCount(topology.u8(NvPowerTopologyStatus::count), NvPowerTopologyStatus::maxEntries);
    for (int i = 0; i < statusCount; ++i) {
        out.currentTargetPercent = static_cast<std::int32_t>(
            status.u32(NvPowerPoliciesStatus::entry(i) + NvPowerPoliciesStatus::limit) / 1000);
        const NvU32 channel = i < policyCount
            ? policies.u32(NvPowerPoliciesInfo::entry(i) + NvPowerPoliciesInfo::channelRef)
            : 0;
        for (int t = 0; t < topologyCount; ++t) {
            const std::size_t te = NvPowerTopologyStatus::entry(t);
            if (topology.u32(te + NvPowerTopologyStatus::channelId) == channel)
                out.currentDrawPercent
                    = static_cast<std::int32_t>(topology.u32(te + NvPowerTopologyStatus::power) / 1000);
        }
    }
}

NvThermalPoliciesStatus PolicyTables::thermalRequest(const NvThermalPoliciesInfo &info, ThermalLimitInfo &out)
{
    const int count = entryCount(info.u8(NvThermalPoliciesInfo::count),
        std::min(NvThermalPoliciesInfo::maxEntries, NvThermalPoliciesStatus::maxEntries));
    NvThermalPoliciesStatus request;
    request.setU8(NvThermalPoliciesStatus::count, static_cast<NvU8>(count));
    for (int i = 0; i < count; ++i) {
        const std::size_t e = NvThermalPoliciesInfo::entry(i);
        out.policyId = info.s32(e + NvThermalPoliciesInfo::policyId);
        out.minimumC = raw256ToDegrees(info.s32(e + NvThermalPoliciesInfo::minLimit));
        out.maximumC = raw256ToDegrees(info.s32(e + NvThermalPoliciesInfo::maxLimit));
        out.defaultC = raw256ToDegrees(info.s32(e + NvThermalPoliciesInfo::defaultLimit));
        request.setU32(NvThermalPoliciesStatus::entry(i) + NvThermalPoliciesStatus::policyId,
            info.u32(e + NvThermalPoliciesInfo::policyId));
    }
    return request;
}

void PolicyTables::thermalStatus(const NvThermalPoliciesStatus &status, ThermalLimitInfo &out)
{
    const int count
        = entryCount(status.u8(NvThermalPoliciesStatus::count), NvThermalPoliciesStatus::maxEntries);
    for (int i = 0; i < count; ++i) {
        const std::size_t e = NvThermalPoliciesStatus::entry(i);
        out.currentC = raw256ToDegrees(status.s32(e + NvThermalPoliciesStatus::limit));
        out.priority = status.u8(e + NvThermalPoliciesStatus::flags) & 1;
    }
}

std::optional<std::int32_t> PolicyTables::thermalStatusLimit(
    const NvThermalPoliciesStatus &status, int policyId)
{
    std::optional<std::int32_t> limit;
    const int count
        = entryCount(status.u8(NvThermalPoliciesStatus::count), NvThermalPoliciesStatus::maxEntries);
    for (int i = 0; i < count; ++i) {
        const std::size_t e = NvThermalPoliciesStatus::entry(i);
        if (status.s32(e + NvThermalPoliciesStatus::policyId) == policyId)
            limit = status.s32(e + NvThermalPoliciesStatus::limit);
    }
    return limit;
}

NvPowerPoliciesStatus PolicyTables::powerLimitRecord(int policyId, std::uint32_t limitRaw)
{
    NvPowerPoliciesStatus status;
    status.setVersion(NvApiVersion::powerPoliciesStatusV1);
    status.setU8(NvPowerPoliciesStatus::count, 1);
    const std::size_t e = NvPowerPoliciesStatus::entry(0);
    status.setS32(e + NvPowerPoliciesStatus::policyId, policyId);
    status.setU32(e + NvPowerPoliciesStatus::flags, 0);
    status.setU32(e + NvPowerPoliciesStatus::limit, limitRaw);
    return status;
}

NvThermalPoliciesStatus PolicyTables::thermalLimitRecord(
    int policyId, std::int32_t limitRaw, std::uint8_t flags)
{
    NvThermalPoliciesStatus status;
    status.setU8(NvThermalPoliciesStatus::count, 1);
    const std::size_t e = NvThermalPoliciesStatus::entry(0);
    status.setS32(e + NvThermalPoliciesStatus::policyId, policyId);
    status.setS32(e + NvThermalPoliciesStatus::limit, limitRaw);
    status.setU8(e + NvThermalPoliciesStatus::flags, flags);
    return status;
}
