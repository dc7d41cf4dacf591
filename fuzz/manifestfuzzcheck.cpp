#include "manifestfuzzcheck.h"

#include "manifestpaths.h"
#include "updatemanifest.h"
#include "versionorder.h"

#include <QDir>
#include <QTemporaryDir>

namespace {

QString checkOrder(const QString &a, const QString &b)
{
    if (VersionOrder::isNewer(a, b) && VersionOrder::isNewer(b, a))
        return QStringLiteral("\"%1\" and \"%2\" are each newer than the other").arg(a, b);
    if (VersionOrder::isNewer(a, a))
        return QStringLiteral("\"%1\" is newer than itself").arg(a);
    if (VersionOrder::isNewer(a, b) && !VersionOrder::isVersion(a))
        return QStringLiteral("\"%1\" is not a version but counts as newer").arg(a);
    return {};
}

QString checkEntry(const ManifestFileInfo &entry, const QString &folder, const QString &serverAddress)
{
    ManifestPaths::Resolved resolved;
    if (!ManifestPaths(folder).resolve(entry, &resolved))
        return {};
    if (!ManifestPaths::isDigest(entry.FileVersion) || entry.FileName.contains(QLatin1Char('/')))
        return QStringLiteral("entry \"%1\" accepted with a bad digest or name").arg(entry.FileName);
    if (!resolved.target.startsWith(folder + QLatin1Char('/'))
        || resolved.target.contains(QStringLiteral("/../")))
        return QStringLiteral("target \"%1\" outside the program folder").arg(resolved.target);
    if (resolved.archive != folder + QStringLiteral("/temp/") + entry.FileVersion + QStringLiteral(".zip"))
        return QStringLiteral("archive \"%1\" not in temp/").arg(resolved.archive);
    if (!ManifestPaths::archiveUrl(serverAddress, entry.FileVersion)
             .endsWith(entry.FileVersion + QStringLiteral(".zip")))
        return QStringLiteral("archive URL does not end with the digest");
    return {};
}

} // namespace

QString ManifestFuzzCheck::run(const QByteArray &input)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return {};
    const QString folder = QDir(dir.path()).canonicalPath();
    const QString path = folder + QStringLiteral("/update_info.xml");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(input) != input.size())
        return {};
    file.close();

    UpdateManifest manifest;
    const bool loaded = manifest.load(path);
    if (loaded != manifest.isValid())
        return QStringLiteral("load() and isValid() disagree");
    if (!loaded) {
        if (!manifest.files().isEmpty() || !manifest.serverAddress().isEmpty()
            || !manifest.currentVersion().isEmpty() || !manifest.manualDownloadVersion().isEmpty())
            return QStringLiteral("a refused manifest kept values");
        return {};
    }
    const QString program = QStringLiteral("1.0.2.4");
    for (const QString &version : { manifest.currentVersion(), manifest.manualDownloadVersion() }) {
        QString failure = checkOrder(version, program);
        if (failure.isEmpty())
            failure = checkOrder(program, version);
        if (!failure.isEmpty())
            return failure;
    }
    const QString failure = checkOrder(manifest.currentVersion(), manifest.manualDownloadVersion());
    if (!failure.isEmpty())
        return failure;
    for (const ManifestFileInfo &entry : manifest.files()) {
        const QString entryFailure = checkEntry(entry, folder, manifest.serverAddress());
        if (!entryFailure.isEmpty())
            return entryFailure;
    }
    return {};
}
