#include "metricsformat.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <functional>

namespace {

/// One metric family: its HELP, TYPE and samples, written only when it has a sample.
class Family
{
public:
    Family(const char *name, const char *help, const char *type = "gauge")
        : m_name(name)
        , m_help(help)
        , m_type(type)
    {
    }

    void add(const QByteArray &labels, double value)
    {
        m_samples += m_name;
        if (!labels.isEmpty())
            m_samples += '{' + labels + '}';
        m_samples += ' ' + QByteArray::number(value, 'g', 12) + '\n';
    }

    void writeTo(QByteArray &out) const
    {
        if (m_samples.isEmpty())
            return;
        out += "# HELP " + m_name + ' ' + m_help + '\n';
        out += "# TYPE " + m_name + ' ' + m_type + '\n';
        out += m_samples;
    }

private:
    QByteArray m_name;
    QByteArray m_help;
    QByteArray m_type;
    QByteArray m_samples;
};

QByteArray cardLabels(const CardMetrics &card)
{
    return "gpu=\"" + QByteArray::number(card.index) + "\",pci_bus=\""
        + MetricsFormat::escapeLabel(card.pciBus) + '"';
}

QByteArray with(const QByteArray &labels, const char *name, const QString &value)
{
    return labels + ',' + name + "=\"" + MetricsFormat::escapeLabel(value) + '"';
}

QString hex(quint32 value)
{
    return QStringLiteral("0x%1").arg(value, 8, 16, QLatin1Char('0'));
}

template <typename T> QString field(const std::optional<T> &value)
{
    return value ? QString::number(*value) : QString();
}

QString csvText(QString text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"'))
        && !text.contains(QLatin1Char('\n')))
        return text;
    return QLatin1Char('"') + text.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

} // namespace

QByteArray MetricsFormat::escapeLabel(const QString &value)
{
    QByteArray out;
    for (const char c : value.toUtf8()) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '"')
            out += "\\\"";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

QByteArray MetricsFormat::exposition(const QList<CardMetrics> &cards, bool driverUp, double sampleSeconds)
{
    Family up("lumetra_up", "1 when the last sample reached the driver and it listed the cards.");
    Family duration("lumetra_scrape_duration_seconds", "How long the last sample of every card took.");
    Family gpuUp("lumetra_gpu_up", "1 when the card answered the last sample, 0 when it stopped answering.");
    Family info("lumetra_gpu_info", "The card's identity; always 1.");
    Family temperature(
        "lumetra_gpu_temperature_celsius", "Temperature of the GPU and of the board's sensors.");
    Family target(
        "lumetra_gpu_temperature_target_celsius", "The GPU temperature the card holds itself below.");
    Family clock("lumetra_gpu_clock_hertz", "Current clock of the graphics engine and of the memory.");
    Family utilization("lumetra_gpu_utilization_ratio", "Busy share of each engine over the last second.");
    Family memoryUsed("lumetra_gpu_memory_used_bytes", "Video memory in use.");
    Family memoryTotal("lumetra_gpu_memory_total_bytes", "Video memory of the card.");
    Family fanRatio("lumetra_gpu_fan_speed_ratio", "Fan level as a share of its full speed.");
    Family fanRpm("lumetra_gpu_fan_rpm", "Fan speed from the tachometer, in revolutions per minute.");
    Family power("lumetra_gpu_power_ratio", "Power draw as a share of the card's default power limit.");
    Family lighting("lumetra_gpu_lighting_info", "The lighting controller's last command; always 1.");
    Family lcd("lumetra_gpu_lcd_info", "Whether the card's LCD answered the start-up probe; always 1.");

    up.add(QByteArray(), driverUp ? 1 : 0);
    duration.add(QByteArray(), sampleSeconds);
    for (const CardMetrics &card : cards) {
        const QByteArray labels = cardLabels(card);
        gpuUp.add(labels, card.up ? 1 : 0);
        if (!card.up)
            continue;
        info.add(with(with(with(with(with(labels, "name", card.name), "device_id", hex(card.deviceId)),
                               "subsystem_id", hex(card.subsystemId)),
                          "vbios", card.vbios),
                     "driver", card.driver),
            1);
        if (card.temperatureC)
            temperature.add(labels + ",sensor=\"gpu\"", *card.temperatureC);
        for (std::size_t i = 0; i < card.boardSensorC.size(); ++i) {
            if (card.boardSensorC[i])
                temperature.add(
                    labels + ",sensor=\"board" + QByteArray::number(int(i + 1)) + '"', *card.boardSensorC[i]);
        }
        if (card.temperatureTargetC)
            target.add(labels, *card.temperatureTargetC);
        if (card.graphicsClockMhz)
            clock.add(labels + ",clock=\"graphics\"", *card.graphicsClockMhz * 1e6);
        if (card.memoryClockMhz)
            clock.add(labels + ",clock=\"memory\"", *card.memoryClockMhz * 1e6);
        if (card.gpuUsagePercent)
            utilization.add(labels + ",engine=\"gpu\"", *card.gpuUsagePercent / 100.0);
        if (card.frameBufferUsagePercent)
            utilization.add(labels + ",engine=\"frame_buffer\"", *card.frameBufferUsagePercent / 100.0);
        if (card.videoUsagePercent)
            utilization.add(labels + ",engine=\"video\"", *card.videoUsagePercent / 100.0);
        if (card.memoryUsedBytes)
            memoryUsed.add(labels, double(*card.memoryUsedBytes));
        if (card.memoryTotalBytes)
            memoryTotal.add(labels, double(*card.memoryTotalBytes));
        if (card.fanLevelPercent)
            fanRatio.add(labels, *card.fanLevelPercent / 100.0);
        if (card.fanRpm)
            fanRpm.add(labels, *card.fanRpm);
        if (card.powerDrawPercent)
            power.add(labels, *card.powerDrawPercent / 100.0);
        if (card.lighting) {
            QStringList colours;
            for (int c = 0; c < card.lighting->colorCount && c < int(card.lighting->colors.size()); ++c) {
                const auto &rgb = card.lighting->colors[std::size_t(c)];
                colours << QString::asprintf("#%02x%02x%02x", rgb[0], rgb[1], rgb[2]);
            }
            lighting.add(with(with(with(labels, "kind", QString::number(card.lighting->kind)), "command",
                                  QString::number(card.lighting->parameters[0])),
                             "colors", colours.join(QLatin1Char(' '))),
                1);
        }
        if (card.hasLcd && *card.hasLcd)
            lcd.add(labels, 1);
    }

    QByteArray out;
    for (const Family *family : { &up, &duration, &gpuUp, &info, &temperature, &target, &clock, &utilization,
             &memoryUsed, &memoryTotal, &fanRatio, &fanRpm, &power, &lighting, &lcd })
        family->writeTo(out);
    return out;
}

