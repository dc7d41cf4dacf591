#include "inprocessdriver.h"

#include "nvapibinding.h"
#include "simdriver.h"

#include <cstring>

InProcessDriver::InProcessDriver()
{
    // Whatever an earlier test left loaded goes first, so this loader is used.
    while (NvApiBinding::instance().isLoaded() && NvApiBinding::instance().unload() == NvApiStatus::Ok) {
    }
    SimDriver::instance().reset();
    NvApiBinding::instance().setModuleLoader(this);
}

InProcessDriver::~InProcessDriver()
{
    SimDriver::instance().setUnloadStatus(NvApiStatus::Ok);
    SimDriver::instance().setUnloadDelayMs(0);
    for (int i = 0; i < 64 && NvApiBinding::instance().isLoaded(); ++i) {
        if (NvApiBinding::instance().unload() == NvApiStatus::ApiNotInitialized)
            break;
    }
    NvApiBinding::instance().setModuleLoader(nullptr);
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
