#include "nvapibinding.h"

#include "moduleloader.h"

#include <QThread>

namespace {
constexpr int PendingUnloadWaitMs = 100;
constexpr int PendingUnloadWaits = 10;

/// Counts a call in flight for the lifetime of the guard.
class InFlight
{
public:
    explicit InFlight(std::atomic<int> &counter)
        : m_counter(counter)
    {
        m_counter.fetch_add(1);
    }
    ~InFlight() { m_counter.fetch_sub(1); }
    InFlight(const InFlight &) = delete;
    InFlight &operator=(const InFlight &) = delete;

private:
    std::atomic<int> &m_counter;
};
} // namespace

NvApiBinding &NvApiBinding::instance()
{
    static NvApiBinding binding;
    return binding;
}

NvApiBinding::NvApiBinding()
    : m_loader(&ModuleLoader::platformLoader())
{
    for (auto &slot : m_cache)
        slot.store(nullptr);
}

bool NvApiBinding::setModuleLoader(ModuleLoader *loader)
{
    std::lock_guard<std::mutex> locker(m_lock);
    if (m_loaded.load())
        return false;
    m_loader = loader ? loader : &ModuleLoader::platformLoader();
    return true;
}

bool NvApiBinding::pendingUnloadFinished() const
{
    for (int i = 0; i < PendingUnloadWaits && m_unloading.load(); ++i)
        QThread::msleep(PendingUnloadWaitMs);
    return !m_unloading.load();
}

NvStatus NvApiBinding::ensureLoaded()
{
    // The counter is raised before the flag is looked at, and unload sets the
    // flag before it looks at the counter, so one of the two always sees the other.
    if (!pendingUnloadFinished())
        return NvApiStatus::Error;
    if (m_loaded.load())
        return NvApiStatus::Ok;
    std::lock_guard<std::mutex> locker(m_lock);
    return loadLocked();
}

NvStatus NvApiBinding::loadLocked()
{
    if (m_loaded.load())
        return NvApiStatus::Ok;

    const QString path = m_loader->libraryPath();
    void *module = path.isEmpty() ? nullptr : m_loader->load(path);
    if (!module)
        return NvApiStatus::LibraryNotFound;

    auto query = reinterpret_cast<NvApiFn::QueryInterface>(m_loader->resolve(module, "nvapi_QueryInterface"));
    auto init = query ? reinterpret_cast<NvApiFn::Initialize>(query(NvApiId::Initialize)) : nullptr;
    if (!init) {
        m_loader->free(module);
        return NvApiStatus::Error;
    }
    const NvStatus status = init();
    if (status != NvApiStatus::Ok) {
        m_loader->free(module);
        return status;
    }

    auto pre = reinterpret_cast<NvApiFn::PreCallHook>(query(NvApiId::PreCallHook));
    auto post = reinterpret_cast<NvApiFn::PostCallHook>(query(NvApiId::PostCallHook));
    const bool hooks = pre && post;
    m_preHook.store(hooks ? pre : nullptr);
    m_postHook.store(hooks ? post : nullptr);
    for (auto &slot : m_cache)
        slot.store(nullptr);
    m_query.store(query);
    m_module.store(module);
    m_loaded.store(true);
    return NvApiStatus::Ok;
}

void NvApiBinding::clearLocked()
{
    m_loader->free(m_module.load());
    m_module.store(nullptr);
    m_query.store(nullptr);
    m_preHook.store(nullptr);
    m_postHook.store(nullptr);
    m_loaded.store(false);
    m_referenceCount.store(0);
    for (auto &slot : m_cache)
        slot.store(nullptr);
}

NvStatus NvApiBinding::initialize()
{
    std::lock_guard<std::mutex> locker(m_lock);
    InFlight inFlight(m_callsInFlight);
    const NvStatus status = loadLocked();
    if (status == NvApiStatus::Ok)
        m_referenceCount.fetch_add(1);
    return status;
}

NvStatus NvApiBinding::unload()
{
    std::lock_guard<std::mutex> locker(m_lock);
    struct UnloadingMark
    {
        std::atomic<bool> &flag;
        explicit UnloadingMark(std::atomic<bool> &f)
            : flag(f)
        {
            flag.store(true);
        }
        ~UnloadingMark() { flag.store(false); }
    } mark(m_unloading);

    if (!m_loaded.load())
        return NvApiStatus::ApiNotInitialized;
    const int previous = m_referenceCount.fetch_sub(1);
    if (previous > 1)
        return NvApiStatus::Ok;
    if (m_callsInFlight.load() != 0)
        return NvApiStatus::ApiInUse;

    auto driverUnload = reinterpret_cast<NvApiFn::Unload>(m_query.load()(NvApiId::Unload));
    if (!driverUnload)
        return NvApiStatus::NoImplementation;
    if (driverUnload() != NvApiStatus::Ok) {
        m_referenceCount.store(previous);
        return NvApiStatus::Error;
    }
    clearLocked();
    return NvApiStatus::Ok;
}

