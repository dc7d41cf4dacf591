#include "cardreport.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QThread>

#include <cstdio>

namespace {

const char Usage[]
    = "Usage: lumetra-info [--json] [--watch SECONDS] [--probe]\n"
      "  --json             print the cards as one JSON object per sample\n"
      "  --watch SECONDS    take a new sample every SECONDS seconds until stopped\n"
      "  --probe            also send the lighting and LCD start-up probes (writes to the card)\n";

struct Options
{
    bool json = false;
    bool probe = false;
    double watchSeconds = 0.0;
};

bool parseArguments(const QStringList &args, Options &options)
{
    for (int i = 1; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == QLatin1String("--json")) {
            options.json = true;
        } else if (arg == QLatin1String("--probe")) {
            options.probe = true;
        } else if (arg == QLatin1String("--watch") && i + 1 < args.size()) {
            bool ok = false;
            options.watchSeconds = args.at(++i).toDouble(&ok);
            if (!ok || !(options.watchSeconds > 0.0) || options.watchSeconds > 86400.0)
                return false;
        } else {
            return false;
        }
    }
    return true;
}

void print(const CardReport &report, bool json)
{
    const QByteArray out
        = json ? QJsonDocument(report.json()).toJson(QJsonDocument::Compact) + '\n' : report.text().toUtf8();
    std::fwrite(out.constData(), 1, static_cast<std::size_t>(out.size()), stdout);
    std::fflush(stdout);
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
    if (report.cardCount() == 0) {
        std::puts("No nvidia card found");
        return 1;
    }
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
