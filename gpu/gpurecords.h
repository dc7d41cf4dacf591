#pragma once

#include <QMetaType>
#include <QString>

#include <array>
#include <cstdint>

// The records the controller hands to the rest of the program. Units are in
// the names or the comments; every field is zero (or empty) when not filled.

/// One monitored quantity with its extremes and the span a gauge should show.
struct MonitorValue
{
    std::int32_t maximum = 0;
    std::int32_t minimum = 0;
    std::int32_t current = 0;
    std::int32_t rangeTop = 0;
    std::int32_t rangeBottom = 0;
};

/// The live record of one card, sent on every sampling cycle.
struct NvCardBaseInfo
{
    MonitorValue gpuClock; ///< MHz
    MonitorValue memoryClock; ///< MHz
    MonitorValue fanSpeed; ///< RPM
    MonitorValue temperature; ///< degrees Celsius
    MonitorValue memoryUsage; ///< percent of dedicated memory
    MonitorValue gpuUsage; ///< percent
    MonitorValue memoryAmount; ///< MB
};

/// The four board sensors (0x9E, 0x90, 0x96, 0x92), degrees Celsius.
struct BoardTempCompleteInfo
{
    MonitorValue sensor1;
    MonitorValue sensor2;
    MonitorValue sensor3;
    MonitorValue sensor4;
};

/// The fixed-information record of the information panel.
struct NvInfo
{
    QString name;
    QString memorySize;
    QString memoryBusWidth;
    QString memoryType;
    QString memoryBandwidth;
    QString defaultGpuClock;
    QString defaultMemoryClock;
    QString gpuClock;
    std::int32_t gpuClockOffset = 0; ///< MHz
    std::int32_t memoryClockOffset = 0; ///< MHz
    QString memoryClock;
    QString driverVersion;
    QString biosVersion;
};

struct PciIdentifiers
{
    std::uint32_t deviceId = 0; ///< PCI device id << 16 | vendor 0x10DE
    std::uint32_t subSystemId = 0; ///< board maker's vendor id in the low 16 bits
    std::uint32_t revisionId = 0;
    std::uint32_t extDeviceId = 0;
};

/// Which clocks a clock reading asks for; the values are the driver's clock type codes.
enum class ClockKind : std::uint32_t {
    Current = 0,
    Base = 1,
    Boost = 2,
};

struct ClockReading
{
    std::int32_t gpuMhz = 0;
    std::int32_t memoryMhz = 0;
    std::int32_t processorMhz = 0;
};

struct MemoryReading
{
    std::int32_t usedKb = 0;
    std::int32_t dedicatedKb = 0;
    std::int32_t currentAvailableKb = 0;
    std::int32_t availableDedicatedKb = 0;
};

struct ThermalReading
{
    std::int32_t defaultMinimumC = 0;
    std::int32_t defaultMaximumC = 0;
    std::int32_t currentC = 0;
};

struct UsageReading
{
    std::int32_t gpuPercent = 0;
    std::int32_t frameBufferPercent = 0;
    std::int32_t videoEnginePercent = 0;
    std::int32_t busPercent = 0;
};

/// Fan policy codes the cooler records carry. The program sets Manual (the fan
/// curve and manual control) and Automatic (the driver's default); the others
/// are passed through when a caller names them, and None is written for any
/// code not listed here.
namespace FanPolicy {
constexpr std::int32_t None = 0;
constexpr std::int32_t Manual = 1;
constexpr std::int32_t Performance = 2;
constexpr std::int32_t TemperatureDiscrete = 4;
constexpr std::int32_t TemperatureContinuous = 8;
constexpr std::int32_t Automatic = 32;

/// Whether a code is one of the policies the cooler level write passes on.
constexpr bool isKnown(std::int32_t policy)
{
    return policy == Manual || policy == Performance || policy == TemperatureDiscrete
        || policy == TemperatureContinuous || policy == Automatic;
}
} // namespace FanPolicy

struct CoolerReading
{
    std::int32_t levelHighPercent = 0;
    std::int32_t levelLowPercent = 0;
    std::int32_t reserved1 = 0;
    std::int32_t reserved2 = 0;
    std::int32_t fanSpeedRpm = 0;
    std::int32_t tachRangeLow = 0;
    std::int32_t tachRangeHigh = 0;
    std::int32_t currentLevelPercent = 0;
    std::int32_t policy = FanPolicy::Automatic;
};

/// The board sensors at 0x9E, 0x90, 0x96, 0x92, in that order.
constexpr std::size_t BoardSensorCount = 4;

struct BoardTemperatures
{
    std::array<std::int32_t, BoardSensorCount> sensorC = { 0, 0, 0, 0 };
};

/// Highest and lowest value seen since start; a fresh pair takes the first value as both.
struct ExtremePair
{
    std::int32_t maximum = INT32_MIN;
    std::int32_t minimum = INT32_MAX;
};

enum class Extreme : int {
    GpuClock,
    MemoryClock,
    FanSpeed,
    Temperature,
    UsedMemory,
    GpuUsage,
    BoardSensor1,
    BoardSensor2,
    BoardSensor3,
    BoardSensor4,
    Count
};

using ExtremesTable = std::array<ExtremePair, static_cast<int>(Extreme::Count)>;

inline const ExtremePair &extreme(const ExtremesTable &table, Extreme which)
{
    return table[static_cast<std::size_t>(which)];
}

Q_DECLARE_METATYPE(NvCardBaseInfo)
Q_DECLARE_METATYPE(BoardTempCompleteInfo)
Q_DECLARE_METATYPE(NvInfo)

/// Registers the records that travel through queued connections.
void registerGpuRecordMetaTypes();
