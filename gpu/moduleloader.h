#pragma once

#include <QString>

/// Loads the driver library for the binding: by full path only, never by a
/// bare name from the current directory or the search path. Tests install an
/// in-process loader to stand in for a real shared library.
class ModuleLoader
{
public:
    virtual ~ModuleLoader() = default;

    /// The full path of the driver library, or empty when there is none.
    virtual QString libraryPath() const = 0;
    /// A handle of the loaded library, or null on failure.
    virtual void *load(const QString &fullPath) = 0;
    virtual void *resolve(void *module, const char *symbol) = 0;
    virtual void free(void *module) = 0;

    /// The loader of this platform.
    static ModuleLoader &platformLoader();
};
