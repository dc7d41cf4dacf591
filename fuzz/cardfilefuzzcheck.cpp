#include "cardfilefuzzcheck.h"

#include "nvrecordversions.h"
#include "simcard.h"
#include "simcardfile.h"
#include "simrecordwriter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr double StartSeconds = 1000.0;
// Every card is read; simulating more than a few adds time, not paths.
constexpr std::size_t MaxSimulatedCards = 4;
// Short steps, a long one and one past the settling time.
constexpr double StepSeconds[] = { 0.5, 1.0, 7.0, 30.0, 700.0 };

NvU32 newest(NvRecordKind kind)
{
    return NvRecordVersions::supported(kind).front();
}

/// Even steps write the highest values, odd steps the lowest, and the card
/// has to pull every one of them into its range.
void tune(SimCard &card, std::size_t step)
{
    const bool high = step % 2 == 0;
    card.setGpuOffsetKhz(high ? INT32_MAX : INT32_MIN);
    card.setMemoryOffsetKhz(high ? INT32_MAX : INT32_MIN);
    card.setVoltageDeltaUv(high ? INT32_MAX : INT32_MIN);
    card.setOverVoltageDeltaUv(high ? INT32_MAX : INT32_MIN);
    card.setPowerLimit(high ? UINT32_MAX : 0);
    card.setThermalLimit(high ? INT32_MAX : INT32_MIN, high);
    card.setCooler(high ? INT32_MAX : INT32_MIN, step == 2 ? 32 : 1);
}

bool within(std::int64_t value, std::int64_t lowest, std::int64_t highest)
{
    return value >= lowest && value <= highest;
}

QString checkTuning(const SimCard &card)
{
    const SimCardConfig &config = card.config();
    const SimTuning &tuning = card.tuning();
    if (!within(tuning.gpuOffsetKhz, std::int64_t { config.gpuOffsetMinMhz } * 1000,
            std::int64_t { config.gpuOffsetMaxMhz } * 1000))
        return QStringLiteral("GPU offset %1 kHz outside the card's range").arg(tuning.gpuOffsetKhz);
    if (!within(tuning.memoryOffsetKhz, std::int64_t { config.memoryOffsetMinMhz } * 1000,
            std::int64_t { config.memoryOffsetMaxMhz } * 1000))
        return QStringLiteral("memory offset %1 kHz outside the card's range").arg(tuning.memoryOffsetKhz);
    if (!within(tuning.voltageDeltaUv, config.voltageDeltaMinUv, config.voltageDeltaMaxUv))
        return QStringLiteral("voltage delta %1 outside the card's range").arg(tuning.voltageDeltaUv);
    if (!within(tuning.powerLimit, config.powerMin, config.powerMax))
        return QStringLiteral("power limit %1 outside the card's range").arg(tuning.powerLimit);
    if (!within(tuning.thermalLimitRaw, std::int64_t { config.thermalMinC } * 256,
            std::int64_t { config.thermalMaxC } * 256))
        return QStringLiteral("thermal limit %1 outside the card's range").arg(tuning.thermalLimitRaw);
    return QString();
}

QString checkReadings(const SimCard &card)
{
    const SimCardConfig &config = card.config();
    const SimReadings &readings = card.readings();
    if (!std::isfinite(readings.temperatureC) || !std::isfinite(readings.load))
        return QStringLiteral("temperature or load is not a number");
    if (!within(readings.gpuUsage, 0, 100))
        return QStringLiteral("GPU usage %1%").arg(readings.gpuUsage);
    if (readings.gpuClockMhz < config.gpuIdleMhz || readings.memoryClockMhz < 0 || readings.videoClockMhz < 0)
        return QStringLiteral("clocks %1/%2/%3 MHz below the card's floor")
            .arg(readings.gpuClockMhz)
            .arg(readings.memoryClockMhz)
            .arg(readings.videoClockMhz);
    if (readings.memoryUsedKb > config.dedicatedKb)
        return QStringLiteral("%1 KB used of %2 KB").arg(readings.memoryUsedKb).arg(config.dedicatedKb);
    if (config.hasCooler
        && !within(readings.fanLevelPercent, config.fanLevelMinPercent, config.fanLevelMaxPercent))
        return QStringLiteral("fan level %1% outside the card's range").arg(readings.fanLevelPercent);
    if (config.hasCooler && readings.fanLevelPercent > 0
        && !within(readings.fanRpm, config.fanMinRpm, config.fanMaxRpm))
        return QStringLiteral("fan speed %1 RPM outside the card's range").arg(readings.fanRpm);
    return QString();
}

