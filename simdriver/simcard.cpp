#include "simcard.h"

#include "nvrecordversions.h"
#include "simdynamics.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {
int saturated(std::int64_t value)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

// MHz of the card's description to the kHz of a record, and whole degrees to
// the records' 1/256 degree, taken in 64 bits and kept inside an int.
int khzOf(int mhz)
{
    return saturated(std::int64_t { mhz } * 1000);
}

int rawOf(int celsius)
{
    return saturated(std::int64_t { celsius } * 256);
}

// A range whose ends came the wrong way round holds only its lower end.
int clampTo(int value, int lowest, int highest)
{
    return std::clamp(value, lowest, std::max(lowest, highest));
}
} // namespace

SimCard::SimCard(const SimCardConfig &config, double nowSeconds)
    : m_config(config)
    , m_lastSeconds(nowSeconds)
{
    m_tuning.powerLimit = config.powerDefault;
    m_tuning.thermalLimitRaw = rawOf(config.thermalDefaultC);
    m_tuning.coolerPolicy = 32;
    m_readings = SimDynamics::settled(m_config, m_tuning, SimDynamics::load(nowSeconds, m_config.loadPhase));
    m_tuning.coolerLevelPercent = m_readings.fanLevelPercent;
    rebuildDevices();
}

void SimCard::advanceTo(double nowSeconds)
{
    const double dt = nowSeconds - m_lastSeconds;
    m_lastSeconds = nowSeconds;
    if (m_frozen || dt <= 0.0)
        return;
    SimDynamics::step(m_readings, m_config, m_tuning, SimDynamics::load(nowSeconds, m_config.loadPhase), dt);
}

void SimCard::setReadings(const SimReadings &readings)
{
    m_readings = readings;
    m_frozen = true;
}

bool SimCard::accepts(NvRecordKind kind, NvU32 word) const
{
    auto restricted = m_restrictedVersions.find(kind);
    if (restricted == m_restrictedVersions.end())
        return NvRecordVersions::isSupported(kind, word);
    const std::vector<NvU32> &words = restricted->second;
    return std::find(words.begin(), words.end(), word) != words.end();
}

void SimCard::restrictVersions(NvRecordKind kind, const std::vector<NvU32> &words)
{
    m_restrictedVersions[kind] = words;
}

NvU32 SimCard::clockKhz(int domain, int clockType) const
{
    const std::int64_t gpuOffsetMhz = m_tuning.gpuOffsetKhz / 1000;
    const std::int64_t memoryMhz = std::int64_t { m_config.memoryMhz } + m_tuning.memoryOffsetKhz / 1000;
    std::int64_t mhz = 0;
    if (domain == 0)
        mhz = clockType == 0 ? m_readings.gpuClockMhz
            : clockType == 1 ? m_config.gpuBaseMhz
                             : m_config.gpuBoostMhz + gpuOffsetMhz;
    else if (domain == 4)
        mhz = clockType == 0 ? m_readings.memoryClockMhz : memoryMhz;
    else if (domain == 8)
        mhz = clockType == 0 ? m_readings.videoClockMhz : m_config.videoBaseMhz;
    return static_cast<NvU32>(std::clamp<std::int64_t>(mhz * 1000, 0, UINT32_MAX));
}

void SimCard::setGpuOffsetKhz(int offsetKhz)
{
    const int clamped = clampTo(offsetKhz, khzOf(m_config.gpuOffsetMinMhz), khzOf(m_config.gpuOffsetMaxMhz));
    const int shiftMhz = static_cast<int>((std::int64_t { clamped } - m_tuning.gpuOffsetKhz) / 1000);
    m_tuning.gpuOffsetKhz = clamped;
    // A loaded card runs at its boost clock, which the offset moves at once;
    // the idle clock stays where it is.
    if (m_readings.gpuClockMhz > m_config.gpuIdleMhz)
        m_readings.gpuClockMhz
            = std::max(m_config.gpuIdleMhz, saturated(std::int64_t { m_readings.gpuClockMhz } + shiftMhz));
}

