#include "updatertestfolder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

UpdaterTestFolder::UpdaterTestFolder() = default;

QString UpdaterTestFolder::filePath(const QString &relative) const
{
    return m_dir.filePath(relative);
}

void UpdaterTestFolder::writeFile(const QString &relative, const QByteArray &content)
{
    const QString path = filePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
}

QByteArray UpdaterTestFolder::readFile(const QString &relative) const
{
    QFile file(filePath(relative));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

bool UpdaterTestFolder::exists(const QString &relative) const
{
    return QFileInfo::exists(filePath(relative));
}

QString UpdaterTestFolder::md5(const QByteArray &content)
{
    return QString::fromLatin1(QCryptographicHash::hash(content, QCryptographicHash::Md5).toHex());
}

ManifestFileInfo UpdaterTestFolder::entryFor(
    const QString &dir, const QString &name, const QByteArray &content)
{
    return ManifestFileInfo { name, dir, md5(content) };
}

bool UpdaterTestFolder::writeZip(const QString &zipPath, const QString &memberName, const QByteArray &content,
    QFile::Permissions permissions)
{
    QDir().mkpath(QFileInfo(zipPath).absolutePath());
    QuaZip zip(zipPath);
    if (!zip.open(QuaZip::mdCreate))
        return false;
    QuaZipFile member(&zip);
    QuaZipNewInfo info(memberName);
    info.setPermissions(permissions);
    if (!member.open(QIODevice::WriteOnly, info))
        return false;
    const bool written = member.write(content) == content.size();
    member.close();
    zip.close();
    return written && zip.getZipError() == 0;
}

bool UpdaterTestFolder::writeArchive(
    const ManifestFileInfo &entry, const QByteArray &content, QFile::Permissions permissions)
{
    return writeZip(filePath(QStringLiteral("temp/") + entry.FileVersion + QStringLiteral(".zip")),
        entry.FileName, content, permissions);
}

void UpdaterTestFolder::writeManifest(const QString &serverAddress, const ManifestFileList &entries)
{
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Update>\n")
        + QStringLiteral("  <ServerAdress Value=\"%1\"/>\n").arg(serverAddress.toHtmlEscaped())
        + QStringLiteral("  <CurrentVersion Value=\"1.0.2.5\"/>\n  <FileInfos>\n");
    for (const ManifestFileInfo &entry : entries) {
        xml += QStringLiteral("    <FileInfo FileName=\"%1\" FileDir=\"%2\" FileVersion=\"%3\"/>\n")
                   .arg(entry.FileName.toHtmlEscaped(), entry.FileDir.toHtmlEscaped(),
                       entry.FileVersion.toHtmlEscaped());
    }
    xml += QStringLiteral("  </FileInfos>\n</Update>\n");
    writeFile(QStringLiteral("temp/update_info.xml"), xml.toUtf8());
}

QMap<QString, QByteArray> UpdaterTestFolder::snapshot(bool withTemp) const
{
    QMap<QString, QByteArray> files;
    QDirIterator it(m_dir.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    const QDir root(m_dir.path());
    while (it.hasNext()) {
        const QString relative = root.relativeFilePath(it.next());
        if (!withTemp && relative.startsWith(QLatin1String("temp/")))
            continue;
        files.insert(relative, readFile(relative));
    }
    return files;
}
