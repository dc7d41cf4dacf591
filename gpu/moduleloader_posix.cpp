#include "moduleloader.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

#include <dlfcn.h>
#include <sys/stat.h>

namespace {

/// dlopen of the library named by LUMETRA_NVAPI_LIBRARY. Only an absolute
/// path is accepted, so the library never comes from the search path, and
/// only a regular file, so a FIFO or a device cannot block the start-up.
class PosixModuleLoader : public ModuleLoader
{
public:
    QString libraryPath() const override
    {
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
