#pragma once

#include "nvrecordkind.h"
#include "simboardsensor.h"
#include "simcardconfig.h"
#include "simlcdcontroller.h"
#include "simledcontroller.h"
#include "simreadings.h"
#include "simtuning.h"

#include <array>
#include <map>
#include <memory>
#include <vector>

/// One simulated card: its description, its live readings, what tuning has
/// set, and the devices on its I2C bus. Not locked itself: the driver's mutex
/// guards every card.
class SimCard
{
public:
    static constexpr std::array<NvU8, 4> BoardSensorAddresses = { 0x9E, 0x90, 0x96, 0x92 };
    static constexpr NvU8 LedAddress = 0xA0;
    static constexpr NvU8 LcdAddress = 0xAC;
    static constexpr NvU8 I2cPort = 1;

    SimCard(const SimCardConfig &config, double nowSeconds);

    const SimCardConfig &config() const { return m_config; }
    SimCardConfig &config() { return m_config; }
    const SimReadings &readings() const { return m_readings; }
    const SimTuning &tuning() const { return m_tuning; }

    /// Moves the readings on to `nowSeconds` unless the card is frozen.
    void advanceTo(double nowSeconds);
    void setFrozen(bool frozen) { m_frozen = frozen; }
    bool isFrozen() const { return m_frozen; }
    /// Replaces the readings and freezes the card, so they stay exactly so.
    void setReadings(const SimReadings &readings);

    bool accepts(NvRecordKind kind, NvU32 word) const;
    /// Accept only these words for the kind from now on (empty: accept none).
    void restrictVersions(NvRecordKind kind, const std::vector<NvU32> &words);

    /// Clock of a public domain (0 graphics, 4 memory, 8 video) for a clock
    /// type (0 current, 1 base, 2 boost), in kHz; 0 for an absent domain.
    NvU32 clockKhz(int domain, int clockType) const;
    /// Core voltage including the user's delta, microvolts.
    int coreVoltageUv() const { return m_readings.coreVoltageUv + m_tuning.voltageDeltaUv; }

    // Tuning writes; each keeps its value inside the card's range.
    void setGpuOffsetKhz(int offsetKhz);
    void setMemoryOffsetKhz(int offsetKhz);
    void setVoltageDeltaUv(int deltaUv);
    void setOverVoltageDeltaUv(int deltaUv);
    void setPowerLimit(NvU32 limit);
    void setThermalLimit(int limitRaw, bool priority);
    void setCooler(int levelPercent, NvU32 policy);
    void enableOverclockedPstates(bool enabled) { m_tuning.overclockedPstatesEnabled = enabled; }

    // The I2C bus. Addresses in 8-bit form; a missing device does not
    // acknowledge and the transaction fails.
    bool i2cWrite(NvU8 address, const std::vector<NvU8> &bytes);
    bool i2cRead(
        NvU8 address, const std::vector<NvU8> &registerBytes, std::size_t count, std::vector<NvU8> &answer);

    const SimLedController *led() const { return m_led.get(); }
    const SimLcdController *lcd() const { return m_lcd.get(); }
    /// Rebuilds the I2C devices after the configuration changed which exist.
    void rebuildDevices();

private:
    int boardSensorIndex(NvU8 address) const;

    SimCardConfig m_config;
    SimReadings m_readings;
    SimTuning m_tuning;
    bool m_frozen = false;
    double m_lastSeconds = 0.0;
    std::map<NvRecordKind, std::vector<NvU32>> m_restrictedVersions;
    std::unique_ptr<SimLedController> m_led;
    std::unique_ptr<SimLcdController> m_lcd;
    std::array<std::unique_ptr<SimBoardSensor>, 4> m_sensors;
};
