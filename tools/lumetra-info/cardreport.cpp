#include "cardreport.h"

#include "cardprotocol.h"

#include <QJsonArray>

namespace {

QJsonObject monitorJson(const MonitorValue &v)
{
    return { { "maximum", v.maximum }, { "minimum", v.minimum }, { "current", v.current },
        { "rangeTop", v.rangeTop }, { "rangeBottom", v.rangeBottom } };
}

QString monitorText(const char *label, const MonitorValue &v, const char *unit)
{
    return QString::asprintf("    %-14s %6d %-4s (lowest %d, highest %d, range %d..%d)\n", label, v.current,
        unit, v.minimum, v.maximum, v.rangeBottom, v.rangeTop);
}

QString hex(std::uint32_t value)
{
    return QString::asprintf("0x%08X", value);
}

} // namespace

CardReport::CardReport(bool probe)
{
    GpuController scan;
    const int count = scan.gpuCount();
    for (int i = 0; i < count; ++i) {
        auto slot = std::make_unique<Slot>(std::make_unique<GpuController>());
        slot->controller->selectGpu(i);
        Card &card = slot->card;
        card.index = i;
        card.name = slot->controller->readGpuName();
        slot->controller->readPciIdentifiers(card.pci);
        if (probe) {
            card.probed = true;
            card.hasLed = slot->controller->probeLightingController();
            card.hasLcd = slot->controller->probeLcd();
        }
        card.ledStateRead = slot->controller->readLedState(card.ledState);
        card.pciBus = slot->controller->readPciLocation();
        if (card.pciBus.isEmpty())
            card.pciBus = QStringLiteral("gpu%1").arg(i);
        // Which board sensors exist is asked once: a missing one is left out, not reported as 0.
        for (std::size_t s = 0; s < card.boardSensors.size(); ++s) {
            std::int32_t celsius = 0;
            card.boardSensors[s]
                = slot->controller->readBoardSensor(CardProtocol::BoardSensorAddresses[s], celsius);
        }
        m_cards.push_back(std::move(slot));
    }
}

void CardReport::sample()
{
    for (auto &slot : m_cards)
        sampleCard(*slot);
}

void CardReport::sampleCard(Slot &slot)
{
    const CardSample sample = slot.sampler.sample();
    Card &card = slot.card;
    card.baseInfo = sample.live;
    card.fixedInfo = sample.fixed;
    card.boardInfo = sample.board;

    if (!m_exporting) {
        card.metrics = CardMetrics::fromSample(sample, std::nullopt, std::nullopt, card.boardSensors);
        fillIdentity(card);
        return;
    }
    GpuController &gpu = *slot.controller;
    std::int32_t rpm = 0;
    const std::optional<int> fanRpm = gpu.readFanRpm(rpm) ? std::optional<int>(rpm) : std::nullopt;
    PowerInfo power;
    const std::optional<int> powerPercent
        = gpu.readPowerInfo(power) ? std::optional<int>(power.currentDrawPercent) : std::nullopt;
    card.metrics = CardMetrics::fromSample(sample, fanRpm, powerPercent, card.boardSensors);
    fillIdentity(card);
    ThermalLimitInfo target;
    if (card.metrics.up && gpu.readThermalLimitInfo(target))
        card.metrics.temperatureTargetC = target.currentC;
    if (card.hasLed || card.ledStateRead) {
        card.ledStateRead = gpu.readLedState(card.ledState);
        if (card.ledStateRead)
            card.metrics.lighting = card.ledState;
    }
    if (card.probed)
        card.metrics.hasLcd = card.hasLcd;
}

void CardReport::fillIdentity(Card &card)
{
    card.metrics.index = card.index;
    card.metrics.pciBus = card.pciBus;
    card.metrics.deviceId = card.pci.deviceId;
    card.metrics.subsystemId = card.pci.subSystemId;
}

QList<CardMetrics> CardReport::metrics() const
{
    QList<CardMetrics> all;
    for (const auto &slot : m_cards)
        all << slot->card.metrics;
    return all;
}

