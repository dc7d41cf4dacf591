#include "manifestpaths.h"

#include "updatelayout.h"

#include <QDir>
#include <QFileInfo>

namespace {

bool hasForbiddenChar(const QString &text)
{
    // Control characters too: a line feed and a tab in a name could forge lines of the install journal,
    // and no file of ours has one.
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char(':') || c.unicode() < 0x20 || c.unicode() == 0x7F)
            return true;
    }
    return false;
}

} // namespace

ManifestPaths::ManifestPaths(const QString &programFolder)
    : m_folder(QDir::cleanPath(QDir(programFolder).absolutePath()))
    , m_canonicalFolder(QFileInfo(m_folder).canonicalFilePath())
{
}

bool ManifestPaths::isDigest(const QString &fileVersion)
{
    if (fileVersion.size() != 32)
        return false;
    for (QChar c : fileVersion) {
        const char a = c.toLatin1();
        const bool hex = (a >= '0' && a <= '9') || (a >= 'a' && a <= 'f') || (a >= 'A' && a <= 'F');
        if (!hex)
            return false;
    }
    return true;
}

bool ManifestPaths::isPlainFileName(const QString &fileName)
{
    if (fileName.isEmpty() || fileName == QLatin1String(".") || fileName == QLatin1String(".."))
        return false;
    return !fileName.contains(QLatin1Char('/')) && !hasForbiddenChar(fileName);
}

bool ManifestPaths::isRelativeDir(const QString &fileDir)
{
    if (fileDir.isEmpty())
        return true;
    if (fileDir.startsWith(QLatin1Char('/')) || hasForbiddenChar(fileDir))
        return false;
    const QStringList parts = fileDir.split(QLatin1Char('/'));
    for (const QString &part : parts) {
        if (part == QLatin1String(".."))
            return false;
    }
    return true;
}

QString ManifestPaths::archiveUrl(const QString &serverAddress, const QString &fileVersion)
{
    QString url = serverAddress;
    if (!url.endsWith(QLatin1Char('/')))
        url += QLatin1Char('/');
    return url + fileVersion + QStringLiteral(".zip");
}

bool ManifestPaths::resolve(const ManifestFileInfo &entry, Resolved *out) const
{
    if (!isDigest(entry.FileVersion) || !isPlainFileName(entry.FileName) || !isRelativeDir(entry.FileDir))
        return false;
    // FileDir and FileName join by plain concatenation, as the manifest format defines.
    const QString target = QDir::cleanPath(m_folder + QLatin1Char('/') + entry.FileDir + entry.FileName);
    if (!staysInside(target))
        return false;
    if (out) {
        out->target = target;
        out->archive = m_folder + QLatin1Char('/') + QLatin1String(UpdateLayout::TempFolder)
            + QLatin1Char('/') + entry.FileVersion + QStringLiteral(".zip");
    }
    return true;
}

bool ManifestPaths::staysInside(const QString &absolutePath) const
{
    const QString prefix = m_folder == QLatin1String("/") ? m_folder : m_folder + QLatin1Char('/');
    if (!absolutePath.startsWith(prefix))
        return false;
    // A folder on the way that is a link to somewhere else must not carry the write out of the folder:
    // the deepest part of the path that exists must resolve inside the program folder too.
    QFileInfo existing(absolutePath);
    while (!existing.exists() && existing.absoluteFilePath() != m_folder)
        existing = QFileInfo(existing.absolutePath());
    if (m_canonicalFolder.isEmpty())
        return false;
    const QString canonical = existing.canonicalFilePath();
    const QString canonicalPrefix
        = m_canonicalFolder == QLatin1String("/") ? m_canonicalFolder : m_canonicalFolder + QLatin1Char('/');
    return canonical == m_canonicalFolder || canonical.startsWith(canonicalPrefix);
}
