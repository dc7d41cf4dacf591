#include "installtransaction.h"

#include "filereplace.h"
#include "foldersync.h"
#include "manifestpaths.h"
#include "updatefilerules.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>
#include <QUrl>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipfileinfo.h>

namespace {

InstallTransaction::RenameHook &renameHook()
{
    static InstallTransaction::RenameHook hook;
    return hook;
}

const char *const StateStaged = "staged";
const char *const StateCommitted = "committed";

/// A journal line names a path the updater itself wrote; still, one that leads out of the folder is
/// never followed.
bool isSafeRelative(const QString &path)
{
    return !path.isEmpty() && ManifestPaths::isRelativeDir(path) && !path.endsWith(QLatin1Char('/'));
}

/// A name that is there in any form: a file, a folder, or a link (dangling ones included).
bool isTaken(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

bool removeIfPresent(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    return QFile::remove(path);
}

} // namespace

void InstallTransaction::setRenameHook(RenameHook hook)
{
    renameHook() = std::move(hook);
}

InstallTransaction::InstallTransaction(const QString &programFolder)
    : m_folder(QDir::cleanPath(QDir(programFolder).absolutePath()))
{
}

InstallTransaction::~InstallTransaction()
{
    if (!m_committed)
        abandon();
}

QString InstallTransaction::journalPath(const QString &programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral(".korvo-update.journal"));
}

QString InstallTransaction::absolute(const QString &relativeTarget) const
{
    return m_folder + QLatin1Char('/') + relativeTarget;
}

bool InstallTransaction::renameFile(const QString &from, const QString &to)
{
    if (renameHook() && !renameHook()(from, to))
        return false;
    return FileReplace::replace(from, to);
}

bool InstallTransaction::keepOldFile(const QString &target)
{
    // The old file keeps a second name while the new one is renamed over the first: the target is never
    // absent, so a kill at any moment leaves a runnable program. Where the file system has no hard links
    // the old file is renamed aside instead, as before.
    const QString backup = target + backupSuffix();
    if (renameHook() && !renameHook()(target, backup))
        return false;
    return FileReplace::hardLink(target, backup) || FileReplace::replace(target, backup);
}

bool InstallTransaction::stage(const ManifestFileInfo &entry)
{
    ManifestPaths::Resolved resolved;
    if (!ManifestPaths(m_folder).resolve(entry, &resolved))
        return false;
    const QString relative = QDir(m_folder).relativeFilePath(resolved.target);
    for (const Entry &done : m_staged) {
        if (done.relativeTarget == relative)
            return false; // two entries for one file: the manifest contradicts itself
    }
    if (!QFileInfo(resolved.archive).isFile())
        return false;
    const QFileInfo target(resolved.target);
    // Only a plain file is ever replaced; a folder or a link at the target is not ours to move.
    if (target.isSymLink() || (target.exists() && !target.isFile()))
        return false;
    if (!QDir().mkpath(target.absolutePath()))
        return false;
    const QString staged = resolved.target + stagedSuffix();
    if (!extractVerified(entry, resolved.archive, resolved.target, staged)) {
        removeIfPresent(staged);
        return false;
    }
    m_staged.append({ relative, target.exists() });
    return true;
}

bool InstallTransaction::extractVerified(
    const ManifestFileInfo &entry, const QString &archive, const QString &target, const QString &staged) const
{
    if (!removeIfPresent(staged))
        return false;
    if (!streamMember(archive, entry.FileName, staged, entry.FileVersion))
        return false;
    const QFileInfo info(staged);
    if (info.isSymLink() || !info.isFile())
        return false;
    keepPermissions(target, staged, entry.FileName);
    return true;
}

