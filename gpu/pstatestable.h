#pragma once

#include "gpurecords.h"
#include "nvapirecords.h"
#include "tuningrecords.h"

#include <cstddef>

/// Reads and builds the performance-state record: P0, its clock and voltage
/// entries, the clocks with and without the user's offsets, and the records
/// the tuning operations write. Counts the driver reports are bounded by the
/// record's own arrays.
class PstatesTable
{
public:
    /// The performance state with id 0, or null.
    static const NvPstates20Pstate *findP0(const NvPstates20Info &info);
    static std::size_t clockCount(const NvPstates20Info &info);
    static std::size_t baseVoltageCount(const NvPstates20Info &info);

    /// The driver's base clocks plus P0's graphics and memory offsets.
    static ClockReading withOffsets(
        const NvPstates20Info &info, const NvPstates20Pstate &p0, ClockReading base);
    /// The driver's base clocks with P0's single-frequency memory offset taken off.
    static ClockReading stock(const NvPstates20Info &info, const NvPstates20Pstate &p0, ClockReading base);
    /// The clocks P0's own entries give when the driver reports no base clocks.
    static ClockReading fromTable(const NvPstates20Info &info, const NvPstates20Pstate &p0);

    /// Offset range and editable bit of P0's first entry of the domain; the
    /// range is left as it is when P0 has none.
    static void offsetRange(
        const NvPstates20Info &info, const NvPstates20Pstate &p0, NvU32 domain, ClockRange &range);
    /// The voltages of P0's base voltage entries; the last entry's values remain.
    static VoltageInfo voltageInfo(const NvPstates20Info &info, const NvPstates20Pstate &p0);

    /// P0 with one clock entry of the domain, shifted by the offset.
    static NvPstates20Info clockOffsetRecord(NvU32 domain, int offsetMhz);
    /// P0 with one core base voltage entry, shifted by the offset.
    static NvPstates20Info voltageOffsetRecord(int offsetMicrovolts);
    /// No states, one core over-voltage entry.
    static NvPstates20Info overVoltageRecord(int offsetMicrovolts);
};
