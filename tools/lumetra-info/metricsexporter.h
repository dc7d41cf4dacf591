#pragma once

#include "cardreport.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdio>

class MetricsServer;

/// The headless reader for many machines: samples every card once per
/// interval on the program's sampling cycle and hands the result on: to the
/// HTTP server (which answers scrapes from it), atomically to DIR/lumetra.prom
/// for node_exporter's textfile collector, and as CSV or JSON lines to a log.
class MetricsExporter : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        int intervalMs = 5000;
        QString textfileDir; ///< empty: no textfile
        bool csv = false;
        bool jsonl = false;
    };

    /// `server` may be null; `log` receives the CSV or JSON lines.
    MetricsExporter(CardReport &report, MetricsServer *server, const Options &options,
        std::FILE *log = stdout, QObject *parent = nullptr);

    /// One sample now, then one every interval.
    void start();
    void sampleOnce();
    int samples() const { return m_samples; }
    QByteArray lastExposition() const { return m_exposition; }

signals:
    void sampled();

private:
    bool writeTextfile();
    void writeLog(const QList<CardMetrics> &cards);

    CardReport &m_report;
    MetricsServer *m_server;
    Options m_options;
    std::FILE *m_log;
    QTimer m_timer;
    QByteArray m_exposition;
    int m_samples = 0;
    bool m_headerWritten = false;
};
