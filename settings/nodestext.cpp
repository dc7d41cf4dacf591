#include "nodestext.h"

#include <QStringList>

namespace {

int toSignedOrZero(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : 0;
}

} // namespace

QList<QPoint> NodesText::parse(const QString &text)
{
    QList<QPoint> points;
    const QStringList pieces = text.split(QLatin1Char('|'), Qt::KeepEmptyParts);
    for (const QString &piece : pieces) {
        const QStringList fields = piece.split(QLatin1Char(','), Qt::KeepEmptyParts);
        if (fields.size() != 2)
            continue;
        const QPoint point(toSignedOrZero(fields.at(0)), toSignedOrZero(fields.at(1)));
        if (!inRange(point.x()) || !inRange(point.y()))
            return {};
        if (!points.isEmpty() && (point.x() < points.last().x() || point.y() < points.last().y()))
            return {};
        points.append(point);
    }
    return points;
}

QString NodesText::format(const QList<QPoint> &points)
{
    QString text;
    for (const QPoint &point : points)
        text += QString::number(point.x()) + QLatin1Char(',') + QString::number(point.y()) + QLatin1Char('|');
    return text;
}
