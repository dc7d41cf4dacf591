#include "bridgeentries.h"

#include "bridgegpus.h"
#include "bridgei2c.h"
#include "bridgerecords.h"
#include "fanhandback.h"
#include "nvmlgpu.h"
#include "nvmllibrary.h"
#include "nvmlstatus.h"
#include "nvmlunits.h"
#include "runtimestate.h"

#include "nvapiids.h"
#include "nventrytable.h"
#include "nvrecordversions.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr NvU32 ClockTypeMask = 0xF;
constexpr NvU32 ClockTypeReserved = 0x00FFFFF0u;
constexpr NvU32 ThermalSensorAll = 15;
constexpr NvU32 ThermalSensorCount = 3;

/// The GPU a call addresses, after the checks every card entry makes.
struct Target
{
    NvStatus status = NvApiStatus::Ok;
    int index = -1;
    nvmlDevice_t device = nullptr;

    bool ok() const { return status == NvApiStatus::Ok; }
    NvmlGpu gpu() const { return NvmlGpu(NvmlLibrary::instance().symbols(), device); }
    std::string busId() const { return BridgeGpus::instance().busId(index); }
};

Target target(NvPhysicalGpuHandle handle)
{
    Target t;
    if (!NvmlLibrary::instance().ready()) {
        t.status = NvApiStatus::ApiNotInitialized;
        return t;
    }
    t.index = BridgeGpus::instance().indexOf(handle);
    t.device = BridgeGpus::instance().device(t.index);
    if (t.index < 0 || !t.device)
        t.status = NvApiStatus::InvalidHandle;
    return t;
}

/// A card entry with a versioned record: the handle, then the record's word.
Target target(NvPhysicalGpuHandle handle, NvRecordKind kind, const void *record)
{
    Target t = target(handle);
    if (!t.ok())
        return t;
    if (!record)
        t.status = NvApiStatus::InvalidArgument;
    else if (!NvRecordVersions::isSupported(kind, NvRecordVersions::wordOf(record)))
        t.status = NvApiStatus::IncompatibleStructVersion;
    return t;
}

NvStatus mapped(nvmlReturn_t status)
{
    return NvmlStatus::toNvApi(status);
}

/// The caller's record as far as its version covers, in a zeroed full-size copy.
template <typename Record> Record covered(const Record *in)
{
    Record copy;
    std::memset(static_cast<void *>(&copy), 0, sizeof copy);
    const std::size_t size = std::min(NvRecordVersions::sizeOf(NvRecordVersions::wordOf(in)), sizeof copy);
    std::memcpy(static_cast<void *>(&copy), in, size);
    return copy;
}

template <typename Record> NvStatus deliver(Record *out, const Record &filled)
{
    NvRecordVersions::deliver(out, &filled, sizeof filled, NvRecordVersions::wordOf(out));
    return NvApiStatus::Ok;
}

template <typename Raw> NvStatus deliverRaw(Raw *out, const Raw &filled)
{
    NvRecordVersions::deliver(out->data(), filled.data(), Raw::size, NvRecordVersions::wordOf(out));
    return NvApiStatus::Ok;
}

template <typename Raw> Raw coveredRaw(const Raw *in)
{
    Raw copy;
    const std::size_t size = std::min(NvRecordVersions::sizeOf(NvRecordVersions::wordOf(in)), Raw::size);
    std::memcpy(copy.data(), in->data(), size);
    return copy;
}

void copyText(char *out, const std::string &text)
{
    const std::size_t length = std::min<std::size_t>(text.size(), NvApiLimits::ShortStringMax - 1);
    std::memcpy(out, text.data(), length);
    out[length] = '\0';
}

