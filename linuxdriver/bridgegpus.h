#pragma once

#include "nvapitypes.h"
#include "nvmllibrary.h"

#include <mutex>
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

    /// The sysfs form of NVML's PCI location.
    static std::string sysfsBusId(const nvmlPciInfo_t &info);
    /// The PCI revision from sysfs (LUMETRA_LINUX_SYSFS_ROOT stands for /sys in tests); 0 when unreadable.
    static NvU32 revision(const std::string &busId);

private:
    BridgeGpus() = default;

    struct Gpu
    {
        nvmlDevice_t device = nullptr;
        std::string busId;
    };

    mutable std::mutex m_lock;
    std::vector<Gpu> m_gpus;
    char m_tokens[NvApiLimits::MaxPhysicalGpus] = {};
};
