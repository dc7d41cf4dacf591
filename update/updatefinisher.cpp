#include "updatefinisher.h"

#include "manifestpaths.h"
#include "programnames.h"
#include "updatelayout.h"
#include "updatemanifest.h"

#include <JlCompress.h>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace {

QString fileMd5(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (!hash.addData(&file))
        return {};
    return QString::fromLatin1(hash.result().toHex());
}

/// Removes path: a file or link by itself, a real folder with everything in it. Links are never followed.
bool removeEntry(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isDir())
        return QFile::remove(path);
    bool ok = true;
    QDirIterator it(path, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext())
        ok = removeEntry(it.next()) && ok;
    return QDir().rmdir(path) && ok;
}

/// Replaces to by from in one step, so that the old file stays whole until the new one is in place.
bool replaceFile(const QString &from, const QString &to)
{
    std::error_code error;
    std::filesystem::rename(
        QFile::encodeName(from).toStdString(), QFile::encodeName(to).toStdString(), error);
    return !error;
}

} // namespace

UpdateFinisher::UpdateFinisher(const QString &programFolder)
    : m_folder(QDir(programFolder).absolutePath())
{
}

QString UpdateFinisher::tempFolder() const
{
    return QDir(m_folder).filePath(QLatin1String(UpdateLayout::TempFolder));
}

UpdateFinisher::UpdaterResult UpdateFinisher::installUpdater()
{
    UpdateManifest manifest;
    if (!manifest.load(QDir(tempFolder()).filePath(QLatin1String(UpdateLayout::ManifestName))))
        return UpdaterResult::NotListed;
    const QString updaterName = ProgramNames::updater();
    const ManifestFileList &files = manifest.files();
    const auto entry = std::find_if(files.cbegin(), files.cend(),
        [&updaterName](const ManifestFileInfo &file) { return file.FileName == updaterName; });
    if (entry == files.cend())
        return UpdaterResult::NotListed;
    ManifestPaths::Resolved paths;
    if (!ManifestPaths(m_folder).resolve(*entry, &paths))
        return UpdaterResult::Refused;
    if (!QFileInfo(paths.archive).isFile() || QFileInfo(paths.archive).isSymLink())
        return UpdaterResult::NoArchive;

    const QFileInfo target(paths.target);
    if (!QDir().mkpath(target.absolutePath()))
        return UpdaterResult::Failed;
    const QString fresh
        = target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".new");
    QFile::remove(fresh);
    if (JlCompress::extractFile(paths.archive, entry->FileName, fresh).isEmpty()) {
        QFile::remove(fresh);
        return UpdaterResult::Failed;
    }
    if (fileMd5(fresh) != entry->FileVersion) {
        QFile::remove(fresh);
        return UpdaterResult::Failed;
    }
    // The updater must stay runnable whatever permissions the archive recorded.
    QFile::setPermissions(fresh,
        QFile::permissions(fresh) | QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
            | QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
    if (!replaceFile(fresh, paths.target)) {
        QFile::remove(fresh);
        return UpdaterResult::Failed;
    }
    QFile::remove(paths.archive);
    return UpdaterResult::Installed;
}

bool UpdateFinisher::emptyTempFolder()
{
    const QString temp = tempFolder();
    const QFileInfo info(temp);
    if (info.isSymLink() || (info.exists() && !info.isDir())) {
        // Emptying through a link would delete whatever it points at: drop the link, keep a real folder.
        return QFile::remove(temp) && QDir().mkpath(temp);
    }
    if (!info.exists())
        return QDir().mkpath(temp);
    bool ok = true;
    QDirIterator it(temp, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext())
        ok = removeEntry(it.next()) && ok;
    return ok;
}
