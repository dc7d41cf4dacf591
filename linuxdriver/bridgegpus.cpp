#include "bridgegpus.h"

#include "nvmlgpu.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

BridgeGpus &BridgeGpus::instance()
{
    static BridgeGpus gpus;
    return gpus;
}

nvmlReturn_t BridgeGpus::enumerate(const NvmlSymbols &nvml)
{
    unsigned int count = 0;
    const nvmlReturn_t status = nvml.getCount(&count);
    std::vector<Gpu> found;
    if (status == Nvml::Return::Success) {
        for (unsigned int i = 0; i < count && found.size() < std::size(m_tokens); ++i) {
            Gpu gpu;
            // A GPU NVML cannot open (lost, or its device node is not ours)
            // is left out rather than listed without a handle.
            if (nvml.getHandleByIndex(i, &gpu.device) != Nvml::Return::Success || !gpu.device)
                continue;
            nvmlPciInfo_t pci {};
            if (NvmlGpu(nvml, gpu.device).pciInfo(pci) == Nvml::Return::Success) {
                gpu.busId = sysfsBusId(pci);
                gpu.deviceId = pci.pciDeviceId;
                gpu.subsystemId = pci.pciSubSystemId;
            }
            found.push_back(gpu);
        }
    }
    std::lock_guard<std::mutex> locker(m_lock);
    // A GPU listed again keeps what was learnt of it; the cache never outlives its device.
    for (Gpu &gpu : found) {
        for (const Gpu &known : m_gpus) {
            if (known.device == gpu.device && known.busId == gpu.busId)
                gpu = known;
        }
    }
    m_gpus = found;
    return status;
}

void BridgeGpus::clear()
{
    std::lock_guard<std::mutex> locker(m_lock);
    m_gpus.clear();
}

int BridgeGpus::count() const
{
    std::lock_guard<std::mutex> locker(m_lock);
    return static_cast<int>(m_gpus.size());
}

NvPhysicalGpuHandle BridgeGpus::handle(int index) const
{
    // The handle is an address inside this object, never dereferenced as a GPU.
    return reinterpret_cast<NvPhysicalGpuHandle>(const_cast<char *>(&m_tokens[index]));
}

int BridgeGpus::indexOf(NvPhysicalGpuHandle handle) const
{
    const char *token = reinterpret_cast<const char *>(handle);
    std::lock_guard<std::mutex> locker(m_lock);
    for (std::size_t i = 0; i < m_gpus.size(); ++i) {
        if (token == &m_tokens[i])
            return static_cast<int>(i);
    }
    return -1;
}

nvmlDevice_t BridgeGpus::device(int index) const
{
    std::lock_guard<std::mutex> locker(m_lock);
    return index >= 0 && index < static_cast<int>(m_gpus.size()) ? m_gpus[std::size_t(index)].device
                                                                 : nullptr;
}

std::string BridgeGpus::busId(int index) const
{
    std::lock_guard<std::mutex> locker(m_lock);
    return index >= 0 && index < static_cast<int>(m_gpus.size()) ? m_gpus[std::size_t(index)].busId
                                                                 : std::string();
}

void BridgeGpus::pciIds(int index, NvU32 &deviceId, NvU32 &subsystemId) const
{
    std::lock_guard<std::mutex> locker(m_lock);
    const Gpu *gpu = gpuLocked(index);
    deviceId = gpu ? gpu->deviceId : 0;
    subsystemId = gpu ? gpu->subsystemId : 0;
}

BridgeGpus::Gpu *BridgeGpus::gpuLocked(int index)
{
    return index >= 0 && index < static_cast<int>(m_gpus.size()) ? &m_gpus[std::size_t(index)] : nullptr;
}

const BridgeGpus::Gpu *BridgeGpus::gpuLocked(int index) const
{
    return index >= 0 && index < static_cast<int>(m_gpus.size()) ? &m_gpus[std::size_t(index)] : nullptr;
}

namespace {
int domainSlot(unsigned int clockType)
{
    return clockType == Nvml::Clock::Graphics ? 0 : clockType == Nvml::Clock::Memory ? 1 : -1;
}
} // namespace

std::optional<NvmlClockSet> BridgeGpus::cachedClocks(int index, int kind) const
{
    std::lock_guard<std::mutex> locker(m_lock);
    const Gpu *gpu = gpuLocked(index);
    return gpu && kind > 0 && kind < 3 ? gpu->clocks[kind] : std::nullopt;
}

void BridgeGpus::cacheClocks(int index, int kind, const NvmlClockSet &clocks)
{
    std::lock_guard<std::mutex> locker(m_lock);
    if (Gpu *gpu = gpuLocked(index); gpu && kind > 0 && kind < 3)
        gpu->clocks[kind] = clocks;
}

std::optional<NvmlClockDomain> BridgeGpus::cachedDomain(int index, unsigned int clockType) const
{
    std::lock_guard<std::mutex> locker(m_lock);
    const Gpu *gpu = gpuLocked(index);
    const int slot = domainSlot(clockType);
    if (!gpu || slot < 0 || !gpu->domains[slot])
        return std::nullopt;
    if (std::chrono::steady_clock::now() - gpu->domains[slot]->read > DomainLifetime)
        return std::nullopt;
    return gpu->domains[slot]->domain;
}

void BridgeGpus::cacheDomain(int index, unsigned int clockType, const NvmlClockDomain &domain)
{
    std::lock_guard<std::mutex> locker(m_lock);
    const int slot = domainSlot(clockType);
    if (Gpu *gpu = gpuLocked(index); gpu && slot >= 0)
        gpu->domains[slot] = CachedDomain { domain, std::chrono::steady_clock::now() };
}

void BridgeGpus::forgetDomains(int index)
{
    std::lock_guard<std::mutex> locker(m_lock);
    if (Gpu *gpu = gpuLocked(index)) {
        gpu->domains[0].reset();
        gpu->domains[1].reset();
    }
}

std::string BridgeGpus::sysfsBusId(const nvmlPciInfo_t &info)
{
    char text[32] = {};
    std::snprintf(
        text, sizeof text, "%04x:%02x:%02x.0", info.domain & 0xFFFFu, info.bus & 0xFFu, info.device & 0x1Fu);
    return text;
}

NvU32 BridgeGpus::revision(const std::string &busId)
{
    if (busId.empty() || busId.find('/') != std::string::npos || busId.find("..") != std::string::npos)
        return 0;
    const char *root = std::getenv("LUMETRA_LINUX_SYSFS_ROOT");
    const std::string base = root && root[0] == '/' ? root : "/sys";
    std::ifstream file(base + "/bus/pci/devices/" + busId + "/revision");
    std::string text;
    if (!(file >> text))
        return 0;
    char *end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, 0);
    return end && *end == '\0' && value <= 0xFF ? static_cast<NvU32>(value) : 0;
}
