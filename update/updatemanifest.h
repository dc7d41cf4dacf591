#pragma once

#include "manifestfileinfo.h"

#include <QDomDocument>
#include <QString>

/// update_info.xml in memory. The main program's update check and the updater read it through this one
/// class, so both apply the same rules: root "Update", only the root's direct children looked at, a
/// missing attribute reads empty, the later of two elements wins and two FileInfos lists are appended.
class UpdateManifest
{
public:
    /// A manifest is a few kilobytes; anything near this size is not one and is refused unread.
    static constexpr qint64 MaxFileBytes = 1024 * 1024;

    /// Reads the file. False when it is missing, unreadable, too large, not well-formed or its root is not
    /// "Update"; every value is empty then.
    bool load(const QString &path);

    bool isValid() const { return m_valid; }
    const ManifestFileList &files() const { return m_files; }
    QString serverAddress() const { return m_serverAddress; }
    QString currentVersion() const { return m_currentVersion; }
    QString manualDownloadVersion() const { return m_manualDownloadVersion; }
    QString errorMessage() const { return m_errorMessage; }
    int errorLine() const { return m_errorLine; }
    int errorColumn() const { return m_errorColumn; }
    QString fileName() const { return m_fileName; }

private:
    void clear();
    void readRoot(const QDomElement &root);

    ManifestFileList m_files;
    QString m_serverAddress;
    QString m_currentVersion;
    QString m_manualDownloadVersion;
    QString m_errorMessage;
    int m_errorLine = 0;
    int m_errorColumn = 0;
    QDomDocument m_document;
    QString m_fileName = QStringLiteral("update_info.xml");
    bool m_valid = false;
};
