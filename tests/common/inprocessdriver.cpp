#include "inprocessdriver.h"

#include "nvapibinding.h"
#include "simdriver.h"

#include <cstring>

InProcessDriver::InProcessDriver()
{
    // Whatever an earlier test left loaded goes first, so this loader is used.
    while (NvApiBinding::instance().isLoaded() && NvApiBinding::instance().unload() == NvApiStatus::Ok) { }
    SimDriver::instance().reset();
    NvApiBinding::instance().setModuleLoader(this);
}

InProcessDriver::~InProcessDriver()
{
    // Whatever a test told the driver (a missing Unload entry, a failing or
    // slow unload) must not keep the library loaded past this loader's life:
    // the binding would go on calling a loader that no longer exists.
    SimDriver::instance().reset();
    for (int i = 0; i < 64 && NvApiBinding::instance().isLoaded(); ++i)
        NvApiBinding::instance().unload();
    if (!NvApiBinding::instance().setModuleLoader(nullptr))
        qFatal("InProcessDriver: the driver library is still loaded");
}

QString InProcessDriver::libraryPath() const
{
    return QStringLiteral("/usr/lib/in-process/libnvapi-sim.so");
}

void *InProcessDriver::load(const QString &)
{
    if (m_missing.load())
        return nullptr;
    m_loads.fetch_add(1);
    return &m_token;
}

void *InProcessDriver::resolve(void *module, const char *symbol)
{
    m_resolves.fetch_add(1);
    if (module != &m_token || m_withoutQuery.load() || std::strcmp(symbol, "nvapi_QueryInterface") != 0)
        return nullptr;
    return reinterpret_cast<void *>(&SimDriver::queryInterface);
}

void InProcessDriver::free(void *module)
{
    if (module == &m_token)
        m_frees.fetch_add(1);
}
