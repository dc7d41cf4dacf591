#include "foldersync.h"

#include <QDir>

#include <windows.h>

bool FolderSync::syncFolderOf(const QString &filePath)
{
    // NTFS journals the rename together with its metadata, and a folder
    // cannot be flushed through a plain handle there: nothing to do.
    Q_UNUSED(filePath);
    return true;
}

bool FolderSync::syncFile(const QString &filePath)
{
    const HANDLE file = CreateFileW(QDir::toNativeSeparators(filePath).toStdWString().c_str(), GENERIC_WRITE,
        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool flushed = FlushFileBuffers(file) != 0;
    CloseHandle(file);
    return flushed;
}
