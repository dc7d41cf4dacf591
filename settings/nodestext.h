#pragma once

#include <QList>
#include <QPoint>
#include <QString>

// The fan curve as stored in the Nodes attribute: "x,y|" per point.
class NodesText
{
public:
    // A curve with a value outside 0..100 or a falling step reads as empty.
    static QList<QPoint> parse(const QString &text);
    static QString format(const QList<QPoint> &points);

private:
    static bool inRange(int value) { return value >= 0 && value <= 100; }
};
