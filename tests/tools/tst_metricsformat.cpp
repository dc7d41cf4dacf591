#include "metricsformat.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

// The exposition and log lines as Prometheus and a spreadsheet read them:
// every family announced once with HELP and TYPE, base units, labels escaped,
// and a reading the card does not give left out rather than exported as 0.
class TestMetricsFormat : public QObject
{
    Q_OBJECT

private:
    static CardMetrics card(int index, const QString &bus)
    {
        CardMetrics c;
        c.index = index;
        c.pciBus = bus;
        c.name = QStringLiteral("GeForce \"Ti\" \\ 1070\nx");
        c.deviceId = 0x1B8210DE;
        c.subsystemId = 0x111E1D17;
        c.vbios = QStringLiteral("86.04.50.00.7A");
        c.driver = QStringLiteral("411.09");
        c.up = true;
        c.temperatureC = 61;
        c.graphicsClockMhz = 1911;
        c.gpuUsagePercent = 70;
        c.memoryUsedBytes = 1073741824;
        c.memoryTotalBytes = 8589934592;
        c.fanLevelPercent = 45;
        c.boardSensorC[1] = 51;
        return c;
    }

    static QStringList lines(const QByteArray &text)
    {
        return QString::fromUtf8(text).split('\n', Qt::SkipEmptyParts);
    }

private slots:
    void everyFamilyIsAnnouncedOnce()
    {
        const QStringList out = lines(
            MetricsFormat::exposition({ card(0, "0000:01:00.0"), card(1, "0000:02:00.0") }, true, 0.25));
        QStringList families;
        for (const QString &line : out) {
            if (line.startsWith(QLatin1String("# TYPE ")))
                families << line.section(' ', 2, 2);
        }
        QCOMPARE(families.removeDuplicates(), 0);
        for (const QString &family : families) {
            QVERIFY(out.contains(QStringLiteral("# TYPE %1 gauge").arg(family)));
            QVERIFY(out.filter(QStringLiteral("# HELP %1 ").arg(family)).size() == 1);
            QVERIFY2(family.startsWith(QLatin1String("lumetra_")), qPrintable(family));
        }
        QVERIFY(out.contains(QStringLiteral("lumetra_up 1")));
        QVERIFY(out.contains(QStringLiteral("lumetra_scrape_duration_seconds 0.25")));
    }

    void baseUnitsAndLabels()
    {
        const QStringList out = lines(MetricsFormat::exposition({ card(0, "0000:01:00.0") }, true, 0));
        const QString l = QStringLiteral("gpu=\"0\",pci_bus=\"0000:01:00.0\"");
        QVERIFY(out.contains(QStringLiteral("lumetra_gpu_temperature_celsius{%1,sensor=\"gpu\"} 61").arg(l)));
        QVERIFY(
            out.contains(QStringLiteral("lumetra_gpu_temperature_celsius{%1,sensor=\"board2\"} 51").arg(l)));
        QVERIFY(
            out.contains(QStringLiteral("lumetra_gpu_clock_hertz{%1,clock=\"graphics\"} 1911000000").arg(l)));
        QVERIFY(out.contains(QStringLiteral("lumetra_gpu_utilization_ratio{%1,engine=\"gpu\"} 0.7").arg(l)));
        QVERIFY(out.contains(QStringLiteral("lumetra_gpu_memory_total_bytes{%1} 8589934592").arg(l)));
        QVERIFY(out.contains(QStringLiteral("lumetra_gpu_fan_speed_ratio{%1} 0.45").arg(l)));
        // Quotes, backslashes and line feeds in a label value are escaped.
        QVERIFY(out.filter(QStringLiteral("name=\"GeForce \\\"Ti\\\" \\\\ 1070\\nx\"")).size() == 1);
    }

    void unsupportedReadingsAreLeftOut()
    {
        const QStringList out = lines(MetricsFormat::exposition({ card(0, "0000:01:00.0") }, true, 0));
        // No tachometer, no power reading, no memory clock, no board sensor 1: no series, no family.
        QVERIFY(out.filter(QStringLiteral("lumetra_gpu_fan_rpm")).isEmpty());
        QVERIFY(out.filter(QStringLiteral("lumetra_gpu_power_ratio")).isEmpty());
        QVERIFY(out.filter(QStringLiteral("clock=\"memory\"")).isEmpty());
        QVERIFY(out.filter(QStringLiteral("sensor=\"board1\"")).isEmpty());
    }

    // A card that stopped answering keeps only its up series, at 0.
    void aCardDownKeepsOnlyItsUpSeries()
    {
        CardMetrics down = card(1, "0000:02:00.0");
        down.up = false;
        const QStringList out = lines(MetricsFormat::exposition({ card(0, "0000:01:00.0"), down }, true, 0));
        QVERIFY(out.contains(QStringLiteral("lumetra_gpu_up{gpu=\"1\",pci_bus=\"0000:02:00.0\"} 0")));
        QCOMPARE(out.filter(QStringLiteral("pci_bus=\"0000:02:00.0\"")).size(), 1);
        const QStringList none = lines(MetricsFormat::exposition({}, false, 0));
        QVERIFY(none.contains(QStringLiteral("lumetra_up 0")));
        QVERIFY(none.filter(QStringLiteral("lumetra_gpu_")).isEmpty());
    }

    void csvAndJsonLines()
    {
        CardMetrics c = card(0, "0000:01:00.0");
        c.name = QStringLiteral("GeForce, \"Ti\"");
        const QStringList header = splitCsv(MetricsFormat::csvHeader());
        const QStringList fields
            = splitCsv(MetricsFormat::csvLine(c, QStringLiteral("2026-12-08T20:00:00Z")));
        QCOMPARE(fields.size(), header.size());
        QCOMPARE(fields.at(header.indexOf(QStringLiteral("name"))), QStringLiteral("GeForce, \"Ti\""));
        QCOMPARE(fields.at(header.indexOf(QStringLiteral("temperature_c"))), QStringLiteral("61"));
        QCOMPARE(fields.at(header.indexOf(QStringLiteral("fan_rpm"))), QString());
        QVERIFY(MetricsFormat::csvLine(c, QString()).endsWith('\n'));

        const QJsonObject json
            = QJsonDocument::fromJson(MetricsFormat::jsonLine(c, QStringLiteral("t"))).object();
        QCOMPARE(json.value(QStringLiteral("temperature_c")).toInt(), 61);
        QCOMPARE(json.value(QStringLiteral("pci_bus")).toString(), QStringLiteral("0000:01:00.0"));
        QVERIFY(!json.contains(QStringLiteral("fan_rpm")));
        QVERIFY(json.contains(QStringLiteral("board2_c")) && !json.contains(QStringLiteral("board1_c")));
    }

private:
    /// Fields of one CSV line: commas inside double quotes do not split, "" is one quote.
    static QStringList splitCsv(const QByteArray &line)
    {
        QStringList fields;
        QString current;
        bool quoted = false;
        const QString text = QString::fromUtf8(line).trimmed();
        for (int i = 0; i < text.size(); ++i) {
            const QChar ch = text.at(i);
            if (quoted && ch == QLatin1Char('"') && i + 1 < text.size()
                && text.at(i + 1) == QLatin1Char('"')) {
                current += ch;
                ++i;
            } else if (ch == QLatin1Char('"')) {
                quoted = !quoted;
            } else if (ch == QLatin1Char(',') && !quoted) {
                fields << current;
                current.clear();
            } else {
                current += ch;
            }
        }
        fields << current;
        return fields;
    }
};

QTEST_GUILESS_MAIN(TestMetricsFormat)
#include "tst_metricsformat.moc"
