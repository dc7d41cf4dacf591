#include "programfolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

bool writableFolder(const QString &folder)
{
    return QFileInfo(folder).isWritable();
}

} // namespace

bool ProgramFolders::isPackageManaged(const QString &programFolder, bool writable)
{
    const QString clean = QDir::cleanPath(programFolder);
    return !writable || clean == QLatin1String("/usr") || clean.startsWith(QLatin1String("/usr/"));
}

QString ProgramFolders::settingsFolder(const QString &programFolder, bool writable, const QString &configHome)
{
    if (!isPackageManaged(programFolder, writable))
        return programFolder;
    return QDir::cleanPath(configHome + QStringLiteral("/lumetra"));
}

bool ProgramFolders::runningIsPackageManaged()
{
    const QString folder = QCoreApplication::applicationDirPath();
    return isPackageManaged(folder, writableFolder(folder));
}

QString ProgramFolders::runningSettingsFolder()
{
    const QString folder = QCoreApplication::applicationDirPath();
    return settingsFolder(folder, writableFolder(folder),
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}
