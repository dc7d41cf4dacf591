#include "korvo_runtimefolder.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

/// A folder of this user's, not a link, that nobody else may enter or write.
bool isPrivateFolder(const QByteArray &path)
{
    struct stat info = {};
    return ::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid()
        && (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

/// The folder at path, made 0700 when missing; empty when what is there is not a private folder of ours
/// (another user planted it, or it is a link).
QString privateFolder(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return QString();
    return isPrivateFolder(native) ? path : QString();
}

} // namespace

QString Korvo_RuntimeFolder::path()
{
    const QString runtime = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"));
    if (QDir::isAbsolutePath(runtime) && isPrivateFolder(QFile::encodeName(runtime))) {
        const QString own = privateFolder(QDir(runtime).filePath(QStringLiteral("lumetra")));
        if (!own.isEmpty())
            return own;
    }
    // Not the temporary folder of the environment: two starts with different TMPDIR values must meet.
    const QString shared = privateFolder(QStringLiteral("/tmp/lumetra-%1").arg(::getuid()));
    return shared.isEmpty() ? QDir::tempPath() : shared;
}

QString Korvo_RuntimeFolder::localSocketName(const QString &name)
{
    return QDir(path()).filePath(name);
}
