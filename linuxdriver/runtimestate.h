#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

/// What the bridge must remember about a GPU for as long as the machine runs
/// and no longer: the acoustic temperature target the card had when first
/// seen (NVML has no "default" for it), the last clock offsets set (some
/// drivers read back 0 after a successful set) and the priority flag NVML has
/// no place for. Kept per PCI bus id in memory and in a per-boot folder
/// ($XDG_RUNTIME_DIR/lumetra, or /run/lumetra for root), which a reboot
/// empties just as it resets the card.
class RuntimeState
{
public:
    static RuntimeState &instance();

    RuntimeState(const RuntimeState &) = delete;
    RuntimeState &operator=(const RuntimeState &) = delete;

    /// The target first seen for the GPU in this boot; records `currentC` when there is none.
    std::int32_t acousticDefault(const std::string &busId, std::int32_t currentC);
    std::optional<std::int32_t> lastOffset(const std::string &busId, unsigned int clockType);
    void rememberOffset(const std::string &busId, unsigned int clockType, std::int32_t offsetMhz);
    void forgetOffset(const std::string &busId, unsigned int clockType);
    bool priority(const std::string &busId);
    void setPriority(const std::string &busId, bool priority);

    /// The per-boot folder, or empty when there is none that is safe to use.
    static std::string folder();
    /// Forgets the memory (not the files): the next read loads them again.
    void clearMemory();

private:
    RuntimeState() = default;
    using Values = std::map<std::string, std::int64_t>;

    Values &loadedLocked(const std::string &busId);
    void saveLocked(const std::string &busId);

    std::mutex m_lock;
    std::map<std::string, Values> m_gpus;
};
