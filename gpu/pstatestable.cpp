#include "pstatestable.h"

#include "driverunits.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {
NvPstates20Info emptyRecord()
{
    NvPstates20Info info;
    std::memset(&info, 0, sizeof(info));
    return info;
}
} // namespace

const NvPstates20Pstate *PstatesTable::findP0(const NvPstates20Info &info)
{
    const NvU32 count = std::min<NvU32>(info.numPstates, NvU32(std::size(info.pstates)));
    for (NvU32 i = 0; i < count; ++i) {
        if (info.pstates[i].pstateId == 0)
            return &info.pstates[i];
    }
    return nullptr;
}

std::size_t PstatesTable::clockCount(const NvPstates20Info &info)
{
    return std::min<std::size_t>(info.numClocks, std::size(info.pstates[0].clocks));
}

std::size_t PstatesTable::baseVoltageCount(const NvPstates20Info &info)
{
    return std::min<std::size_t>(info.numBaseVoltages, std::size(info.pstates[0].baseVoltages));
}

ClockReading PstatesTable::withOffsets(
    const NvPstates20Info &info, const NvPstates20Pstate &p0, ClockReading base)
{
    for (std::size_t c = 0; c < clockCount(info); ++c) {
        const NvPstates20ClockEntry &e = p0.clocks[c];
        if (e.domainId == NvClockDomainId::Graphics)
            base.gpuMhz += e.freqDelta_kHz.value / 1000;
        else if (e.domainId == NvClockDomainId::Memory)
            base.memoryMhz += e.freqDelta_kHz.value / 1000;
    }
    return base;
}

ClockReading PstatesTable::stock(const NvPstates20Info &info, const NvPstates20Pstate &p0, ClockReading base)
{
    for (std::size_t c = 0; c < clockCount(info); ++c) {
        const NvPstates20ClockEntry &e = p0.clocks[c];
        if (e.domainId == NvClockDomainId::Memory && e.typeId == NvClockEntryType::Single)
            base.memoryMhz -= e.freqDelta_kHz.value / 1000;
    }
    return base;
}

ClockReading PstatesTable::fromTable(const NvPstates20Info &info, const NvPstates20Pstate &p0)
{
    ClockReading clocks;
    for (std::size_t c = 0; c < clockCount(info); ++c) {
        const NvPstates20ClockEntry &e = p0.clocks[c];
        if (e.domainId == NvClockDomainId::Graphics)
            clocks.gpuMhz = static_cast<std::int32_t>(
                (e.typeId == NvClockEntryType::Range ? e.data.range.maxFreq_kHz : e.data.single.freq_kHz)
                / 1000);
        else if (e.domainId == NvClockDomainId::Memory)
            clocks.memoryMhz = static_cast<std::int32_t>(
                (e.typeId == NvClockEntryType::Single ? e.data.single.freq_kHz : e.data.range.maxFreq_kHz)
                / 1000);
    }
    return clocks;
}

void PstatesTable::offsetRange(
    const NvPstates20Info &info, const NvPstates20Pstate &p0, NvU32 domain, ClockRange &range)
{
    for (std::size_t c = 0; c < clockCount(info); ++c) {
        const NvPstates20ClockEntry &e = p0.clocks[c];
        if (e.domainId != domain)
            continue;
        range.editable = e.flags & 1;
        range.minOffsetMhz = e.freqDelta_kHz.min / 1000;
        range.maxOffsetMhz = e.freqDelta_kHz.max / 1000;
        return;
    }
}

VoltageInfo PstatesTable::voltageInfo(const NvPstates20Info &info, const NvPstates20Pstate &p0)
{
    VoltageInfo out;
    for (std::size_t v = 0; v < baseVoltageCount(info); ++v) {
        const NvPstates20BaseVoltageEntry &e = p0.baseVoltages[v];
        if (e.domainId == NvVoltageDomain::Core)
            out.currentMv = static_cast<std::int32_t>(e.volt_uV / 1000);
        const std::int32_t stock = truncToInt((std::int64_t(e.volt_uV) - e.voltDelta_uV.value) / 1000);
        out.stockMv = stock;
        out.stockMv2 = stock;
        out.highestMv = e.voltDelta_uV.max / 1000 + stock;
        out.lowestMv = e.voltDelta_uV.min / 1000 + stock;
        out.editable = e.flags & 1;
    }
    return out;
}

NvPstates20Info PstatesTable::clockOffsetRecord(NvU32 domain, int offsetMhz)
{
    NvPstates20Info info = emptyRecord();
    info.numPstates = 1;
    info.numClocks = 1;
    info.pstates[0].pstateId = 0;
    info.pstates[0].clocks[0].domainId = domain;
    info.pstates[0].clocks[0].freqDelta_kHz.value = truncToInt(double(offsetMhz) * 1000.0);
    return info;
}

NvPstates20Info PstatesTable::voltageOffsetRecord(int offsetMicrovolts)
{
    NvPstates20Info info = emptyRecord();
    info.numPstates = 1;
    info.numBaseVoltages = 1;
    info.pstates[0].baseVoltages[0].domainId = NvVoltageDomain::Core;
    info.pstates[0].baseVoltages[0].voltDelta_uV.value = offsetMicrovolts;
    return info;
}

NvPstates20Info PstatesTable::overVoltageRecord(int offsetMicrovolts)
{
    NvPstates20Info info = emptyRecord();
    info.ov.numVoltages = 1;
    info.ov.voltages[0].domainId = NvVoltageDomain::Core;
    info.ov.voltages[0].voltDelta_uV.value = offsetMicrovolts;
    return info;
}
