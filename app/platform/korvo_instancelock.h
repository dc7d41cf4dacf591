#pragma once

#include <QString>

/// The lock that makes a program run once per user, as a file in the temporary folder named from the
/// application id and the real user. The main program holds it while it runs; the updater only looks at
/// it, to wait until the main program has ended before it replaces the main program's files.
class Korvo_InstanceLock
{
public:
    /// The id under which the main program runs once.
    static constexpr char MainProgramId[] = "Ostrand_Lumetra2";

    /// The name of an id's lock and local socket; the real user keeps sessions of different users apart.
    static QString channelName(const QString &applicationId);
    /// Where the lock file of an id lies.
    static QString lockFilePath(const QString &applicationId);

    /// True when a live process holds the id's lock. A lock left by a crashed process does not count.
    static bool isHeld(const QString &applicationId);
    /// Waits until nobody holds the lock, polling; false when it is still held after timeoutMs.
    static bool waitUntilFree(const QString &applicationId, int timeoutMs);
};
