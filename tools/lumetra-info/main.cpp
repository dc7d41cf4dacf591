#include "cardreport.h"
#include "metricsexporter.h"
#include "metricsserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QHostAddress>
#include <QJsonDocument>
#include <QThread>

#include <cstdio>

namespace {

/// The exporter's port when none is named: in Prometheus's exporter range, away from the ports
/// other GPU exporters use (9400, 9445, 9835).
constexpr quint16 DefaultPort = 9740;

const char Usage[]
    = "Usage: lumetra-info [--json] [--watch SECONDS] [--probe]\n"
      "       lumetra-info [--serve [ADDRESS:]PORT] [--textfile DIR] [--csv | --jsonl] [--watch SECONDS] "
      "[--probe]\n"
      "  --json             print the cards as one JSON object per sample\n"
      "  --watch SECONDS    take a new sample every SECONDS seconds until stopped (5 with the options "
      "below)\n"
      "  --probe            also send the lighting and LCD start-up probes (writes to the card)\n"
      "  --serve [ADDRESS:]PORT  answer GET /metrics for Prometheus (loopback unless an address is named;\n"
      "                     \"default\" is 127.0.0.1:9740)\n"
      "  --textfile DIR     write DIR/lumetra.prom at every sample, for node_exporter's textfile collector\n"
      "  --csv | --jsonl    one line per card per sample on standard output\n";

struct Options
{
    bool json = false;
    bool probe = false;
    double watchSeconds = 0.0;
    bool serve = false;
    QHostAddress address = QHostAddress(QHostAddress::LocalHost);
    quint16 port = DefaultPort;
    QString textfileDir;
    bool csv = false;
    bool jsonl = false;

    bool exporting() const { return serve || !textfileDir.isEmpty() || csv || jsonl; }
};

bool parseEndpoint(const QString &text, Options &options)
{
    if (text == QLatin1String("default"))
        return true;
    QString host;
    QString portText = text;
    const int colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0) {
        host = text.left(colon);
        portText = text.mid(colon + 1);
        if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
            host = host.mid(1, host.size() - 2);
    }
    bool ok = false;
    const uint port = portText.toUInt(&ok);
    if (!ok || port == 0 || port > 65535)
        return false;
    options.port = static_cast<quint16>(port);
    if (!host.isEmpty() && !options.address.setAddress(host))
        return false;
    return true;
}

bool parseArguments(const QStringList &args, Options &options)
{
    for (int i = 1; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1String("--json")) {
            options.json = true;
        } else if (arg == QLatin1String("--probe")) {
            options.probe = true;
        } else if (arg == QLatin1String("--csv")) {
            options.csv = true;
        } else if (arg == QLatin1String("--jsonl")) {
            options.jsonl = true;
        } else if (arg == QLatin1String("--serve") && hasValue) {
            options.serve = true;
            if (!parseEndpoint(args.at(++i), options))
                return false;
        } else if (arg == QLatin1String("--textfile") && hasValue) {
            options.textfileDir = args.at(++i);
            if (!QDir(options.textfileDir).exists())
                return false;
        } else if (arg == QLatin1String("--watch") && hasValue) {
            bool ok = false;
            options.watchSeconds = args.at(++i).toDouble(&ok);
            if (!ok || !(options.watchSeconds > 0.0) || options.watchSeconds > 86400.0)
                return false;
        } else {
            return false;
        }
    }
    // One log format at a time, and JSON objects per sample do not mix with the exporter's lines.
    return !(options.csv && options.jsonl) && !(options.json && options.exporting());
}

void print(const CardReport &report, bool json)
{
    const QByteArray out
        = json ? QJsonDocument(report.json()).toJson(QJsonDocument::Compact) + '\n' : report.text().toUtf8();
    std::fwrite(out.constData(), 1, static_cast<std::size_t>(out.size()), stdout);
    std::fflush(stdout);
}

int runExporter(QCoreApplication &app, CardReport &report, const Options &options)
{
    MetricsServer server;
    if (options.serve && !server.listen(options.address, options.port)) {
        std::fprintf(stderr, "Cannot listen on %s:%u: %s\n", qPrintable(options.address.toString()),
            options.port, qPrintable(server.errorString()));
        return 1;
    }
    MetricsExporter::Options exporterOptions;
    exporterOptions.intervalMs
        = static_cast<int>((options.watchSeconds > 0.0 ? options.watchSeconds : 5.0) * 1000.0);
    exporterOptions.textfileDir = options.textfileDir;
    exporterOptions.csv = options.csv;
    exporterOptions.jsonl = options.jsonl;
    MetricsExporter exporter(report, options.serve ? &server : nullptr, exporterOptions);
    exporter.start();
    if (options.serve) {
        std::fprintf(
            stderr, "Serving http://%s:%u/metrics\n", qPrintable(options.address.toString()), server.port());
        std::fflush(stderr);
    }
    return app.exec();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    Options options;
    if (!parseArguments(app.arguments(), options)) {
        std::fputs(Usage, stderr);
        return 2;
    }
    CardReport report(options.probe);
    if (report.cardCount() == 0 && !options.exporting()) {
        std::puts("No nvidia card found");
        return 1;
    }
    // Without a card the exporter still answers, with lumetra_up 0, so that the alert can fire.
    if (options.exporting())
        return runExporter(app, report, options);
    for (;;) {
        report.sample();
        print(report, options.json);
        if (options.watchSeconds <= 0.0)
            return 0;
        QThread::msleep(static_cast<unsigned long>(options.watchSeconds * 1000.0));
        if (!options.json)
            std::puts("");
    }
}