template <typename Fn, typename... Args> NvStatus NvApiBinding::call(NvApiEntry entry, Args... args)
{
    InFlight inFlight(m_callsInFlight);
    const NvStatus loaded = ensureLoaded();
    if (loaded != NvApiStatus::Ok)
        return loaded;

    const auto index = static_cast<std::size_t>(entry);
    const NvU32 id = NvApiEntryIds[index];
    void *fn = m_cache[index].load();
    if (!fn) {
        // Two threads may both resolve an empty slot; both store the same pointer.
        fn = m_query.load()(id);
        m_cache[index].store(fn);
        if (!fn)
            return NvApiStatus::NoImplementation;
    }

    NvU32 scratch[2] = { 0, 0 };
    const auto pre = m_preHook.load();
    const auto post = m_postHook.load();
    if (pre)
        pre(id, scratch);
    const NvStatus status = reinterpret_cast<Fn>(fn)(args...);
    if (post)
        post(id, scratch, status);
    return status;
}

NvStatus NvApiBinding::sysGetDriverAndBranchVersion(NvU32 *driverVersion, char *branch)
{
    return call<NvApiFn::SysGetDriverAndBranchVersion>(
        NvApiEntry::SysGetDriverAndBranchVersion, driverVersion, branch);
}

NvStatus NvApiBinding::gpuGetMemoryInfo(NvPhysicalGpuHandle gpu, NvMemoryInfo *info)
{
    return call<NvApiFn::GpuGetMemoryInfo>(NvApiEntry::GpuGetMemoryInfo, gpu, info);
}

NvStatus NvApiBinding::enumPhysicalGpus(NvPhysicalGpuHandle *handles, NvU32 *count)
{
    return call<NvApiFn::EnumGpus>(NvApiEntry::EnumPhysicalGpus, handles, count);
}

NvStatus NvApiBinding::enumTccPhysicalGpus(NvPhysicalGpuHandle *handles, NvU32 *count)
{
    return call<NvApiFn::EnumGpus>(NvApiEntry::EnumTccPhysicalGpus, handles, count);
}

NvStatus NvApiBinding::gpuGetFullName(NvPhysicalGpuHandle gpu, char *name)
{
    return call<NvApiFn::GpuGetText>(NvApiEntry::GpuGetFullName, gpu, name);
}

NvStatus NvApiBinding::gpuGetPciIdentifiers(
    NvPhysicalGpuHandle gpu, NvU32 *deviceId, NvU32 *subSystemId, NvU32 *revisionId, NvU32 *extDeviceId)
{
    return call<NvApiFn::GpuGetPciIdentifiers>(
        NvApiEntry::GpuGetPciIdentifiers, gpu, deviceId, subSystemId, revisionId, extDeviceId);
}

NvStatus NvApiBinding::gpuGetVbiosVersionString(NvPhysicalGpuHandle gpu, char *text)
{
    return call<NvApiFn::GpuGetText>(NvApiEntry::GpuGetVbiosVersionString, gpu, text);
}

NvStatus NvApiBinding::gpuGetMemoryType(NvPhysicalGpuHandle gpu, NvU32 *memoryType)
{
    return call<NvApiFn::GpuGetU32>(NvApiEntry::GpuGetMemoryType, gpu, memoryType);
}

NvStatus NvApiBinding::gpuGetFbWidthAndLocation(NvPhysicalGpuHandle gpu, NvU32 *widthBits, NvU32 *location)
{
    return call<NvApiFn::GpuGetFbWidthAndLocation>(
        NvApiEntry::GpuGetFbWidthAndLocation, gpu, widthBits, location);
}

NvStatus NvApiBinding::gpuGetAllClockFrequencies(NvPhysicalGpuHandle gpu, NvClockFrequencies *clocks)
{
    return call<NvApiFn::GpuGetAllClockFrequencies>(NvApiEntry::GpuGetAllClockFrequencies, gpu, clocks);
}

NvStatus NvApiBinding::gpuGetCoolerSettings(
    NvPhysicalGpuHandle gpu, NvU32 selector, NvCoolerSettings *settings)
{
    return call<NvApiFn::GpuGetCoolerSettings>(NvApiEntry::GpuGetCoolerSettings, gpu, selector, settings);
}

NvStatus NvApiBinding::gpuSetCoolerLevels(NvPhysicalGpuHandle gpu, NvU32 selector, NvCoolerLevels *levels)
{
    return call<NvApiFn::GpuSetCoolerLevels>(NvApiEntry::GpuSetCoolerLevels, gpu, selector, levels);
}

NvStatus NvApiBinding::gpuGetPstates20(NvPhysicalGpuHandle gpu, NvPstates20Info *info)
{
    return call<NvApiFn::GpuPstates20>(NvApiEntry::GpuGetPstates20, gpu, info);
}

NvStatus NvApiBinding::gpuSetPstates20(NvPhysicalGpuHandle gpu, NvPstates20Info *info)
{
    return call<NvApiFn::GpuPstates20>(NvApiEntry::GpuSetPstates20, gpu, info);
}

NvStatus NvApiBinding::gpuEnableOverclockedPstates(NvPhysicalGpuHandle gpu, NvU32 enable)
{
    return call<NvApiFn::GpuEnableOverclockedPstates>(NvApiEntry::GpuEnableOverclockedPstates, gpu, enable);
}

