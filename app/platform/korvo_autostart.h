#pragma once

#include <QString>
#include <QStringList>

/// The entry that starts a program at log-on, written and removed by name. A refused write is
/// reported only through the result; callers keep quiet about it.
class Korvo_AutoStart
{
public:
    /// environment holds "NAME=value" items the program needs at log-on (where its driver is); where the
    /// entry is a command line they go in front of the program through `env`. The Run key of Windows starts
    /// the program in the user's own environment and has no use for them.
    static bool writeEntry(
        const QString &name, const QString &programPath, const QStringList &environment = QStringList());
    static bool removeEntry(const QString &name);
    /// Where the entry of that name lives (a file or a registry value).
    static QString entryLocation(const QString &name);
};