/// The domain's offset as the card reports it, with the value the bridge last
/// set where this GPU's driver was seen to read back 0 after a set that
/// succeeded (RuntimeState keeps a value only then).
NvmlClockDomain clockDomain(const Target &t, unsigned int clockType)
{
    BridgeGpus &gpus = BridgeGpus::instance();
    std::optional<NvmlClockDomain> cached = gpus.cachedDomain(t.index, clockType);
    if (!cached) {
        cached = NvmlClockDomain();
        t.gpu().clockDomain(clockType, *cached);
        gpus.cacheDomain(t.index, clockType, *cached);
    }
    NvmlClockDomain domain = *cached;
    if (domain.offsetAnswered && domain.offsetMhz == 0) {
        const std::int32_t last = RuntimeState::instance().lastOffset(t.busId(), clockType).value_or(0);
        if (last >= domain.minOffsetMhz && last <= domain.maxOffsetMhz)
            domain.offsetMhz = last;
    }
    return domain;
}

nvmlReturn_t acousticLimits(const Target &t, NvmlAcousticLimits &limits)
{
    const NvmlGpu gpu = t.gpu();
    nvmlReturn_t status = gpu.threshold(Nvml::Threshold::AcousticMin, limits.minC);
    if (status == Nvml::Return::Success)
        status = gpu.threshold(Nvml::Threshold::AcousticCurrent, limits.currentC);
    if (status == Nvml::Return::Success)
        status = gpu.threshold(Nvml::Threshold::AcousticMax, limits.maxC);
    if (status != Nvml::Return::Success)
        return status;
    if (limits.minC > limits.maxC)
        return Nvml::Return::NotSupported;
    limits.defaultC = std::clamp(
        RuntimeState::instance().acousticDefault(t.busId(), limits.currentC), limits.minC, limits.maxC);
    return status;
}

/// Sets one clock domain's offset from a P-state record's delta, clamped to
/// the card's range; an unchanged offset asks nothing of the driver.
NvStatus setClockOffset(const Target &t, unsigned int clockType, NvS32 deltaKhz)
{
    const NvmlClockDomain domain = clockDomain(t, clockType);
    if (!domain.offsetAnswered)
        return NvApiStatus::NotSupported;
    const std::int32_t wanted
        = std::clamp(NvmlUnits::mhzFromKhz(deltaKhz), domain.minOffsetMhz, domain.maxOffsetMhz);
    if (wanted == domain.offsetMhz)
        return NvApiStatus::Ok;
    BridgeGpus::instance().forgetDomains(t.index);
    const nvmlReturn_t status = t.gpu().setClockOffset(clockType, wanted);
    if (status != Nvml::Return::Success)
        return mapped(status);
    // Some drivers read back 0 after a set that took effect: only on a GPU seen
    // doing so is the value kept, so that an offset another tool reset is never
    // shown as the old one.
    NvmlClockDomain readBack;
    t.gpu().clockDomain(clockType, readBack);
    if (wanted != 0 && readBack.offsetAnswered && readBack.offsetMhz == 0)
        RuntimeState::instance().rememberOffset(t.busId(), clockType, wanted);
    else
        RuntimeState::instance().forgetOffset(t.busId(), clockType);
    return NvApiStatus::Ok;
}

void handBackBeforeShutdown()
{
    FanHandback::instance().handBackAll();
}

} // namespace

void *BridgeEntries::entryFor(NvU32 id)
{
    // The call hooks have no counterpart: the binding then installs neither.
    return nvEntryFor<BridgeEntries>(id);
}

// Library -------------------------------------------------------------------------

NvStatus BridgeEntries::initialize()
{
    const NvStatus status = NvmlLibrary::instance().acquire();
    if (status == NvApiStatus::Ok)
        BridgeI2c::instance().reload();
    return status;
}

NvStatus BridgeEntries::unload()
{
    const NvStatus status = NvmlLibrary::instance().release(handBackBeforeShutdown);
    if (!NvmlLibrary::instance().ready())
        BridgeGpus::instance().clear();
    return status;
}