NvStatus NvApiBinding::gpuGetDynamicPstatesInfoEx(NvPhysicalGpuHandle gpu, NvDynamicPstatesInfoEx *info)
{
    return call<NvApiFn::GpuGetDynamicPstatesInfoEx>(NvApiEntry::GpuGetDynamicPstatesInfoEx, gpu, info);
}

NvStatus NvApiBinding::gpuGetThermalSettings(
    NvPhysicalGpuHandle gpu, NvU32 sensorIndex, NvThermalSettings *settings)
{
    return call<NvApiFn::GpuGetThermalSettings>(
        NvApiEntry::GpuGetThermalSettings, gpu, sensorIndex, settings);
}

NvStatus NvApiBinding::gpuThermalPoliciesGetInfo(NvPhysicalGpuHandle gpu, NvThermalPoliciesInfo *info)
{
    return call<NvApiFn::GpuThermalPoliciesInfo>(NvApiEntry::GpuThermalPoliciesGetInfo, gpu, info);
}

NvStatus NvApiBinding::gpuThermalPoliciesGetStatus(NvPhysicalGpuHandle gpu, NvThermalPoliciesStatus *status)
{
    return call<NvApiFn::GpuThermalPoliciesStatus>(NvApiEntry::GpuThermalPoliciesGetStatus, gpu, status);
}

NvStatus NvApiBinding::gpuThermalPoliciesSetStatus(NvPhysicalGpuHandle gpu, NvThermalPoliciesStatus *status)
{
    return call<NvApiFn::GpuThermalPoliciesStatus>(NvApiEntry::GpuThermalPoliciesSetStatus, gpu, status);
}

NvStatus NvApiBinding::i2cRead(NvPhysicalGpuHandle gpu, NvI2cInfo *info)
{
    return call<NvApiFn::I2c>(NvApiEntry::I2cRead, gpu, info);
}

NvStatus NvApiBinding::i2cWrite(NvPhysicalGpuHandle gpu, NvI2cInfo *info)
{
    return call<NvApiFn::I2c>(NvApiEntry::I2cWrite, gpu, info);
}

NvStatus NvApiBinding::i2cWriteEx(NvPhysicalGpuHandle gpu, NvI2cInfo *info, NvU32 *outPair)
{
    return call<NvApiFn::I2cEx>(NvApiEntry::I2cWriteEx, gpu, info, outPair);
}

NvStatus NvApiBinding::i2cReadEx(NvPhysicalGpuHandle gpu, NvI2cInfo *info, NvU32 *outPair)
{
    return call<NvApiFn::I2cEx>(NvApiEntry::I2cReadEx, gpu, info, outPair);
}

NvStatus NvApiBinding::gpuPowerTopologyGetInfo(NvPhysicalGpuHandle gpu, NvPowerTopologyInfo *info)
{
    return call<NvApiFn::GpuPowerTopologyInfo>(NvApiEntry::GpuPowerTopologyGetInfo, gpu, info);
}

NvStatus NvApiBinding::gpuPowerTopologyGetStatus(NvPhysicalGpuHandle gpu, NvPowerTopologyStatus *status)
{
    return call<NvApiFn::GpuPowerTopologyStatus>(NvApiEntry::GpuPowerTopologyGetStatus, gpu, status);
}

NvStatus NvApiBinding::gpuPowerPoliciesGetInfo(NvPhysicalGpuHandle gpu, NvPowerPoliciesInfo *info)
{
    return call<NvApiFn::GpuPowerPoliciesInfo>(NvApiEntry::GpuPowerPoliciesGetInfo, gpu, info);
}

NvStatus NvApiBinding::gpuPowerPoliciesGetStatus(NvPhysicalGpuHandle gpu, NvPowerPoliciesStatus *status)
{
    return call<NvApiFn::GpuPowerPoliciesStatus>(NvApiEntry::GpuPowerPoliciesGetStatus, gpu, status);
}

NvStatus NvApiBinding::gpuPowerPoliciesSetStatus(NvPhysicalGpuHandle gpu, NvPowerPoliciesStatus *status)
{
    return call<NvApiFn::GpuPowerPoliciesStatus>(NvApiEntry::GpuPowerPoliciesSetStatus, gpu, status);
}

NvStatus NvApiBinding::gpuGetTachReading(NvPhysicalGpuHandle gpu, NvU32 *rpm)
{
    return call<NvApiFn::GpuGetU32>(NvApiEntry::GpuGetTachReading, gpu, rpm);
}

NvStatus NvApiBinding::gpuGetBusId(NvPhysicalGpuHandle gpu, NvU32 *bus)
{
    return call<NvApiFn::GpuGetU32>(NvApiEntry::GpuGetBusId, gpu, bus);
}

NvStatus NvApiBinding::gpuGetBusSlotId(NvPhysicalGpuHandle gpu, NvU32 *slot)
{
    return call<NvApiFn::GpuGetU32>(NvApiEntry::GpuGetBusSlotId, gpu, slot);
}
