#include "updatemanifest.h"

#include <QFile>
#include <QFileInfo>

void UpdateManifest::clear()
{
    m_files.clear();
    m_serverAddress.clear();
    m_currentVersion.clear();
    m_manualDownloadVersion.clear();
    m_errorMessage.clear();
    m_errorLine = 0;
    m_errorColumn = 0;
    m_document = QDomDocument();
    m_valid = false;
}

bool UpdateManifest::load(const QString &path)
{
    clear();
    // Regular files only: a FIFO or device put in temp/ would never end.
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    // As much as the file says it holds, not a buffer of the whole bound for a manifest of a few
    // kilobytes; a file that grew meanwhile is read on up to the bound.
    QByteArray data = file.read(qMin<qint64>(file.size(), MaxFileBytes) + 1);
    if (data.size() <= MaxFileBytes && !file.atEnd())
        data += file.read(MaxFileBytes + 1 - data.size());
    if (data.size() > MaxFileBytes) {
        m_errorMessage = QStringLiteral("file too large");
        return false;
    }
    if (!m_document.setContent(data, &m_errorMessage, &m_errorLine, &m_errorColumn))
        return false;
    const QDomElement root = m_document.documentElement();
    if (root.tagName() != QLatin1String("Update"))
        return false;
    readRoot(root);
    m_valid = true;
    return true;
}

void UpdateManifest::readRoot(const QDomElement &root)
{
    const QString value = QStringLiteral("Value");
    for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        const QString tag = e.tagName();
        if (tag == QLatin1String("ServerAdress")) {
            m_serverAddress = e.attribute(value);
        } else if (tag == QLatin1String("CurrentVersion")) {
            m_currentVersion = e.attribute(value);
        } else if (tag == QLatin1String("ManualDownloadVersion")) {
            m_manualDownloadVersion = e.attribute(value);
        } else if (tag == QLatin1String("FileInfos")) {
            for (QDomElement f = e.firstChildElement(QStringLiteral("FileInfo")); !f.isNull();
                 f = f.nextSiblingElement(QStringLiteral("FileInfo"))) {
                m_files.append({ f.attribute(QStringLiteral("FileName")),
                    f.attribute(QStringLiteral("FileDir")), f.attribute(QStringLiteral("FileVersion")) });
            }
        }
    }
}