bool InstallTransaction::streamMember(
    const QString &archive, const QString &member, const QString &staged, const QString &digest)
{
    QuaZip zip(archive);
    if (!zip.open(QuaZip::mdUnzip) || !zip.setCurrentFile(member, QuaZip::csSensitive))
        return false;
    QuaZipFileInfo64 info;
    if (!zip.getCurrentFileInfo(&info))
        return false;
    // A member stored as a link would install a pointer to anywhere instead of content.
    const quint32 unixMode = info.externalAttr >> 16;
    if ((unixMode & 0170000u) == 0120000u)
        return false;
    // A member that says it is larger than any file of ours is not even started: a small archive can
    // expand to gigabytes and fill the program's disk before its digest could say it is wrong.
    const qint64 limit = maxMemberBytes();
    if (info.uncompressedSize > quint64(limit))
        return false;
    QuaZipFile in(&zip);
    QFile out(staged);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    // Hashed as it is written, and stopped past the size the archive declared.
    QCryptographicHash hash(QCryptographicHash::Md5);
    QByteArray chunk(64 * 1024, Qt::Uninitialized);
    qint64 written = 0;
    for (;;) {
        const qint64 n = in.read(chunk.data(), chunk.size());
        if (n < 0)
            return false;
        if (n == 0)
            break;
        written += n;
        if (written > qint64(info.uncompressedSize) || written > limit)
            return false;
        if (out.write(chunk.constData(), n) != n)
            return false;
        hash.addData(chunk.constData(), int(n));
    }
    in.close();
    if (in.getZipError() != UNZ_OK || written != qint64(info.uncompressedSize) || !out.flush())
        return false;
    out.close();
    // The digest names the content; its case is the manifest's spelling only.
    return QString::fromLatin1(hash.result().toHex()).compare(digest, Qt::CaseInsensitive) == 0;
}

qint64 &InstallTransaction::memberLimit()
{
    static qint64 limit = DefaultMaxMemberBytes;
    return limit;
}

void InstallTransaction::keepPermissions(
    const QString &target, const QString &staged, const QString &fileName) const
{
    // QuaZip applies the modes stored in the archive (a member stored 0777 would install world-writable),
    // and none when the archive has none (a program would then lose its executable bit): the installed
    // file's modes win, a new file gets 0644, and the programs stay runnable.
    QFile::Permissions permissions
        = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    if (QFileInfo::exists(target))
        permissions = QFileInfo(target).permissions() | QFile::ReadOwner | QFile::WriteOwner;
    if (UpdateFileRules::isProgramFile(fileName))
        permissions |= QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
            | QFile::ReadOther | QFile::ExeOther;
    QFile::setPermissions(staged, permissions);
}

bool InstallTransaction::syncStaged() const
{
    for (const Entry &entry : m_staged) {
        if (!FolderSync::syncFile(absolute(entry.relativeTarget) + stagedSuffix()))
            return false;
    }
    return true;
}

bool InstallTransaction::syncTargetFolders() const
{
    for (const Entry &entry : m_staged) {
        if (!FolderSync::syncFolderOf(absolute(entry.relativeTarget)))
            return false;
    }
    return true;
}

bool InstallTransaction::writeJournal(const QString &state) const
{
    // QSaveFile writes a link's target: a link planted as the journal goes first.
    if (QFileInfo(journalPath(m_folder)).isSymLink() && !QFile::remove(journalPath(m_folder)))
        return false;
    QSaveFile journal(journalPath(m_folder));
    if (!journal.open(QIODevice::WriteOnly))
        return false;
    // Each name percent-encoded: whatever it holds, it stays on its own line and cannot forge an entry.
    QByteArray text = state.toUtf8() + '\n';
    for (const Entry &entry : m_staged)
        text += QByteArray(entry.hadOld ? "1\t" : "0\t") + QUrl::toPercentEncoding(entry.relativeTarget, "/")
            + '\n';
    if (journal.write(text) != text.size())
        return false;
    return journal.commit() && FolderSync::syncFolderOf(journalPath(m_folder));
}

bool InstallTransaction::commit()
{
    if (m_staged.isEmpty()) {
        m_committed = true;
        return true;
    }
    // A link under a backup name is removed: a rename onto it would fall back to copying the old file
    // through it, out of the folder. Anything else there is left from something else and is not
    // overwritten: the install stops before touching anything.
    for (const Entry &entry : m_staged) {
        const QString backup = absolute(entry.relativeTarget) + backupSuffix();
        if (QFileInfo(backup).isSymLink() && !QFile::remove(backup))
            return false;
        if (isTaken(backup))
            return false;
    }
    // The new files' data reaches the disk before any of them takes a target's name.
    if (!syncStaged() || !writeJournal(QLatin1String(StateStaged)))
        return false;
    for (int i = 0; i < m_staged.size(); ++i) {
        const Entry &entry = m_staged.at(i);
        const QString target = absolute(entry.relativeTarget);
        const bool moved
            = (!entry.hadOld || keepOldFile(target)) && renameFile(target + stagedSuffix(), target);
        if (!moved) {
            rollBack(i + 1);
            return false;
        }
    }
    // The point of no return: from here a killed updater's next run finishes instead of undoing. The
    // renames are on the disk before the journal says so.
    if (!syncTargetFolders() || !writeJournal(QLatin1String(StateCommitted))) {
        rollBack(m_staged.size());
        return false;
    }
    m_committed = true;
    for (const Entry &entry : m_staged)
        removeIfPresent(absolute(entry.relativeTarget) + backupSuffix());
    QFile::remove(journalPath(m_folder));
    return true;
}

