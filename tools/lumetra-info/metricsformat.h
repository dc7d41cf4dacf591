#pragma once

#include "cardmetrics.h"

#include <QByteArray>
#include <QList>

/// The Prometheus text exposition (format 0.0.4) of the cards, and the log
/// lines of --csv and --jsonl: pure functions of the readings.
namespace MetricsFormat {
/// Every family with HELP and TYPE; per card a lumetra_gpu_up series, and the
/// readings only of a card that is up and only those it answered.
/// `driverUp` is lumetra_up: the driver was reached and listed the cards.
QByteArray exposition(const QList<CardMetrics> &cards, bool driverUp, double sampleSeconds);
/// A label value with backslash, double quote and line feed escaped.
QByteArray escapeLabel(const QString &value);

QByteArray csvHeader();
/// One CSV line (with its line feed); an unsupported reading is an empty field.
QByteArray csvLine(const CardMetrics &card, const QString &timestamp);
/// One JSON object per line; an unsupported reading is left out.
QByteArray jsonLine(const CardMetrics &card, const QString &timestamp);
} // namespace MetricsFormat