QString CardReport::text() const
{
    QString out;
    for (const auto &slot : m_cards) {
        const Card &c = slot->card;
        const NvInfo &f = c.fixedInfo;
        out += QString::asprintf("Card %d: %s\n", c.index, qPrintable(c.name));
        out += QStringLiteral("  PCI          device %1  subsystem %2  revision %3  external %4\n")
                   .arg(hex(c.pci.deviceId), hex(c.pci.subSystemId), hex(c.pci.revisionId),
                       hex(c.pci.extDeviceId));
        out += QStringLiteral("  Memory       %1 %2 %3, %4\n")
                   .arg(f.memorySize, f.memoryType, f.memoryBusWidth, f.memoryBandwidth);
        out += QStringLiteral("  GPU clock    %1 (default %2, offset %3 MHz)\n")
                   .arg(f.gpuClock, f.defaultGpuClock)
                   .arg(f.gpuClockOffset);
        out += QStringLiteral("  Memory clock %1 (default %2, offset %3 MHz)\n")
                   .arg(f.memoryClock, f.defaultMemoryClock)
                   .arg(f.memoryClockOffset);
        out += QStringLiteral("  Driver       %1   BIOS %2\n").arg(f.driverVersion, f.biosVersion);
        const NvCardBaseInfo &b = c.baseInfo;
        out += QStringLiteral("  Live\n");
        out += monitorText("GPU clock", b.gpuClock, "MHz");
        out += monitorText("Memory clock", b.memoryClock, "MHz");
        out += monitorText("Fan speed", b.fanSpeed, "RPM");
        out += monitorText("Temperature", b.temperature, "C");
        out += monitorText("Memory usage", b.memoryUsage, "%");
        out += monitorText("GPU usage", b.gpuUsage, "%");
        out += monitorText("Memory amount", b.memoryAmount, "MB");
        out += QStringLiteral("  Board sensors\n");
        out += monitorText("Sensor 1", c.boardInfo.sensor1, "C");
        out += monitorText("Sensor 2", c.boardInfo.sensor2, "C");
        out += monitorText("Sensor 3", c.boardInfo.sensor3, "C");
        out += monitorText("Sensor 4", c.boardInfo.sensor4, "C");
        if (c.ledStateRead) {
            out += QString::asprintf("  Lighting     kind %d, %d colour(s), parameters %u %u %u",
                c.ledState.kind, c.ledState.colorCount, c.ledState.parameters[0], c.ledState.parameters[1],
                c.ledState.parameters[2]);
            // The colours of the controller's last command, so a person sees what the LED page sent.
            for (int i = 0; i < c.ledState.colorCount && i < int(c.ledState.colors.size()); ++i) {
                const auto &rgb = c.ledState.colors[std::size_t(i)];
                out += QString::asprintf(
                    i == 0 ? ", colours #%02x%02x%02x" : " #%02x%02x%02x", rgb[0], rgb[1], rgb[2]);
            }
            out += QLatin1Char('\n');
        } else {
            out += QStringLiteral("  Lighting     no answer\n");
        }
        if (c.probed) {
            out += QStringLiteral("  Probes       lighting controller %1, LCD %2\n")
                       .arg(c.hasLed ? "answered" : "no answer", c.hasLcd ? "answered" : "no answer");
        }
    }
    return out;
}

QJsonObject CardReport::json() const
{
    QJsonArray cards;
    for (const auto &slot : m_cards) {
        const Card &c = slot->card;
        const NvInfo &f = c.fixedInfo;
        const NvCardBaseInfo &b = c.baseInfo;
        QJsonObject card {
            { "index", c.index },
            { "name", c.name },
            { "deviceId", qint64(c.pci.deviceId) },
            { "subSystemId", qint64(c.pci.subSystemId) },
            { "revisionId", qint64(c.pci.revisionId) },
            { "extDeviceId", qint64(c.pci.extDeviceId) },
            { "memorySize", f.memorySize },
            { "memoryBusWidth", f.memoryBusWidth },
            { "memoryType", f.memoryType },
            { "memoryBandwidth", f.memoryBandwidth },
            { "defaultGpuClock", f.defaultGpuClock },
            { "defaultMemoryClock", f.defaultMemoryClock },
            { "gpuClock", f.gpuClock },
            { "gpuClockOffset", f.gpuClockOffset },
            { "memoryClockOffset", f.memoryClockOffset },
            { "memoryClock", f.memoryClock },
            { "driverVersion", f.driverVersion },
            { "biosVersion", f.biosVersion },
        };
        card["nvCardBaseInfo"] = QJsonObject {
            { "gpuClock", monitorJson(b.gpuClock) },
            { "memoryClock", monitorJson(b.memoryClock) },
            { "fanSpeed", monitorJson(b.fanSpeed) },
            { "temperature", monitorJson(b.temperature) },
            { "memoryUsage", monitorJson(b.memoryUsage) },
            { "gpuUsage", monitorJson(b.gpuUsage) },
            { "memoryAmount", monitorJson(b.memoryAmount) },
        };
        card["boardTempCompleteInfo"] = QJsonObject {
            { "sensor1", monitorJson(c.boardInfo.sensor1) },
            { "sensor2", monitorJson(c.boardInfo.sensor2) },
            { "sensor3", monitorJson(c.boardInfo.sensor3) },
            { "sensor4", monitorJson(c.boardInfo.sensor4) },
        };
        if (c.ledStateRead) {
            QJsonArray colors;
            for (int i = 0; i < c.ledState.colorCount; ++i) {
                const auto &rgb = c.ledState.colors[i];
                colors.append(QJsonArray { rgb[0], rgb[1], rgb[2] });
            }
            card["ledState"] = QJsonObject {
                { "kind", c.ledState.kind },
                { "colorCount", c.ledState.colorCount },
                { "parameters",
                    QJsonArray { int(c.ledState.parameters[0]), int(c.ledState.parameters[1]),
                        int(c.ledState.parameters[2]) } },
                { "colors", colors },
            };
            card["ledKind"] = c.ledState.kind;
        }
        if (c.probed) {
            card["hasLed"] = c.hasLed;
            card["hasLcd"] = c.hasLcd;
        }
        cards.append(card);
    }
    return QJsonObject { { "cards", cards } };
}
