#pragma once

#include "gpurecords.h"
#include "tuningrecords.h"

/// One snapshot of a card's tuning as the overclocking page reads and writes it: the controller's readings
/// plus the page's link flag and fan mode.
struct TuningState
{
    enum FanMode { FanAutomatic = 0, FanManual = 1, FanUserDefined = 2 };

    ClockReading clocks; ///< GPU and memory clock in MHz, offsets included
    ClockRange gpuRange;
    ClockRange memoryRange;
    CoolerReading cooler; ///< levels in percent; policy 32 automatic, 1 manual
    VoltageInfo voltage;
    PowerInfo power;
    ThermalLimitInfo thermal;
    bool link = false;
    int fanMode = FanAutomatic;

    int gpuClockMinMhz() const { return gpuRange.baseClockMhz + gpuRange.minOffsetMhz; }
    int gpuClockMaxMhz() const { return gpuRange.baseClockMhz + gpuRange.maxOffsetMhz; }
    int memoryClockMinMhz() const { return memoryRange.baseClockMhz + memoryRange.minOffsetMhz; }
    int memoryClockMaxMhz() const { return memoryRange.baseClockMhz + memoryRange.maxOffsetMhz; }
    /// A cooler whose lowest and highest level are equal cannot be set.
    bool fanSettable() const { return cooler.levelLowPercent != cooler.levelHighPercent; }
};
