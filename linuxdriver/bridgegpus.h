#pragma once

#include "bridgerecords.h"
#include "nvapitypes.h"
#include "nvmllibrary.h"

#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

/// The GPUs NVML lists, in NVML's order, and the handles the program gets for
/// them. A handle is the address of the GPU's slot here, so that a handle the
/// program passes back is checked before anything reaches NVML.
class BridgeGpus
{
public:
    static BridgeGpus &instance();

    BridgeGpus(const BridgeGpus &) = delete;
    BridgeGpus &operator=(const BridgeGpus &) = delete;

    /// Lists the GPUs again (display-less ones and other makers' included).
    nvmlReturn_t enumerate(const NvmlSymbols &nvml);
    void clear();
    int count() const;
    NvPhysicalGpuHandle handle(int index) const;
    /// The index of a handle this bridge gave out, or -1.
    int indexOf(NvPhysicalGpuHandle handle) const;
    nvmlDevice_t device(int index) const;
    /// "0000:01:00.0", the form sysfs and the per-boot state use; empty when unknown.
    std::string busId(int index) const;
    /// NVML's PCI device id (device << 16 | vendor) and subsystem id; 0 when unknown.
    void pciIds(int index, NvU32 &deviceId, NvU32 &subsystemId) const;

    /// What a sampling cycle would otherwise ask NVML for twice (the program
    /// reads the P-state table and the base clocks twice a cycle for its fixed
    /// information): the base and boost clocks, which do not change while the
    /// driver runs, and each clock domain's offset state for a short while.
    /// Any write through the bridge forgets the offset state at once.
    std::optional<NvmlClockSet> cachedClocks(int index, int kind) const;
    void cacheClocks(int index, int kind, const NvmlClockSet &clocks);
    std::optional<NvmlClockDomain> cachedDomain(int index, unsigned int clockType) const;
    void cacheDomain(int index, unsigned int clockType, const NvmlClockDomain &domain);
    void forgetDomains(int index);
    /// How long an offset state is reused: far below the shortest sampling interval.
    static constexpr std::chrono::milliseconds DomainLifetime { 250 };

    /// The sysfs form of NVML's PCI location.
    static std::string sysfsBusId(const nvmlPciInfo_t &info);
    /// The PCI revision from sysfs (LUMETRA_LINUX_SYSFS_ROOT stands for /sys in tests); 0 when unreadable.
    static NvU32 revision(const std::string &busId);

private:
    BridgeGpus() = default;

    struct CachedDomain
    {
        NvmlClockDomain domain;
        std::chrono::steady_clock::time_point read;
    };

    struct Gpu
    {
        nvmlDevice_t device = nullptr;
        std::string busId;
        NvU32 deviceId = 0;
        NvU32 subsystemId = 0;
        std::optional<NvmlClockSet> clocks[3]; ///< current (never cached), base, boost
        std::optional<CachedDomain> domains[2]; ///< graphics, memory
    };

    Gpu *gpuLocked(int index);
    const Gpu *gpuLocked(int index) const;

    mutable std::mutex m_lock;
    std::vector<Gpu> m_gpus;
    char m_tokens[NvApiLimits::MaxPhysicalGpus] = {};
};
