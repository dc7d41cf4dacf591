#pragma once

#include <QString>

/// The lock that makes a program run once per user, as a file in the user's run-time folder
/// (Korvo_RuntimeFolder) named from the application id and the real user. The main program holds it while it
/// runs; the updater only looks at it, to wait until the main program has ended before it replaces the main
/// program's files.
class Korvo_InstanceLock
{
public:
    /// The id under which the main program runs once.
    static constexpr char MainProgramId[] = "Ostrand_Lumetra2";
    /// The id the updater holds while it runs, so that a main program started meanwhile leaves its install
    /// journal alone.
    static constexpr char UpdaterId[] = "Ostrand_KorvoUpdate";

    /// The name of an id's lock and local socket; the real user keeps sessions of different users apart.
    static QString channelName(const QString &applicationId);
    /// Where the lock file of an id lies.
    static QString lockFilePath(const QString &applicationId);
    /// The address of an id's local socket: a path in the run-time folder, so that nobody else can take it.
    static QString socketPath(const QString &applicationId);
    /// How old a lock file without a readable owner must be to count as stale.
    static constexpr int UnreadableLockStaleMs = 2000;
    /// Removes the id's lock file when it names no owner and is older than UnreadableLockStaleMs.
    static void removeUnreadableLock(const QString &applicationId);

    /// True when a live process holds the id's lock. A lock left by a crashed process does not count.
    static bool isHeld(const QString &applicationId);
    /// Waits until nobody holds the lock, polling; false when it is still held after timeoutMs.
    static bool waitUntilFree(const QString &applicationId, int timeoutMs);
};
