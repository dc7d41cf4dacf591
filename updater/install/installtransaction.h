#pragma once

#include "manifestfileinfo.h"

#include <QList>
#include <QString>

#include <functional>

/// Puts the new files of an update in place all or nothing. Each member is first extracted next to its
/// target and its digest checked (stage); only when every member is good are the targets replaced by
/// renames, each old file kept as a backup until all are in place (commit). A journal in the program
/// folder records the install while it runs, so an updater killed half-way can be undone by the next run
/// (recover) instead of leaving a mix of versions behind.
class InstallTransaction
{
public:
    /// The file operation through which every rename of the install goes; tests make it fail on purpose
    /// for a chosen path, as a locked or read-only target would.
    using RenameHook = std::function<bool(const QString &from, const QString &to)>;
    static void setRenameHook(RenameHook hook);

    /// No member of an update is larger: one that declares more is refused before a byte is written, and
    /// one that expands past what it declared is stopped there. Tests lower it.
    static constexpr qint64 DefaultMaxMemberBytes = 256 * 1024 * 1024;
    static qint64 maxMemberBytes() { return memberLimit(); }
    static void setMaxMemberBytes(qint64 bytes) { memberLimit() = bytes; }

    explicit InstallTransaction(const QString &programFolder);
    /// Removes every staged file that was not committed.
    ~InstallTransaction();
    InstallTransaction(const InstallTransaction &) = delete;
    InstallTransaction &operator=(const InstallTransaction &) = delete;

    /// Extracts the entry's member from "temp/<FileVersion>.zip" to a new file beside the target and
    /// checks it: a regular file whose MD5 equals FileVersion. False (nothing installed) otherwise.
    bool stage(const ManifestFileInfo &entry);
    /// Replaces every staged target. False when any step fails; every target is then as before.
    bool commit();
    /// Removes the staged files; nothing installed changes.
    void abandon();
    int stagedCount() const { return m_staged.size(); }

    /// Undoes an install that a killed updater left unfinished, or finishes one that was already past its
    /// point of no return; without a journal, removes the staged and backup files a killed install left.
    /// True when nothing is left to do; false when a step failed (the journal stays).
    static bool recover(const QString &programFolder);
    static QString journalPath(const QString &programFolder);
    /// The suffixes of the staged new file and the old file's backup beside a target.
    static QString stagedSuffix() { return QStringLiteral(".korvo-new"); }
    static QString backupSuffix() { return QStringLiteral(".korvo-old"); }

private:
    struct Entry
    {
        QString relativeTarget; ///< below the program folder
        bool hadOld = false; ///< a file was installed at the target when the install began
    };

    QString absolute(const QString &relativeTarget) const;
    bool extractVerified(const ManifestFileInfo &entry, const QString &archive, const QString &target,
        const QString &staged) const;
    /// Writes the member to staged, hashing as it goes; false on any refusal or a digest that differs.
    static bool streamMember(
        const QString &archive, const QString &member, const QString &staged, const QString &digest);
    static qint64 &memberLimit();
    void keepPermissions(const QString &target, const QString &staged, const QString &fileName) const;
    bool writeJournal(const QString &state) const;
    bool syncStaged() const;
    bool syncTargetFolders() const;
    static bool keepOldFile(const QString &target);
    /// Puts back the first `count` entries (renamed or half-renamed) in reverse order.
    bool rollBack(int count);
    static bool renameFile(const QString &from, const QString &to);
    static bool restoreEntry(const QString &folder, const Entry &entry);
    static void removeLeftovers(const QString &folder);
    static bool readJournal(const QString &programFolder, QString *state, QList<Entry> *entries);

    QString m_folder;
    QList<Entry> m_staged;
    bool m_committed = false;
};