void readEveryRecord(const SimCard &card)
{
    NvPstates20Info pstates {};
    SimRecordWriter::pstates20(card, newest(NvRecordKind::Pstates20), &pstates);
    for (NvU32 type = 0; type < 3; ++type) {
        NvClockFrequencies clocks {};
        clocks.clockType = type;
        SimRecordWriter::clockFrequencies(card, newest(NvRecordKind::ClockFrequencies), &clocks);
    }
    NvMemoryInfo memory {};
    SimRecordWriter::memoryInfo(card, newest(NvRecordKind::MemoryInfo), &memory);
    NvThermalSettings thermal {};
    SimRecordWriter::thermalSettings(card, newest(NvRecordKind::ThermalSettings), 0, &thermal);
    NvDynamicPstatesInfoEx usage {};
    SimRecordWriter::dynamicPstates(card, newest(NvRecordKind::DynamicPstates), &usage);
    NvCoolerSettings cooler;
    SimRecordWriter::coolerSettings(card, newest(NvRecordKind::CoolerSettings), 7, &cooler);
    NvThermalPoliciesInfo thermalInfo;
    SimRecordWriter::thermalPoliciesInfo(card, newest(NvRecordKind::ThermalPoliciesInfo), &thermalInfo);
    NvThermalPoliciesStatus thermalStatus;
    SimRecordWriter::thermalPoliciesStatus(card, newest(NvRecordKind::ThermalPoliciesStatus), &thermalStatus);
    NvPowerTopologyInfo topologyInfo;
    SimRecordWriter::powerTopologyInfo(card, newest(NvRecordKind::PowerTopologyInfo), &topologyInfo);
    NvPowerTopologyStatus topologyStatus;
    SimRecordWriter::powerTopologyStatus(card, newest(NvRecordKind::PowerTopologyStatus), &topologyStatus);
    NvPowerPoliciesInfo powerInfo;
    SimRecordWriter::powerPoliciesInfo(card, newest(NvRecordKind::PowerPoliciesInfo), &powerInfo);
    NvPowerPoliciesStatus powerStatus;
    SimRecordWriter::powerPoliciesStatus(card, newest(NvRecordKind::PowerPoliciesStatus), &powerStatus);
}

QString simulate(const SimCardConfig &config)
{
    SimCard card(config, StartSeconds);
    QString failure = checkReadings(card);
    double now = StartSeconds;
    for (std::size_t step = 0; failure.isEmpty() && step < std::size(StepSeconds); ++step) {
        tune(card, step);
        now += StepSeconds[step];
        card.advanceTo(now);
        readEveryRecord(card);
        failure = checkTuning(card);
        if (failure.isEmpty())
            failure = checkReadings(card);
    }
    return failure.isEmpty()
        ? failure
        : QStringLiteral("card \"%1\": %2").arg(QString::fromStdString(config.name), failure);
}

} // namespace

QString CardFileFuzzCheck::run(const QByteArray &input)
{
    SimCardFile::Contents contents;
    QString error;
    if (!SimCardFile::parse(input, contents, error)) {
        if (!error.startsWith(QLatin1String("line ")))
            return QStringLiteral("a refused file without its line: %1").arg(error);
        return QString();
    }
    const std::size_t count = std::min(contents.cards.size(), MaxSimulatedCards);
    for (std::size_t i = 0; i < count; ++i) {
        const QString failure = simulate(contents.cards[i]);
        if (!failure.isEmpty())
            return failure;
    }
    return QString();
}