NvStatus BridgeEntries::sysGetDriverAndBranchVersion(NvU32 *driverVersion, char *branch)
{
    if (!NvmlLibrary::instance().ready())
        return NvApiStatus::ApiNotInitialized;
    if (!driverVersion || !branch)
        return NvApiStatus::InvalidArgument;
    const NvmlSymbols &nvml = NvmlLibrary::instance().symbols();
    if (!nvml.systemGetDriverVersion)
        return NvApiStatus::NotSupported;
    char version[Nvml::DriverVersionBuffer + 1] = {};
    const nvmlReturn_t status = nvml.systemGetDriverVersion(version, Nvml::DriverVersionBuffer);
    if (status != Nvml::Return::Success)
        return mapped(status);
    *driverVersion = NvmlUnits::driverNumberFromVersion(version);
    std::string branchText = version;
    nvmlSystemDriverBranchInfo_v1_t info {};
    info.version = Nvml::driverBranchV1;
    if (nvml.systemGetDriverBranch
        && nvml.systemGetDriverBranch(&info, sizeof info.branch) == Nvml::Return::Success) {
        info.branch[sizeof info.branch - 1] = '\0';
        branchText = info.branch;
    }
    copyText(branch, branchText);
    return NvApiStatus::Ok;
}

NvStatus BridgeEntries::enumPhysicalGpus(NvPhysicalGpuHandle *handles, NvU32 *count)
{
    if (!NvmlLibrary::instance().ready())
        return NvApiStatus::ApiNotInitialized;
    if (!handles || !count)
        return NvApiStatus::InvalidArgument;
    BridgeGpus &gpus = BridgeGpus::instance();
    const nvmlReturn_t status = gpus.enumerate(NvmlLibrary::instance().symbols());
    *count = 0;
    if (status != Nvml::Return::Success)
        return mapped(status);
    const int found = gpus.count();
    for (int i = 0; i < found; ++i)
        handles[i] = gpus.handle(i);
    *count = static_cast<NvU32>(found);
    // As the driver does: no GPU is "no NVIDIA device", which the program reports as no card.
    return found == 0 ? NvApiStatus::NvidiaDeviceNotFound : NvApiStatus::Ok;
}

NvStatus BridgeEntries::enumTccPhysicalGpus(NvPhysicalGpuHandle *handles, NvU32 *count)
{
    // Linux has no driver-model split: every GPU is in the physical list.
    if (!NvmlLibrary::instance().ready())
        return NvApiStatus::ApiNotInitialized;
    if (!handles || !count)
        return NvApiStatus::InvalidArgument;
    *count = 0;
    return NvApiStatus::Ok;
}

// Identity --------------------------------------------------------------------------

NvStatus BridgeEntries::gpuGetFullName(NvPhysicalGpuHandle gpu, char *text)
{
    const Target t = target(gpu);
    if (!t.ok())
        return t.status;
    if (!text)
        return NvApiStatus::InvalidArgument;
    std::string name;
    const nvmlReturn_t status = t.gpu().name(name);
    if (status == Nvml::Return::Success)
        copyText(text, name);
    return mapped(status);
}

NvStatus BridgeEntries::gpuGetVbiosVersionString(NvPhysicalGpuHandle gpu, char *text)
{
    const Target t = target(gpu);
    if (!t.ok())
        return t.status;
    if (!text)
        return NvApiStatus::InvalidArgument;
    std::string version;
    const nvmlReturn_t status = t.gpu().vbiosVersion(version);
    if (status == Nvml::Return::Success)
        copyText(text, version);
    return mapped(status);
}

NvStatus BridgeEntries::gpuGetPciIdentifiers(
    NvPhysicalGpuHandle gpu, NvU32 *deviceId, NvU32 *subSystemId, NvU32 *revisionId, NvU32 *extDeviceId)
{
    const Target t = target(gpu);
    if (!t.ok())
        return t.status;
    if (!deviceId || !subSystemId || !revisionId || !extDeviceId)
        return NvApiStatus::InvalidArgument;
    nvmlPciInfo_t pci {};
    const nvmlReturn_t status = t.gpu().pciInfo(pci);
    if (status != Nvml::Return::Success)
        return mapped(status);
    *deviceId = pci.pciDeviceId;
    *subSystemId = pci.pciSubSystemId;
    *revisionId = BridgeGpus::revision(t.busId());
    *extDeviceId = pci.pciDeviceId >> 16;
    return NvApiStatus::Ok;
}

