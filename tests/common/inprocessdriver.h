#pragma once

#include "moduleloader.h"

#include <QString>

#include <atomic>

/// Stands in for the driver library in tests: the binding "loads" it without
/// dlopen and resolves nvapi_QueryInterface to the simulated driver linked
/// into the test. Counts what was loaded, resolved and freed.
class InProcessDriver : public ModuleLoader
{
public:
    /// Installs itself as the binding's loader and resets the simulated driver.
    InProcessDriver();
    /// Unloads what is still loaded and puts the platform loader back.
    ~InProcessDriver() override;

    /// Makes the library missing (load fails) or present again.
    void setMissing(bool missing) { m_missing = missing; }
    /// Makes the library load but lack its one export.
    void setWithoutQueryInterface(bool without) { m_withoutQuery = without; }

    int loads() const { return m_loads.load(); }
    int frees() const { return m_frees.load(); }
    int resolves() const { return m_resolves.load(); }

    QString libraryPath() const override;
    void *load(const QString &fullPath) override;
    void *resolve(void *module, const char *symbol) override;
    void free(void *module) override;

private:
    std::atomic<bool> m_missing { false };
    std::atomic<bool> m_withoutQuery { false };
    std::atomic<int> m_loads { 0 };
    std::atomic<int> m_frees { 0 };
    std::atomic<int> m_resolves { 0 };
    int m_token = 0;
};