QByteArray MetricsFormat::csvHeader()
{
    return "time,gpu,pci_bus,name,up,temperature_c,graphics_clock_mhz,memory_clock_mhz,gpu_usage_percent,"
           "memory_used_bytes,memory_total_bytes,fan_level_percent,fan_rpm,power_percent,board1_c,board2_c,"
           "board3_c,board4_c\n";
}

QByteArray MetricsFormat::csvLine(const CardMetrics &card, const QString &timestamp)
{
    const QStringList fields { timestamp, QString::number(card.index), card.pciBus, csvText(card.name),
        card.up ? QStringLiteral("1") : QStringLiteral("0"), field(card.temperatureC),
        field(card.graphicsClockMhz), field(card.memoryClockMhz), field(card.gpuUsagePercent),
        field(card.memoryUsedBytes), field(card.memoryTotalBytes), field(card.fanLevelPercent),
        field(card.fanRpm), field(card.powerDrawPercent), field(card.boardSensorC[0]),
        field(card.boardSensorC[1]), field(card.boardSensorC[2]), field(card.boardSensorC[3]) };
    return fields.join(QLatin1Char(',')).toUtf8() + '\n';
}

QByteArray MetricsFormat::jsonLine(const CardMetrics &card, const QString &timestamp)
{
    QJsonObject o { { "time", timestamp }, { "gpu", card.index }, { "pci_bus", card.pciBus },
        { "name", card.name }, { "up", card.up } };
    const auto put = [&o](const char *key, const auto &value) {
        if (value)
            o.insert(QLatin1String(key), double(*value));
    };
    put("temperature_c", card.temperatureC);
    put("graphics_clock_mhz", card.graphicsClockMhz);
    put("memory_clock_mhz", card.memoryClockMhz);
    put("gpu_usage_percent", card.gpuUsagePercent);
    put("memory_used_bytes", card.memoryUsedBytes);
    put("memory_total_bytes", card.memoryTotalBytes);
    put("fan_level_percent", card.fanLevelPercent);
    put("fan_rpm", card.fanRpm);
    put("power_percent", card.powerDrawPercent);
    for (std::size_t i = 0; i < card.boardSensorC.size(); ++i)
        put(QStringLiteral("board%1_c").arg(i + 1).toLatin1().constData(), card.boardSensorC[i]);
    return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
}
