#pragma once

#include "manifestfileinfo.h"

#include <QByteArray>
#include <QFile>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

/// A program folder in a temporary directory for the updater's tests: installed files, archives in
/// "temp/" made with QuaZip, a manifest, and a snapshot of every file to prove that nothing changed.
class UpdaterTestFolder
{
public:
    UpdaterTestFolder();

    QString path() const { return m_dir.path(); }
    QString filePath(const QString &relative) const;

    void writeFile(const QString &relative, const QByteArray &content);
    QByteArray readFile(const QString &relative) const;
    bool exists(const QString &relative) const;

    static QString md5(const QByteArray &content);
    /// The entry that installs content as dir + name; its digest is the content's.
    static ManifestFileInfo entryFor(const QString &dir, const QString &name, const QByteArray &content);

    /// Writes a zip with one member (name, content, stored permissions; 0 stores none).
    static bool writeZip(const QString &zipPath, const QString &memberName, const QByteArray &content,
        QFile::Permissions permissions
        = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    /// The archive of an entry in "temp/", holding content under the entry's FileName.
    bool writeArchive(const ManifestFileInfo &entry, const QByteArray &content,
        QFile::Permissions permissions
        = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    /// update_info.xml in "temp/" listing the entries.
    void writeManifest(const QString &serverAddress, const ManifestFileList &entries);

    /// Every file below the folder (relative path to content), to compare before and after.
    QMap<QString, QByteArray> snapshot(bool withTemp = false) const;

private:
    QTemporaryDir m_dir;
};
