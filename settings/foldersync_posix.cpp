#include "foldersync.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

/// fsync, again after an interruption by a signal; errno is the failure's when it fails.
int syncDescriptor(int fd)
{
    int result = 0;
    do {
        result = ::fsync(fd);
    } while (result != 0 && errno == EINTR);
    return result;
}

} // namespace

bool FolderSync::syncFolderOf(const QString &filePath)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(filePath).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const int result = syncDescriptor(fd);
    const int error = errno;
    ::close(fd);
    // A file system that cannot sync folders at all says EINVAL; there is
    // nothing more to be done there.
    return result == 0 || error == EINVAL;
}

bool FolderSync::syncFile(const QString &filePath)
{
    const int fd = ::open(QFile::encodeName(filePath).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    const int result = syncDescriptor(fd);
    ::close(fd);
    return result == 0;
}
