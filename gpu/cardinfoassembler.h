#pragma once

#include "gpurecords.h"

/// Turns one cycle's readings and the extremes into the records the views
/// get. Keeps the sticky range flags: once a card has shown a high clock or
/// fan speed, its gauges keep the wider span for the rest of the run.
class CardInfoAssembler
{
public:
    struct Readings
    {
        MemoryReading memory;
        ThermalReading thermal;
        ClockReading clocks;
        CoolerReading cooler;
        UsageReading usage;
    };

    NvCardBaseInfo assemble(const Readings &readings, const ExtremesTable &extremes);
    static BoardTempCompleteInfo assembleBoard(
        const BoardTemperatures &temperatures, const ExtremesTable &extremes);

    bool highGpuClockSeen() const { return m_highGpuClockSeen; }
    bool highMemoryClockSeen() const { return m_highMemoryClockSeen; }
    bool highFanSpeedSeen() const { return m_highFanSpeedSeen; }

private:
    bool m_highGpuClockSeen = false;
    bool m_highMemoryClockSeen = false;
    bool m_highFanSpeedSeen = false;
};
