#pragma once

#include <QString>

/// Orders version strings such as "1.0.2.4" as dotted numbers: 1.0.10.0 follows 1.0.2.4, a missing part
/// counts 0 (1.0.2 equals 1.0.2.0) and leading zeros do not count. A string that is empty or has a part
/// that is not all digits is not a version and is never newer than anything.
class VersionOrder
{
public:
    /// True when candidate is a version and is strictly later than current. A current that is not a
    /// version makes nothing newer.
    static bool isNewer(const QString &candidate, const QString &current);
    /// True when the text is a dotted list of decimal numbers.
    static bool isVersion(const QString &text);

private:
    /// Negative, zero or positive as a is before, equal to or after b; both must be versions.
    static int compare(const QString &a, const QString &b);
    static int compareNumbers(QString a, QString b);
};