bool InstallTransaction::restoreEntry(const QString &folder, const Entry &entry)
{
    const QString target = folder + QLatin1Char('/') + entry.relativeTarget;
    const QString backup = target + backupSuffix();
    const bool stagedPresent = isTaken(target + stagedSuffix());
    bool ok = removeIfPresent(target + stagedSuffix());
    if (entry.hadOld) {
        // Without a backup the old file was never moved and is still the target.
        // In one step, so the target is never absent. When both names are still the same file (killed
        // before the new file came in) the rename does nothing, and the second name goes by itself.
        if (QFileInfo::exists(backup))
            ok = FileReplace::replace(backup, target) && removeIfPresent(backup) && ok;
    } else if (!stagedPresent) {
        // Without an old file the target is the new one only once the staged file has been renamed in;
        // while the staged file is still there, what lies at the target is not the install's to remove.
        ok = removeIfPresent(target) && ok;
    }
    return ok;
}

bool InstallTransaction::rollBack(int count)
{
    bool ok = true;
    for (int i = count - 1; i >= 0; --i)
        ok = restoreEntry(m_folder, m_staged.at(i)) && ok;
    for (int i = count; i < m_staged.size(); ++i)
        ok = removeIfPresent(absolute(m_staged.at(i).relativeTarget) + stagedSuffix()) && ok;
    // A failed put-back keeps the journal, so the next run tries again.
    if (ok)
        QFile::remove(journalPath(m_folder));
    m_staged.clear();
    return ok;
}

void InstallTransaction::abandon()
{
    for (const Entry &entry : m_staged)
        removeIfPresent(absolute(entry.relativeTarget) + stagedSuffix());
    m_staged.clear();
}

bool InstallTransaction::readJournal(const QString &programFolder, QString *state, QList<Entry> *entries)
{
    QFile journal(journalPath(programFolder));
    if (!journal.open(QIODevice::ReadOnly) || journal.size() > 1024 * 1024)
        return false;
    const QList<QByteArray> lines = journal.readAll().split('\n');
    *state = QString::fromUtf8(lines.value(0));
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray &line = lines.at(i);
        if (line.isEmpty())
            continue;
        const int tab = line.indexOf('\t');
        const QString relative = QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(tab + 1)));
        if (tab != 1 || !isSafeRelative(relative))
            return false;
        entries->append({ relative, line.at(0) == '1' });
    }
    return *state == QLatin1String(StateStaged) || *state == QLatin1String(StateCommitted);
}

void InstallTransaction::removeLeftovers(const QString &folder)
{
    // Without a journal no install is under way: a staged file is from one killed while it extracted, a
    // backup from one killed while it cleaned up. Links are removed as links, never followed.
    QDirIterator it(folder, { QLatin1Char('*') + stagedSuffix(), QLatin1Char('*') + backupSuffix() },
        QDir::Files | QDir::System | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        QFile::remove(it.next());
}

bool InstallTransaction::recover(const QString &programFolder)
{
    const QString folder = QDir::cleanPath(QDir(programFolder).absolutePath());
    if (!QFileInfo::exists(journalPath(folder))) {
        removeLeftovers(folder);
        return true;
    }
    QString state;
    QList<Entry> entries;
    if (!readJournal(folder, &state, &entries))
        return false; // not ours to act on: leave every file as it is
    bool ok = true;
    for (int i = entries.size() - 1; i >= 0; --i) {
        const Entry &entry = entries.at(i);
        const QString target = folder + QLatin1Char('/') + entry.relativeTarget;
        if (state == QLatin1String(StateCommitted))
            ok = removeIfPresent(target + backupSuffix()) && removeIfPresent(target + stagedSuffix()) && ok;
        else
            ok = restoreEntry(folder, entry) && ok;
    }
    if (ok)
        QFile::remove(journalPath(folder));
    return ok;
}
