#include "metricsexporter.h"

#include "metricsformat.h"
#include "metricsserver.h"

#include <QDateTime>
#include <QDir>
#include <QSaveFile>

MetricsExporter::MetricsExporter(
    CardReport &report, MetricsServer *server, const Options &options, std::FILE *log, QObject *parent)
    : QObject(parent)
    , m_report(report)
    , m_server(server)
    , m_options(options)
    , m_log(log)
{
    m_report.setExporting(true);
    m_timer.setInterval(options.intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &MetricsExporter::sampleOnce);
}

void MetricsExporter::start()
{
    sampleOnce();
    m_timer.start();
}

void MetricsExporter::sampleOnce()
{
    QElapsedTimer took;
    took.start();
    m_report.sample();
    const QList<CardMetrics> cards = m_report.metrics();
    bool anyUp = false;
    for (const CardMetrics &card : cards)
        anyUp = anyUp || card.up;
    m_exposition = MetricsFormat::exposition(cards, anyUp, took.nsecsElapsed() / 1e9);
    if (m_server)
        m_server->setBody(m_exposition);
    if (!m_options.textfileDir.isEmpty() && !writeTextfile())
        std::fprintf(stderr, "Could not write %s/lumetra.prom\n", qPrintable(m_options.textfileDir));
    writeLog(cards);
    ++m_samples;
    emit sampled();
}

bool MetricsExporter::writeTextfile()
{
    // A temporary name in the same folder and a rename: the collector never reads half a file,
    // and it skips the temporary one, whose name does not end in ".prom".
    QSaveFile file(QDir(m_options.textfileDir).filePath(QStringLiteral("lumetra.prom")));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(m_exposition);
    return file.commit();
}

void MetricsExporter::writeLog(const QList<CardMetrics> &cards)
{
    if (!m_log || (!m_options.csv && !m_options.jsonl))
        return;
    const QString now = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    if (m_options.csv && !m_headerWritten) {
        const QByteArray header = MetricsFormat::csvHeader();
        std::fwrite(header.constData(), 1, std::size_t(header.size()), m_log);
        m_headerWritten = true;
    }
    for (const CardMetrics &card : cards) {
        const QByteArray line
            = m_options.csv ? MetricsFormat::csvLine(card, now) : MetricsFormat::jsonLine(card, now);
        std::fwrite(line.constData(), 1, std::size_t(line.size()), m_log);
        // Line by line, so a log that is read while it grows never ends in half a line.
        std::fflush(m_log);
    }
}
