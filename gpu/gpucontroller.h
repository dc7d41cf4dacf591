#pragma once

#include "gpurecords.h"
#include "nvapitypes.h"
#include "tuningrecords.h"

#include <mutex>

#include <array>
#include <atomic>

/// The card object: every reading, tuning operation and I2C transaction of
/// one card passes through it. Its mutex guards only the handle lists, the
/// selected index and the extremes table; it is never held across a driver
/// call, so readings from several threads run side by side. Failures come
/// back as false or zeroed records, never as exceptions.
class GpuController
{
public:
    GpuController();
    ~GpuController();
    GpuController(const GpuController &) = delete;
    GpuController &operator=(const GpuController &) = delete;

    bool isInitialized() const { return m_initialized; }
    int gpuCount() const;
    void selectGpu(int index);
    int selectedIndex() const;

    // Identity and fixed information.
    bool readPciIdentifiers(PciIdentifiers &ids);
    /// Where the GPU sits: "0000:01:00.0" (the driver gives no PCI domain; 0 is taken), or empty.
    QString readPciLocation();
    /// The fan tachometer alone, with whether the card has one (readCooler cannot say).
    bool readFanRpm(std::int32_t &rpm);
    QString readGpuName();
    void readFixedInfo(NvInfo &info);
    /// The driver's version as "411.09"; false (and an empty text) when the driver does not tell it.
    bool readDriverVersion(QString &version);
    bool readClockFrequencies(ClockReading &clocks, ClockKind kind);
    bool readBaseClocks(ClockReading &clocks, bool stock);
    bool isTccGpu(NvPhysicalGpuHandle handle) const;

    // Live readings; each records into its extremes pair.
    void readCurrentClocks(ClockReading &clocks);
    bool readMemoryInfo(MemoryReading &memory);
    bool readThermal(ThermalReading &thermal);
    bool readUsage(UsageReading &usage);
    bool readCooler(CoolerReading &cooler);
    void readBoardTemperatures(BoardTemperatures &temperatures);
    void readExtremes(ExtremesTable &table) const;

    // Tuning.
    bool readGpuClockRange(ClockRange &range);
    bool readMemoryClockRange(ClockRange &range);
    bool readVoltageInfo(VoltageInfo &info);
    bool readPowerInfo(PowerInfo &info);
    bool readThermalLimitInfo(ThermalLimitInfo &info);
    bool setGpuClockOffset(int offsetMhz);
    bool setMemoryClockOffset(int offsetMhz);
    bool setVoltageOffset(int offsetMicrovolts);
    bool setOverVoltage(int offsetMicrovolts);
    bool setPowerTarget(int policyId, float percent);
    bool setThermalTarget(int policyId, float degrees, bool priority);
    int setThermalPriority(int policyId, int flag);
    bool linkPowerToThermal(int powerPolicyId, int thermalPolicyId, float powerPercent, LinkResult &result);
    bool linkThermalToPower(
        int powerPolicyId, int thermalPolicyId, float degrees, float currentPowerPercent, LinkResult &result);
    bool setCoolerLevel(int levelPercent, int policy);
    bool restoreCoolerDefault();
    bool restoreDefaults();

    // The card's own I2C devices.
    bool i2cRead(std::uint8_t address, std::uint8_t registerAddress, int registerSize, std::uint8_t *buffer,
        int count);
    bool i2cWrite(std::uint8_t address, std::uint8_t registerAddress, int registerSize,
        const std::uint8_t *buffer, int count);
    bool sendLedCommand(const std::uint8_t *payload, int payloadLength, std::uint8_t command,
        std::uint8_t parameterA, std::uint8_t parameterB, bool store);
    bool readLedState(LedStateReading &state);
    bool sendLcdFrame(bool lcdEnabled, bool autoSwitch, int switchSeconds, std::uint8_t displayMode);
    bool readBoardSensor(std::uint8_t address, std::int32_t &temperatureC);

    // Start-up probes: both really write to the card, and only a device that
    // takes the write is there.
    /// Sends the lighting controller's capability command with no payload.
    bool probeLightingController();
    /// Sends one LCD frame: LCD on, switching automatically every 10 s, page 0x80.
    bool probeLcd();

    /// The last LCD sequence number sent by any controller of the process.
    static std::uint8_t lcdSequence() { return s_lcdSequence.load(); }

private:
    /// Room for every physical handle followed by every TCC handle.
    static constexpr int MaxGpus = 2 * NvApiLimits::MaxPhysicalGpus;

    bool startUp();
    NvPhysicalGpuHandle handle() const;
    void record(Extreme which, std::int32_t value);
    /// Every reading starts from a zeroed record: the selected card's handle, or null without a card.
    template <class Reading> NvPhysicalGpuHandle beginReading(Reading &reading) const
    {
        reading = Reading();
        return handle();
    }
    /// A sampled reading that failed (no card, no answer) records 0 for its extreme, as a card that answers
    /// nothing; false.
    bool failedReading(Extreme which);
    bool readClockRange(ClockRange &range, NvU32 domain);
    bool writeClockOffset(NvU32 domain, int offsetMhz, bool memoryLadder);
    bool i2cTransaction(bool write, std::uint8_t address, std::uint8_t registerAddress, int registerSize,
        std::uint8_t *buffer, int count);

    mutable std::mutex m_mutex;
    ExtremesTable m_extremes;
    int m_gpuCount = 0;
    int m_tccCount = 0;
    std::array<NvPhysicalGpuHandle, MaxGpus> m_handles = {};
    std::array<NvPhysicalGpuHandle, NvApiLimits::MaxPhysicalGpus> m_tccHandles = {};
    int m_selected = 0;
    std::atomic<int> m_memoryTypeMultiplier { 2 };
    bool m_initialized = false;
    bool m_holdsBinding = false;

    static std::atomic<std::uint8_t> s_lcdSequence;
};
