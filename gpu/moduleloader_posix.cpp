#include "moduleloader.h"

#include <QDir>
#include <QFileInfo>

#include <dlfcn.h>

namespace {

/// dlopen of the library named by LUMETRA_NVAPI_LIBRARY. Only an absolute
/// path is accepted, so the library never comes from the search path.
class PosixModuleLoader : public ModuleLoader
{
public:
    QString libraryPath() const override
    {
        const QString path = qEnvironmentVariable("LUMETRA_NVAPI_LIBRARY");
        if (path.isEmpty() || !QDir::isAbsolutePath(path))
            return QString();
        return path;
    }

    void *load(const QString &fullPath) override
    {
        if (!QDir::isAbsolutePath(fullPath))
            return nullptr;
        return dlopen(QFile::encodeName(fullPath).constData(), RTLD_NOW | RTLD_LOCAL);
    }

    void *resolve(void *module, const char *symbol) override
    {
        return module ? dlsym(module, symbol) : nullptr;
    }

    void free(void *module) override
    {
        if (module)
            dlclose(module);
    }
};

} // namespace

ModuleLoader &ModuleLoader::platformLoader()
{
    static PosixModuleLoader loader;
    return loader;
}
