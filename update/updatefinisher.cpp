#include "updatefinisher.h"

#include "installtransaction.h"
#include "manifestpaths.h"
#include "programnames.h"
#include "updatelayout.h"
#include "updatemanifest.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace {

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

    // The updater's own path: the same checks (a link member, the digest, the modes, a planted backup
    // name) and the same journal as every other file of an update.
    InstallTransaction install(m_folder);
    if (!install.stage(*entry) || !install.commit())
        return UpdaterResult::Failed;
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
