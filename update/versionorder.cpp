#include "versionorder.h"

#include <QStringList>

#include <algorithm>

bool VersionOrder::isVersion(const QString &text)
{
    if (text.isEmpty())
        return false;
    const QStringList parts = text.split(QLatin1Char('.'));
    return std::all_of(parts.cbegin(), parts.cend(), [](const QString &part) {
        return !part.isEmpty() && std::all_of(part.cbegin(), part.cend(), [](QChar c) {
            return c >= QLatin1Char('0') && c <= QLatin1Char('9');
        });
    });
}

bool VersionOrder::isNewer(const QString &candidate, const QString &current)
{
    if (!isVersion(candidate) || !isVersion(current))
        return false;
    return compare(candidate, current) > 0;
}

int VersionOrder::compare(const QString &a, const QString &b)
{
    const QStringList pa = a.split(QLatin1Char('.'));
    const QStringList pb = b.split(QLatin1Char('.'));
    const int parts = std::max(pa.size(), pb.size());
    for (int i = 0; i < parts; ++i) {
        const int order = compareNumbers(pa.value(i, QStringLiteral("0")), pb.value(i, QStringLiteral("0")));
        if (order != 0)
            return order;
    }
    return 0;
}

int VersionOrder::compareNumbers(QString a, QString b)
{
    // Compared as digit strings, so no part is too long to compare: strip leading zeros, then the longer
    // number is larger and equal lengths compare digit by digit.
    auto stripZeros = [](QString &s) {
        int i = 0;
        while (i + 1 < s.size() && s.at(i) == QLatin1Char('0'))
            ++i;
        s.remove(0, i);
    };
    stripZeros(a);
    stripZeros(b);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}
