#pragma once

#include <QString>

/// The file operations of an install that never leave a target absent.
class FileReplace
{
public:
    /// Gives the existing file a second name (a hard link), so that it stays whole under that name while
    /// its first name gets a new file; false where the file system has no hard links or the name is taken.
    static bool hardLink(const QString &existing, const QString &newName);
    /// Renames from to to in one step; a file at to is replaced, never removed first.
    static bool replace(const QString &from, const QString &to);
};