NvStatus BridgeEntries::gpuGetBusId(NvPhysicalGpuHandle gpu, NvU32 *bus)
{
    const Target t = target(gpu);
    if (!t.ok())
        return t.status;
    if (!bus)
        return NvApiStatus::InvalidArgument;
    nvmlPciInfo_t pci {};
    const nvmlReturn_t status = t.gpu().pciInfo(pci);
    if (status == Nvml::Return::Success)
        *bus = pci.bus;
    return mapped(status);
}

NvStatus BridgeEntries::gpuGetBusSlotId(NvPhysicalGpuHandle gpu, NvU32 *slot)
{
    const Target t = target(gpu);
    if (!t.ok())
        return t.status;
    if (!slot)
        return NvApiStatus::InvalidArgument;
    nvmlPciInfo_t pci {};
    const nvmlReturn_t status = t.gpu().pciInfo(pci);
    if (status == Nvml::Return::Success)
        *slot = pci.device;
    return mapped(status);
}

NvStatus BridgeEntries::gpuGetMemoryType(NvPhysicalGpuHandle gpu, NvU32 *code)
{
    // NVML publishes no memory type: the panel shows its "unknown" text.
    const Target t = target(gpu);
    if (!t.ok())
        return t.status;
    return code ? NvApiStatus::NotSupported : NvApiStatus::InvalidArgument;
}

NvStatus BridgeEntries::gpuGetFbWidthAndLocation(NvPhysicalGpuHandle gpu, NvU32 *widthBits, NvU32 *location)
{
    const Target t = target(gpu);
    if (!t.ok())
        return t.status;
    if (!widthBits || !location)
        return NvApiStatus::InvalidArgument;
    unsigned int bits = 0;
    const nvmlReturn_t status = t.gpu().memoryBusWidth(bits);
    if (status != Nvml::Return::Success)
        return mapped(status);
    *widthBits = bits;
    *location = 0;
    return NvApiStatus::Ok;
}

// Readings --------------------------------------------------------------------------

NvStatus BridgeEntries::gpuGetMemoryInfo(NvPhysicalGpuHandle gpu, NvMemoryInfo *info)
{
    const Target t = target(gpu, NvRecordKind::MemoryInfo, info);
    if (!t.ok())
        return t.status;
    NvmlMemoryBytes bytes;
    const nvmlReturn_t status = t.gpu().memory(bytes);
    if (status != Nvml::Return::Success)
        return mapped(status);
    return deliver(info, BridgeRecords::memory(bytes));
}

NvStatus BridgeEntries::gpuGetAllClockFrequencies(NvPhysicalGpuHandle gpu, NvClockFrequencies *frequencies)
{
    const Target t = target(gpu, NvRecordKind::ClockFrequencies, frequencies);
    if (!t.ok())
        return t.status;
    // Version 1 has no clock type: it reports the current clocks.
    const NvU32 word = NvRecordVersions::wordOf(frequencies);
    const NvU32 typeWord = NvRecordVersions::versionOf(word) >= 2 ? frequencies->clockType : 0;
    const NvU32 kind = typeWord & ClockTypeMask;
    if (kind > 2 || (typeWord & ClockTypeReserved) != 0)
        return NvApiStatus::InvalidArgument;
    // Base and boost clocks do not change while the driver runs: asked once.
    const int cacheKind = static_cast<int>(kind);
    std::optional<NvmlClockSet> cached = BridgeGpus::instance().cachedClocks(t.index, cacheKind);
    if (!cached) {
        cached = t.gpu().clocks(static_cast<NvmlGpu::ClockKind>(kind));
        if (kind != 0)
            BridgeGpus::instance().cacheClocks(t.index, cacheKind, *cached);
    }
    const NvmlClockSet clocks = *cached;
    if (!clocks.graphics.present && !clocks.memory.present)
        return NvApiStatus::NotSupported;
    return deliver(frequencies, BridgeRecords::clockFrequencies(clocks, typeWord));
}

NvStatus BridgeEntries::gpuGetDynamicPstatesInfoEx(NvPhysicalGpuHandle gpu, NvDynamicPstatesInfoEx *info)
{
    const Target t = target(gpu, NvRecordKind::DynamicPstates, info);
    if (!t.ok())
        return t.status;
    NvmlUtilization utilization;
    const nvmlReturn_t status = t.gpu().utilization(utilization);
    if (status != Nvml::Return::Success)
        return mapped(status);
    return deliver(info, BridgeRecords::utilization(utilization));
}

