#pragma once

#include "settingsrecords.h"
#include "tuningstate.h"

#include <cstdint>

/// The overclocking page's decisions that need no widget: the boost table of the high-performance preset,
/// how a stored record meets the card's readings, the voltage offset and the link step.
class TuningRules
{
public:
    /// The preset's GPU clock in MHz for a subsystem device id (the high 16 bits of the PCI subsystem id);
    /// 0 for a card not in the table.
    static int boostClockMhz(std::uint32_t subsystemDeviceId);

    /// Whether the preset may run on a card from its page: the maker's vendor id in the subsystem id's low 16
    /// bits and the one model name, of any series and model (the window's switch asks for more).
    static bool mayRunHighPerformancePreset(std::uint32_t subsystemId, const QString &fullName);

    /// The working state with the stored values that may replace the readings: a value replaces its
    /// reading only when it lies inside the range just read for a quantity the card let be set. A negative
    /// value, one outside the range or one for a reading that failed keeps the card's reading.
    static TuningState withStoredValues(const TuningState &read, const AdjustRecord &stored);

    /// The offset to write for a voltage in mV, in microvolts: the voltage is first held to the range read.
    static int voltageOffsetMicrovolts(const VoltageInfo &voltage, int voltageMv);

    /// A linked value as a row value: false (no link step) for a value that is not finite or does not fit.
    static bool linkStep(float linked, int &rowValue);

    /// The state the preset writes: the boost clock, memory and voltage at their base, the highest power
    /// target, the default temperature target, the automatic fan and no link.
    static TuningState highPerformanceState(const TuningState &working, int boostMhz);

    /// The state switching the preset off after a restart goes back to: the stock values.
    static TuningState stockState(const TuningState &working);
};
