#pragma once

#include <QList>
#include <QString>

/// One file of an update as update_info.xml lists it. FileDir + FileName is the installed path relative
/// to the program folder; FileVersion is the MD5 digest (lowercase hex) of the installed content and the
/// base name of the file's archive.
struct ManifestFileInfo
{
    QString FileName;
    QString FileDir;
    QString FileVersion;
};

inline bool operator==(const ManifestFileInfo &a, const ManifestFileInfo &b)
{
    return a.FileName == b.FileName && a.FileDir == b.FileDir && a.FileVersion == b.FileVersion;
}

using ManifestFileList = QList<ManifestFileInfo>;
