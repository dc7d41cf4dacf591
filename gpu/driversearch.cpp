#include "driversearch.h"

namespace {

const QLatin1Char Separator('\\');

QString withoutTrailingSeparator(QString path)
{
    while (path.endsWith(Separator) || path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

/// "C:\..." or "\\server\..." : a path that names its drive or share.
bool isAbsolute(const QString &path)
{
    if (path.size() >= 3 && path.at(0).isLetter() && path.at(1) == QLatin1Char(':')
        && (path.at(2) == Separator || path.at(2) == QLatin1Char('/')))
        return true;
    return path.startsWith(QStringLiteral("\\\\"));
}

QString folderOf(const QString &path)
{
    const int cut = std::max(path.lastIndexOf(Separator), path.lastIndexOf(QLatin1Char('/')));
    return cut <= 0 ? QString() : path.left(cut);
}

} // namespace

QString DriverSearch::libraryFileName(bool process64Bit)
{
    return process64Bit ? QStringLiteral("nvapi64.dll") : QStringLiteral("nvapi.dll");
}

bool DriverSearch::driverStoreSearchAllowed(const QString &currentBuildNumber, const QString &fileName)
{
    bool ok = false;
    const int build = currentBuildNumber.trimmed().toInt(&ok, 10);
    return ok && build >= DriverStoreMinimumBuild
        && fileName.startsWith(QLatin1String("nv"), Qt::CaseInsensitive);
}

QStringList DriverSearch::classValueNames(bool wow64Process)
{
    if (wow64Process)
        return { QStringLiteral("UserModeDriverNameWow"), QStringLiteral("OpenGLDriverNameWow"),
            QStringLiteral("UserModeDListDriverNameWow"), QStringLiteral("DriverSupportModulesWow") };
    return { QStringLiteral("UserModeDriverName"), QStringLiteral("OpenGLDriverName"),
        QStringLiteral("UserModeDListDriverName"), QStringLiteral("DriverSupportModules") };
}

QString DriverSearch::reroot(const QString &path, const QString &systemDirectory)
{
    const QString root = withoutTrailingSeparator(systemDirectory);
    for (const QString &prefix :
        { QStringLiteral("\\SystemRoot\\system32\\"), QStringLiteral("system32\\") }) {
        if (path.startsWith(prefix, Qt::CaseInsensitive))
            return root + Separator + path.mid(prefix.size());
    }
    return path;
}

QStringList DriverSearch::candidateFolders(const QList<Adapter> &adapters, const QStringList &vulkanDrivers,
    const QStringList &openClVendors, bool wow64Process, const QString &systemDirectory)
{
    QStringList folders;
    const auto add = [&folders, &systemDirectory](const QString &folder) {
        const QString rerooted = withoutTrailingSeparator(reroot(folder, systemDirectory));
        if (isAbsolute(rerooted) && !folders.contains(rerooted, Qt::CaseInsensitive))
            folders << rerooted;
    };
    const auto addFileFolder
        = [&add, &systemDirectory](const QString &file) { add(folderOf(reroot(file, systemDirectory))); };
    for (const Adapter &adapter : adapters) {
        if (!adapter.driverStoreFolder.isEmpty())
            add(adapter.driverStoreFolder);
        for (const QString &name : classValueNames(wow64Process)) {
            for (const QString &file : adapter.classValues.value(name))
                addFileFolder(file);
        }
    }
    for (const QString &file : vulkanDrivers + openClVendors)
        addFileFolder(file);
    return folders;
}

QString DriverSearch::choose(const QStringList &folders, const QString &fileName,
    const std::function<bool(const QString &)> &exists, const QString &systemDirectory)
{
    for (const QString &folder : folders) {
        const QString candidate = folder + Separator + fileName;
        if (isAbsolute(candidate) && exists(candidate))
            return candidate;
    }
    return withoutTrailingSeparator(systemDirectory) + Separator + fileName;
}
