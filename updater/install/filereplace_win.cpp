#include "filereplace.h"

#include <QDir>

#include <windows.h>

namespace {

std::wstring native(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

} // namespace

bool FileReplace::hardLink(const QString &existing, const QString &newName)
{
    return CreateHardLinkW(native(newName).c_str(), native(existing).c_str(), nullptr) != 0;
}

bool FileReplace::replace(const QString &from, const QString &to)
{
    return MoveFileExW(
               native(from).c_str(), native(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
        != 0;
}
