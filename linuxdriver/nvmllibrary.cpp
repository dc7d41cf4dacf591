#include "nvmllibrary.h"

#include "nvmlstatus.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <dlfcn.h>

namespace {

/// One slot of the symbol table: the NVML name and where its address goes.
struct SymbolSlot
{
    const char *name;
    void *member;
    bool required;
};

template <typename Fn> SymbolSlot slot(const char *name, Fn &member, bool required = false)
{
    static_assert(sizeof(Fn) == sizeof(void *), "function pointers are stored as data pointers");
    return { name, &member, required };
}

std::vector<SymbolSlot> slotsOf(NvmlSymbols &s)
{
    return {
        slot("nvmlInit_v2", s.init, true),
        slot("nvmlShutdown", s.shutdown, true),
        slot("nvmlDeviceGetCount_v2", s.getCount, true),
        slot("nvmlDeviceGetHandleByIndex_v2", s.getHandleByIndex, true),
        slot("nvmlSystemGetDriverVersion", s.systemGetDriverVersion),
        slot("nvmlSystemGetDriverBranch", s.systemGetDriverBranch),
        slot("nvmlDeviceGetName", s.getName),
        slot("nvmlDeviceGetVbiosVersion", s.getVbiosVersion),
        slot("nvmlDeviceGetPciInfo_v3", s.getPciInfo),
        slot("nvmlDeviceGetMemoryBusWidth", s.getMemoryBusWidth),
        slot("nvmlDeviceGetMemoryInfo_v2", s.getMemoryInfoV2),
        slot("nvmlDeviceGetMemoryInfo", s.getMemoryInfo),
        slot("nvmlDeviceGetClockInfo", s.getClockInfo),
        slot("nvmlDeviceGetMaxClockInfo", s.getMaxClockInfo),
        slot("nvmlDeviceGetDefaultApplicationsClock", s.getDefaultApplicationsClock),
        slot("nvmlDeviceGetMaxCustomerBoostClock", s.getMaxCustomerBoostClock),
        slot("nvmlDeviceGetMinMaxClockOfPState", s.getMinMaxClockOfPstate),
        slot("nvmlDeviceGetClockOffsets", s.getClockOffsets),
        slot("nvmlDeviceSetClockOffsets", s.setClockOffsets),
        slot("nvmlDeviceGetGpcClkVfOffset", s.getGpcClkVfOffset),
        slot("nvmlDeviceGetMemClkVfOffset", s.getMemClkVfOffset),
        slot("nvmlDeviceSetGpcClkVfOffset", s.setGpcClkVfOffset),
        slot("nvmlDeviceSetMemClkVfOffset", s.setMemClkVfOffset),
        slot("nvmlDeviceGetGpcClkMinMaxVfOffset", s.getGpcClkMinMaxVfOffset),
        slot("nvmlDeviceGetMemClkMinMaxVfOffset", s.getMemClkMinMaxVfOffset),
        slot("nvmlDeviceGetUtilizationRates", s.getUtilizationRates),
        slot("nvmlDeviceGetEncoderUtilization", s.getEncoderUtilization),
        slot("nvmlDeviceGetDecoderUtilization", s.getDecoderUtilization),
        slot("nvmlDeviceGetTemperatureV", s.getTemperatureV),
        slot("nvmlDeviceGetTemperature", s.getTemperature),
        slot("nvmlDeviceGetTemperatureThreshold", s.getTemperatureThreshold),
        slot("nvmlDeviceSetTemperatureThreshold", s.setTemperatureThreshold),
        slot("nvmlDeviceGetPowerUsage", s.getPowerUsage),
        slot("nvmlDeviceGetPowerManagementDefaultLimit", s.getPowerDefaultLimit),
        slot("nvmlDeviceGetPowerManagementLimit", s.getPowerLimit),
        slot("nvmlDeviceGetPowerManagementLimitConstraints", s.getPowerLimitConstraints),
        slot("nvmlDeviceSetPowerManagementLimit_v2", s.setPowerLimitV2),
        slot("nvmlDeviceSetPowerManagementLimit", s.setPowerLimit),
        slot("nvmlDeviceGetNumFans", s.getNumFans),
        slot("nvmlDeviceGetMinMaxFanSpeed", s.getMinMaxFanSpeed),
        slot("nvmlDeviceGetFanSpeed_v2", s.getFanSpeed),
        slot("nvmlDeviceGetFanControlPolicy_v2", s.getFanControlPolicy),
        slot("nvmlDeviceSetFanSpeed_v2", s.setFanSpeed),
        slot("nvmlDeviceSetDefaultFanSpeed_v2", s.setDefaultFanSpeed),
        slot("nvmlDeviceGetFanSpeedRPM", s.getFanSpeedRpm),
    };
}

void complain(const std::string &line)
{
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

} // namespace

NvmlLibrary &NvmlLibrary::instance()
{
    static NvmlLibrary library;
    return library;
}

std::string NvmlLibrary::libraryName()
{
    const char *overridden = std::getenv("LUMETRA_NVML_LIBRARY");
    if (overridden && overridden[0] == '/')
        return overridden;
    return "libnvidia-ml.so.1";
}

NvStatus NvmlLibrary::acquire()
{
    std::lock_guard<std::mutex> locker(m_lock);
    if (m_users > 0) {
        ++m_users;
        return NvApiStatus::Ok;
    }
    const NvStatus status = loadLocked();
    if (status == NvApiStatus::Ok)
        m_users = 1;
    return status;
}

NvStatus NvmlLibrary::release(void (*beforeShutdown)())
{
    std::lock_guard<std::mutex> locker(m_lock);
    if (m_users == 0)
        return NvApiStatus::ApiNotInitialized;
    if (--m_users > 0)
        return NvApiStatus::Ok;
    if (beforeShutdown)
        beforeShutdown();
    unloadLocked();
    return NvApiStatus::Ok;
}

NvStatus NvmlLibrary::loadLocked()
{
    // A name without a slash is looked up the way the driver's packages
    // install it (the system's library folders); an override is absolute.
    m_module = dlopen(libraryName().c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_module)
        return NvApiStatus::LibraryNotFound;
    m_symbols = NvmlSymbols();
    for (const SymbolSlot &s : slotsOf(m_symbols)) {
        void *address = dlsym(m_module, s.name);
        std::memcpy(s.member, &address, sizeof address);
        if (s.required && !address) {
            complain(std::string("NVML library ") + libraryName() + " lacks " + s.name);
            unloadLocked();
            return NvApiStatus::LibraryNotFound;
        }
    }
    const nvmlReturn_t init = m_symbols.init();
    if (init != Nvml::Return::Success) {
        if (init == Nvml::Return::LibRmVersionMismatch)
            complain("The NVIDIA driver was updated but the old kernel module is still loaded: "
                     "restart the computer to use the card.");
        unloadLocked();
        return NvmlStatus::forInit(init);
    }
    m_ready.store(true, std::memory_order_release);
    return NvApiStatus::Ok;
}

void NvmlLibrary::unloadLocked()
{
    if (m_ready.exchange(false) && m_symbols.shutdown)
        m_symbols.shutdown();
    m_symbols = NvmlSymbols();
    if (m_module)
        dlclose(m_module);
    m_module = nullptr;
}

std::vector<NvmlSymbolPresence> NvmlLibrary::presence() const
{
    NvmlSymbols copy = m_symbols;
    std::vector<NvmlSymbolPresence> out;
    for (const SymbolSlot &s : slotsOf(copy)) {
        void *address = nullptr;
        std::memcpy(&address, s.member, sizeof address);
        out.push_back({ s.name, address != nullptr });
    }
    return out;
}