void SimCard::setMemoryOffsetKhz(int offsetKhz)
{
    const int clamped
        = clampTo(offsetKhz, khzOf(m_config.memoryOffsetMinMhz), khzOf(m_config.memoryOffsetMaxMhz));
    const std::int64_t before
        = std::max<std::int64_t>(0, std::int64_t { m_config.memoryMhz } + m_tuning.memoryOffsetKhz / 1000);
    m_tuning.memoryOffsetKhz = clamped;
    if (m_readings.memoryClockMhz == before)
        m_readings.memoryClockMhz
            = saturated(std::max<std::int64_t>(0, std::int64_t { m_config.memoryMhz } + clamped / 1000));
}

void SimCard::setVoltageDeltaUv(int deltaUv)
{
    m_tuning.voltageDeltaUv = clampTo(deltaUv, m_config.voltageDeltaMinUv, m_config.voltageDeltaMaxUv);
}

void SimCard::setOverVoltageDeltaUv(int deltaUv)
{
    m_tuning.overVoltageDeltaUv = clampTo(deltaUv, m_config.overVoltageMinUv, m_config.overVoltageMaxUv);
}

void SimCard::setPowerLimit(NvU32 limit)
{
    m_tuning.powerLimit
        = std::clamp(limit, m_config.powerMin, std::max(m_config.powerMin, m_config.powerMax));
}

void SimCard::setThermalLimit(int limitRaw, bool priority)
{
    m_tuning.thermalLimitRaw = clampTo(limitRaw, rawOf(m_config.thermalMinC), rawOf(m_config.thermalMaxC));
    m_tuning.thermalPriority = priority;
}

void SimCard::setCooler(int levelPercent, NvU32 policy)
{
    m_tuning.coolerPolicy = policy;
    m_tuning.coolerLevelPercent
        = clampTo(levelPercent, m_config.fanLevelMinPercent, m_config.fanLevelMaxPercent);
    SimDynamics::applyFan(m_readings, m_config, m_tuning);
}

bool SimCard::i2cWrite(NvU8 address, const std::vector<NvU8> &bytes)
{
    const NvU8 device = address & 0xFE;
    if (device == LedAddress)
        return m_led && m_led->receive(bytes);
    if (device == LcdAddress)
        return m_lcd && m_lcd->receive(bytes);
    const int sensor = boardSensorIndex(device);
    if (sensor < 0)
        return false;
    m_sensors[sensor]->receive(bytes);
    return true;
}

bool SimCard::i2cRead(
    NvU8 address, const std::vector<NvU8> &registerBytes, std::size_t count, std::vector<NvU8> &answer)
{
    const NvU8 device = address & 0xFE;
    if (device == LedAddress) {
        if (!m_led)
            return false;
        answer = m_led->stateBytes();
        answer.resize(count, 0);
        return true;
    }
    if (device == LcdAddress) {
        if (!m_lcd)
            return false;
        answer.assign(count, 0);
        return true;
    }
    const int sensor = boardSensorIndex(device);
    if (sensor < 0)
        return false;
    if (!registerBytes.empty())
        m_sensors[sensor]->receive(registerBytes);
    answer = m_sensors[sensor]->answer(count, m_readings.boardSensorC[sensor]);
    return true;
}

void SimCard::rebuildDevices()
{
    m_led.reset(m_config.hasLed ? new SimLedController(m_config.ledKind) : nullptr);
    m_lcd.reset(m_config.hasLcd ? new SimLcdController : nullptr);
    for (std::size_t i = 0; i < m_sensors.size(); ++i)
        m_sensors[i].reset(m_config.boardSensors[i] ? new SimBoardSensor : nullptr);
}

int SimCard::boardSensorIndex(NvU8 address) const
{
    for (std::size_t i = 0; i < BoardSensorAddresses.size(); ++i) {
        if (BoardSensorAddresses[i] == address && m_sensors[i])
            return static_cast<int>(i);
    }
    return -1;
}
