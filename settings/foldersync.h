#pragma once

#include <QString>

/// Makes files and renames durable. Replacing a file by renaming a new
/// one over it is atomic, but on POSIX systems the rename itself lives in
/// the folder's entry list, which reaches the disk only when the folder is
/// synced: after a power loss the old file, or none, could be back.
class FolderSync
{
public:
    /// Syncs the folder that holds the file. True when the folder is on disk
    /// (or the platform needs nothing for that); false when it could not be
    /// opened or synced.
    static bool syncFolderOf(const QString &filePath);
    /// Writes a file's own data to the disk (links are not followed); false when it could not.
    static bool syncFile(const QString &filePath);
};