NvStatus BridgeEntries::gpuGetThermalSettings(
    NvPhysicalGpuHandle gpu, NvU32 sensorIndex, NvThermalSettings *settings)
{
    const Target t = target(gpu, NvRecordKind::ThermalSettings, settings);
    if (!t.ok())
        return t.status;
    if (sensorIndex >= ThermalSensorCount && sensorIndex != ThermalSensorAll)
        return NvApiStatus::InvalidArgument;
    const NvmlGpu nvml = t.gpu();
    std::int32_t celsius = 0;
    const nvmlReturn_t status = nvml.temperature(celsius);
    if (status != Nvml::Return::Success)
        return mapped(status);
    std::int32_t maxC = 0;
    if (nvml.threshold(Nvml::Threshold::GpuMax, maxC) != Nvml::Return::Success)
        nvml.threshold(Nvml::Threshold::Slowdown, maxC);
    return deliver(settings, BridgeRecords::thermalSettings(celsius, maxC));
}

NvStatus BridgeEntries::gpuGetCoolerSettings(
    NvPhysicalGpuHandle gpu, NvU32 selector, NvCoolerSettings *settings)
{
    (void)selector;
    const Target t = target(gpu, NvRecordKind::CoolerSettings, settings);
    if (!t.ok())
        return t.status;
    NvmlCooler cooler;
    const nvmlReturn_t status = t.gpu().cooler(cooler);
    if (status != Nvml::Return::Success)
        return mapped(status);
    // Without the policy query (drivers before R525) the bridge knows what it set itself.
    const bool setManual = FanHandback::instance().isManual(t.device);
    for (NvmlFan &fan : cooler.fans)
        fan.manual = fan.manual || setManual;
    const NvU32 word = NvRecordVersions::wordOf(settings);
    return deliverRaw(settings, BridgeRecords::coolerSettings(cooler, NvRecordVersions::sizeOf(word)));
}

NvStatus BridgeEntries::gpuGetTachReading(NvPhysicalGpuHandle gpu, NvU32 *rpm)
{
    const Target t = target(gpu);
    if (!t.ok())
        return t.status;
    if (!rpm)
        return NvApiStatus::InvalidArgument;
    std::uint32_t value = 0;
    const nvmlReturn_t status = t.gpu().fanRpm(value);
    if (status == Nvml::Return::Success)
        *rpm = value;
    return mapped(status);
}

// Clocks ----------------------------------------------------------------------------

NvStatus BridgeEntries::gpuGetPstates20(NvPhysicalGpuHandle gpu, NvPstates20Info *info)
{
    const Target t = target(gpu, NvRecordKind::Pstates20, info);
    if (!t.ok())
        return t.status;
    const NvmlClockDomain graphics = clockDomain(t, Nvml::Clock::Graphics);
    const NvmlClockDomain memory = clockDomain(t, Nvml::Clock::Memory);
    return deliver(info, BridgeRecords::pstates(graphics, memory));
}

