#pragma once

#include <QString>

/// The machine-wide entry that starts a program at log-on, written and removed by name. A refused write is
/// reported only through the result; callers keep quiet about it.
class Korvo_AutoStart
{
public:
    static bool writeEntry(const QString &name, const QString &programPath);
    static bool removeEntry(const QString &name);
    /// Where the entry of that name lives (a file or a registry value).
    static QString entryLocation(const QString &name);
};
