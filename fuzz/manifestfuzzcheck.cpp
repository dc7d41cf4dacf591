#include "manifestfuzzcheck.h"

#include "manifestpaths.h"
#include "programversion.h"
#include "updatemanifest.h"
#include "versionorder.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QTemporaryDir>

namespace {

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

bool inside(const QString &path, const QString &folder)
{
    return path.startsWith(folder + QLatin1Char('/')) && !path.contains(QLatin1String("/../"))
        && !path.endsWith(QLatin1String("/.."));
}

QString checkEntries(const UpdateManifest &manifest, const QString &programFolder)
{
    const ManifestPaths paths(programFolder);
    for (const ManifestFileInfo &entry : manifest.files()) {
        ManifestPaths::Resolved resolved;
        if (!paths.resolve(entry, &resolved))
            continue;
        if (!inside(resolved.target, programFolder))
            return QStringLiteral("target \"%1\" outside the program folder").arg(resolved.target);
        if (!inside(resolved.archive, programFolder + QStringLiteral("/temp")))
            return QStringLiteral("archive \"%1\" outside temp/").arg(resolved.archive);
        if (!ManifestPaths::archiveUrl(manifest.serverAddress(), entry.FileVersion)
                 .endsWith(entry.FileVersion + QStringLiteral(".zip")))
            return QStringLiteral("archive URL does not end with the digest");
    }
    return QString();
}

QString checkVersions(const UpdateManifest &manifest)
{
    const QString versions[] = { manifest.currentVersion(), manifest.manualDownloadVersion(),
        QString::fromLatin1(ProgramVersion) };
    for (const QString &a : versions) {
        if (VersionOrder::isNewer(a, a))
            return QStringLiteral("\"%1\" is newer than itself").arg(a);
        for (const QString &b : versions) {
            if (VersionOrder::isNewer(a, b) && VersionOrder::isNewer(b, a))
                return QStringLiteral("\"%1\" and \"%2\" are each newer than the other").arg(a, b);
        }
    }
    return QString();
}

} // namespace

QString ManifestFuzzCheck::run(const QByteArray &input)
{
    static QTemporaryDir dir;
    if (!dir.isValid())
        return QStringLiteral("no temporary folder");
    const QString folder = QDir::cleanPath(dir.path());
    const QString path = folder + QStringLiteral("/update_info.xml");
    if (!writeBytes(path, input))
        return QStringLiteral("cannot write the input file");

    UpdateManifest manifest;
    const bool loaded = manifest.load(path);
    QDomDocument document;
    const bool expected = input.size() <= UpdateManifest::MaxFileBytes && document.setContent(input)
        && document.documentElement().tagName() == QLatin1String("Update");
    if (loaded != expected)
        return QStringLiteral("load answered %1 where the document says %2").arg(loaded).arg(expected);
    if (!loaded && (!manifest.files().isEmpty() || !manifest.currentVersion().isEmpty()))
        return QStringLiteral("a refused manifest kept values");

    UpdateManifest again;
    if (again.load(path) != loaded || again.files() != manifest.files()
        || again.currentVersion() != manifest.currentVersion()
        || again.serverAddress() != manifest.serverAddress())
        return QStringLiteral("a second load read something else");

    const QString failure = checkEntries(manifest, folder);
    return failure.isEmpty() ? checkVersions(manifest) : failure;
}