NvStatus BridgeEntries::gpuSetPstates20(NvPhysicalGpuHandle gpu, NvPstates20Info *info)
{
    const Target t = target(gpu, NvRecordKind::Pstates20, info);
    if (!t.ok())
        return t.status;
    const NvPstates20Info record = covered(info);
    const bool hasOverVoltage = NvRecordVersions::versionOf(record.version) >= 2;
    const NvU32 overVoltages = hasOverVoltage ? record.ov.numVoltages : 0;
    if (record.numPstates > std::size(record.pstates)
        || record.numClocks > std::size(record.pstates[0].clocks)
        || record.numBaseVoltages > std::size(record.pstates[0].baseVoltages)
        || overVoltages > std::size(record.ov.voltages))
        return NvApiStatus::InvalidArgument;

    // The whole record is checked before anything reaches the card.
    std::optional<NvS32> graphicsKhz, memoryKhz;
    for (NvU32 p = 0; p < record.numPstates; ++p) {
        const NvPstates20Pstate &state = record.pstates[p];
        if (state.pstateId != 0)
            return NvApiStatus::NotSupported;
        for (NvU32 c = 0; c < record.numClocks; ++c) {
            const NvPstates20ClockEntry &clock = state.clocks[c];
            if (clock.domainId == NvClockDomainId::Graphics)
                graphicsKhz = clock.freqDelta_kHz.value;
            else if (clock.domainId == NvClockDomainId::Memory)
                memoryKhz = clock.freqDelta_kHz.value;
            else
                return NvApiStatus::InvalidArgument;
        }
        // NVML has no core voltage: only "no change" can be honoured, so that
        // restoring the defaults still succeeds.
        for (NvU32 v = 0; v < record.numBaseVoltages; ++v) {
            if (state.baseVoltages[v].voltDelta_uV.value != 0)
                return NvApiStatus::NotSupported;
        }
    }
    for (NvU32 v = 0; v < overVoltages; ++v) {
        if (record.ov.voltages[v].voltDelta_uV.value != 0)
            return NvApiStatus::NotSupported;
    }

    NvStatus status = NvApiStatus::Ok;
    if (graphicsKhz)
        status = setClockOffset(t, Nvml::Clock::Graphics, *graphicsKhz);
    if (memoryKhz && status == NvApiStatus::Ok)
        status = setClockOffset(t, Nvml::Clock::Memory, *memoryKhz);
    return status;
}

NvStatus BridgeEntries::gpuEnableOverclockedPstates(NvPhysicalGpuHandle gpu, NvU32 enable)
{
    // NVML applies offsets without a separate switch.
    const Target t = target(gpu);
    if (!t.ok())
        return t.status;
    return enable > 1 ? NvApiStatus::InvalidArgument : NvApiStatus::Ok;
}

// Temperature target ----------------------------------------------------------------

NvStatus BridgeEntries::gpuThermalPoliciesGetInfo(NvPhysicalGpuHandle gpu, NvThermalPoliciesInfo *info)
{
    const Target t = target(gpu, NvRecordKind::ThermalPoliciesInfo, info);
    if (!t.ok())
        return t.status;
    NvmlAcousticLimits limits;
    const nvmlReturn_t status = acousticLimits(t, limits);
    if (status != Nvml::Return::Success)
        return mapped(status);
    return deliverRaw(info, BridgeRecords::thermalPoliciesInfo(limits));
}

NvStatus BridgeEntries::gpuThermalPoliciesGetStatus(NvPhysicalGpuHandle gpu, NvThermalPoliciesStatus *status)
{
    const Target t = target(gpu, NvRecordKind::ThermalPoliciesStatus, status);
    if (!t.ok())
        return t.status;
    NvmlAcousticLimits limits;
    const nvmlReturn_t answered = acousticLimits(t, limits);
    if (answered != Nvml::Return::Success)
        return mapped(answered);
    NvThermalPoliciesStatus record = coveredRaw(status);
    const std::size_t size = NvRecordVersions::sizeOf(record.version());
    if (!BridgeRecords::thermalPoliciesStatus(
            limits, RuntimeState::instance().priority(t.busId()), record, size))
        return NvApiStatus::InvalidArgument;
    return deliverRaw(status, record);
}

NvStatus BridgeEntries::gpuThermalPoliciesSetStatus(NvPhysicalGpuHandle gpu, NvThermalPoliciesStatus *status)
{
    const Target t = target(gpu, NvRecordKind::ThermalPoliciesStatus, status);
    if (!t.ok())
        return t.status;
    const NvThermalPoliciesStatus record = coveredRaw(status);
    const auto writes = BridgeRecords::thermalWrites(record, NvRecordVersions::sizeOf(record.version()));
    if (!writes)
        return NvApiStatus::InvalidArgument;
    for (const PolicyWrite &w : *writes) {
        if (w.policyId != BridgeRecords::ThermalPolicyId)
            return NvApiStatus::InvalidArgument;
    }
    NvmlAcousticLimits limits;
    const nvmlReturn_t answered = acousticLimits(t, limits);
    if (answered != Nvml::Return::Success)
        return mapped(answered);
    const PolicyWrite &last = writes->back();
    const std::int32_t wanted
        = std::clamp(NvmlUnits::degreesFromRaw256(last.value), limits.minC, limits.maxC);
    if (wanted != limits.currentC) {
        const nvmlReturn_t set = t.gpu().setAcousticTarget(wanted);
        if (set != Nvml::Return::Success)
            return mapped(set);
    }
    // The priority flag has no NVML counterpart: it is kept, not applied.
    RuntimeState::instance().setPriority(t.busId(), last.priority);
    return NvApiStatus::Ok;
}

