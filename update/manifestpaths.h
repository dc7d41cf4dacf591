#pragma once

#include "manifestfileinfo.h"

#include <QString>

/// Where a manifest entry's file and archive lie, for a program folder. The manifest comes from the
/// network, so nothing it names is trusted: an entry whose digest is not 32 hex digits, whose FileName is
/// not a plain name, or whose FileDir is absolute, has a drive, a backslash or a ".." part, or leads out
/// of the program folder (also through a symbolic link inside it) has no paths at all.
class ManifestPaths
{
public:
    struct Resolved
    {
        QString target; ///< absolute path of the installed file: folder + FileDir + FileName
        QString archive; ///< absolute path of the downloaded archive: folder/temp/<FileVersion>.zip
    };

    explicit ManifestPaths(const QString &programFolder);

    /// False, leaving out untouched, for an entry that fails any check above.
    bool resolve(const ManifestFileInfo &entry, Resolved *out) const;

    /// 32 hexadecimal digits, either case (an upper-case digest is valid but never matches a file).
    static bool isDigest(const QString &fileVersion);
    /// A single path component: not empty, not "." or "..", no separator, drive colon or NUL.
    static bool isPlainFileName(const QString &fileName);
    /// Empty, or relative parts joined by "/" with no "..", no root, no drive and no backslash.
    static bool isRelativeDir(const QString &fileDir);
    /// The archive's URL on the server: serverAddress, a "/" unless it ends with one, the digest, ".zip".
    static QString archiveUrl(const QString &serverAddress, const QString &fileVersion);

private:
    bool staysInside(const QString &absolutePath) const;

    QString m_folder; ///< cleaned absolute program folder
    QString m_canonicalFolder; ///< the same with links resolved
};
