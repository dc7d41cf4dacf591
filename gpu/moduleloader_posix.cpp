#include "moduleloader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

#include <dlfcn.h>
#include <sys/stat.h>

namespace {

constexpr char InstalledLibrary[] = "libnvapi-linux.so";

/// The folder of the running executable, from the kernel rather than from
/// argv[0] or the current directory.
QString executableFolder()
{
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    const QString target = self.symLinkTarget();
    return target.isEmpty() ? QString() : QFileInfo(target).absolutePath();
}

bool isRegularFile(const QString &path)
{
    struct stat status = {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 && S_ISREG(status.st_mode);
}

/// dlopen of the driver library. LUMETRA_NVAPI_LIBRARY names it by absolute
/// path (empty or relative: no library); unset, the library for real cards
/// installed with the program: beside the executable (the portable folder), or in
/// ../lib/<triplet>/lumetra/ (a package) or ../lib/lumetra/ from it. Never a bare name, so it never comes
/// from the current directory or the search path, and only a regular file, so a FIFO or a device cannot block
/// the start-up.
class PosixModuleLoader : public ModuleLoader
{
public:
    QString libraryPath() const override
    {
        if (!qEnvironmentVariableIsSet("LUMETRA_NVAPI_LIBRARY"))
            return installedLibrary();
        const QString path = qEnvironmentVariable("LUMETRA_NVAPI_LIBRARY");
        if (path.isEmpty())
            return QString();
        if (!QDir::isAbsolutePath(path)) {
            report(path, QStringLiteral("not an absolute path"));
            return QString();
        }
        return path;
    }

    void *load(const QString &fullPath) override
    {
        if (!QDir::isAbsolutePath(fullPath)) {
            report(fullPath, QStringLiteral("not an absolute path"));
            return nullptr;
        }
        const QByteArray native = QFile::encodeName(fullPath);
        struct stat status = {};
        if (::stat(native.constData(), &status) != 0) {
            report(fullPath, QString::fromLocal8Bit(std::strerror(errno)));
            return nullptr;
        }
        if (!S_ISREG(status.st_mode)) {
            report(fullPath, QStringLiteral("not a regular file"));
            return nullptr;
        }
        void *module = dlopen(native.constData(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            report(fullPath, dlErrorText());
            return nullptr;
        }
        std::lock_guard<std::mutex> locker(m_lock);
        m_loadedPath = fullPath;
        return module;
    }

    void *resolve(void *module, const char *symbol) override
    {
        if (!module)
            return nullptr;
        dlerror();
        void *address = dlsym(module, symbol);
        if (!address) {
            QString path;
            {
                std::lock_guard<std::mutex> locker(m_lock);
                path = m_loadedPath;
            }
            report(path, dlErrorText());
        }
        return address;
    }

    void free(void *module) override
    {
        if (module)
            dlclose(module);
    }

private:
    static QString installedLibrary()
    {
        const QString folder = executableFolder();
        if (folder.isEmpty())
            return QString();
        const QString multiarch = QStringLiteral("/../lib/") + QLatin1String(LUMETRA_LIBRARY_ARCHITECTURE)
            + QStringLiteral("/lumetra/");
        for (const QString &candidate : { folder + QLatin1Char('/') + QLatin1String(InstalledLibrary),
                 folder + multiarch + QLatin1String(InstalledLibrary),
                 folder + QStringLiteral("/../lib/lumetra/") + QLatin1String(InstalledLibrary) }) {
            if (isRegularFile(candidate))
                return QDir::cleanPath(candidate);
        }
        return QString();
    }

    static QString dlErrorText()
    {
        const char *text = dlerror();
        return text ? QString::fromLocal8Bit(text) : QStringLiteral("unknown reason");
    }

    /// One line on standard error per distinct failure: the binding tries
    /// the load again on every call while nothing is loaded.
    void report(const QString &path, const QString &reason) const
    {
        const QString line = QStringLiteral("Driver library \"%1\" not loaded: %2").arg(path, reason);
        std::lock_guard<std::mutex> locker(m_lock);
        if (line == m_lastReport)
            return;
        m_lastReport = line;
        std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
        std::fflush(stderr);
    }

    mutable std::mutex m_lock;
    mutable QString m_lastReport;
    QString m_loadedPath;
};

} // namespace

ModuleLoader &ModuleLoader::platformLoader()
{
    static PosixModuleLoader loader;
    return loader;
}