// Power ------------------------------------------------------------------------------

NvStatus BridgeEntries::gpuPowerTopologyGetInfo(NvPhysicalGpuHandle gpu, NvPowerTopologyInfo *info)
{
    const Target t = target(gpu, NvRecordKind::PowerTopologyInfo, info);
    if (!t.ok())
        return t.status;
    std::uint32_t usage = 0;
    NvmlPowerLimits limits;
    nvmlReturn_t status = t.gpu().powerUsage(usage);
    if (status == Nvml::Return::Success)
        status = t.gpu().powerLimits(limits);
    if (status != Nvml::Return::Success)
        return mapped(status);
    return deliverRaw(info, BridgeRecords::powerTopologyInfo());
}

NvStatus BridgeEntries::gpuPowerTopologyGetStatus(NvPhysicalGpuHandle gpu, NvPowerTopologyStatus *status)
{
    const Target t = target(gpu, NvRecordKind::PowerTopologyStatus, status);
    if (!t.ok())
        return t.status;
    std::uint32_t usage = 0;
    NvmlPowerLimits limits;
    nvmlReturn_t answered = t.gpu().powerUsage(usage);
    if (answered == Nvml::Return::Success)
        answered = t.gpu().powerLimits(limits);
    if (answered != Nvml::Return::Success)
        return mapped(answered);
    NvPowerTopologyStatus record = coveredRaw(status);
    if (!BridgeRecords::powerTopologyStatus(
            usage, limits.ratedMw, record, NvRecordVersions::sizeOf(record.version())))
        return NvApiStatus::InvalidArgument;
    return deliverRaw(status, record);
}

NvStatus BridgeEntries::gpuPowerPoliciesGetInfo(NvPhysicalGpuHandle gpu, NvPowerPoliciesInfo *info)
{
    const Target t = target(gpu, NvRecordKind::PowerPoliciesInfo, info);
    if (!t.ok())
        return t.status;
    NvmlPowerLimits limits;
    const nvmlReturn_t status = t.gpu().powerLimits(limits);
    if (status != Nvml::Return::Success)
        return mapped(status);
    return deliverRaw(info, BridgeRecords::powerPoliciesInfo(limits));
}

NvStatus BridgeEntries::gpuPowerPoliciesGetStatus(NvPhysicalGpuHandle gpu, NvPowerPoliciesStatus *status)
{
    const Target t = target(gpu, NvRecordKind::PowerPoliciesStatus, status);
    if (!t.ok())
        return t.status;
    NvmlPowerLimits limits;
    const nvmlReturn_t answered = t.gpu().powerLimits(limits);
    if (answered != Nvml::Return::Success)
        return mapped(answered);
    NvPowerPoliciesStatus record = coveredRaw(status);
    if (!BridgeRecords::powerPoliciesStatus(limits, record, NvRecordVersions::sizeOf(record.version())))
        return NvApiStatus::InvalidArgument;
    return deliverRaw(status, record);
}

NvStatus BridgeEntries::gpuPowerPoliciesSetStatus(NvPhysicalGpuHandle gpu, NvPowerPoliciesStatus *status)
{
    const Target t = target(gpu, NvRecordKind::PowerPoliciesStatus, status);
    if (!t.ok())
        return t.status;
    const NvPowerPoliciesStatus record = coveredRaw(status);
    const auto writes = BridgeRecords::powerWrites(record, NvRecordVersions::sizeOf(record.version()));
    if (!writes)
        return NvApiStatus::InvalidArgument;
    for (const PolicyWrite &w : *writes) {
        if (w.policyId != BridgeRecords::PowerPolicyId)
            return NvApiStatus::InvalidArgument;
    }
    NvmlPowerLimits limits;
    const nvmlReturn_t answered = t.gpu().powerLimits(limits);
    if (answered != Nvml::Return::Success)
        return mapped(answered);
    const std::uint32_t wanted = std::clamp(
        NvmlUnits::milliwattsFromPct1000(static_cast<NvU32>(writes->back().value), limits.ratedMw),
        limits.minMw, limits.maxMw);
    // The limit lasts until the driver reloads; an unchanged one needs no privileges.
    if (wanted == limits.limitMw)
        return NvApiStatus::Ok;
    return mapped(t.gpu().setPowerLimit(wanted));
}

// Fans -------------------------------------------------------------------------------

NvStatus BridgeEntries::gpuSetCoolerLevels(NvPhysicalGpuHandle gpu, NvU32 selector, NvCoolerLevels *levels)
{
    (void)selector;
    const Target t = target(gpu, NvRecordKind::CoolerLevels, levels);
    if (!t.ok())
        return t.status;
    const NvCoolerLevels record = coveredRaw(levels);
    const NvmlGpu nvml = t.gpu();
    NvmlCooler cooler;
    const nvmlReturn_t answered = nvml.cooler(cooler);
    if (answered != Nvml::Return::Success)
        return mapped(answered);
    const unsigned int fans = static_cast<unsigned int>(cooler.fans.size());
    FanHandback &handback = FanHandback::instance();

    if (record.u32(NvCoolerLevels::policy(0)) == BridgeRecords::CoolerPolicyAutomatic) {
        const bool anyManual = handback.isManual(t.device)
            || std::any_of(cooler.fans.begin(), cooler.fans.end(), [](const NvmlFan &f) { return f.manual; });
        // Already automatic: nothing to hand back, and no privileges needed to say so.
        if (!anyManual && NvmlLibrary::instance().symbols().getFanControlPolicy)
            return NvApiStatus::Ok;
        for (unsigned int fan = 0; fan < fans; ++fan) {
            const nvmlReturn_t status = nvml.setFanAutomatic(fan);
            if (status != Nvml::Return::Success)
                return mapped(status);
        }
        handback.automaticSet(t.device);
        return NvApiStatus::Ok;
    }

    const NvS32 requested = record.s32(NvCoolerLevels::level(0));
    const unsigned int level = static_cast<unsigned int>(
        std::clamp<std::int64_t>(requested, cooler.minPercent, cooler.maxPercent));
    for (unsigned int fan = 0; fan < fans; ++fan) {
        const nvmlReturn_t status = nvml.setFanLevel(fan, level);
        if (status != Nvml::Return::Success)
            return mapped(status);
        // Recorded fan by fan: fans already switched must come back even if a later one refuses.
        handback.manualSet(t.device, fan + 1, NvmlLibrary::instance().symbols().setDefaultFanSpeed);
    }
    return NvApiStatus::Ok;
}

// I2C ----------------------------------------------------------------------------------

NvStatus BridgeEntries::i2cRead(NvPhysicalGpuHandle gpu, NvI2cInfo *info)
{
    const Target t = target(gpu);
    return t.ok() ? BridgeI2c::instance().transfer(t.index, info, false, nullptr) : t.status;
}

NvStatus BridgeEntries::i2cWrite(NvPhysicalGpuHandle gpu, NvI2cInfo *info)
{
    const Target t = target(gpu);
    return t.ok() ? BridgeI2c::instance().transfer(t.index, info, true, nullptr) : t.status;
}

NvStatus BridgeEntries::i2cReadEx(NvPhysicalGpuHandle gpu, NvI2cInfo *info, NvU32 *outPair)
{
    const Target t = target(gpu);
    return t.ok() ? BridgeI2c::instance().transfer(t.index, info, false, outPair) : t.status;
}

NvStatus BridgeEntries::i2cWriteEx(NvPhysicalGpuHandle gpu, NvI2cInfo *info, NvU32 *outPair)
{
    const Target t = target(gpu);
    return t.ok() ? BridgeI2c::instance().transfer(t.index, info, true, outPair) : t.status;
}
