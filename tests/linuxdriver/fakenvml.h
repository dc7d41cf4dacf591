#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

/// One GPU of the fake NVML: its texts and every number by name, so that a
/// test (or a setup file, for another process) can change any of them. A
/// number of -1 makes the call that reports it answer "not supported".
struct FakeNvmlGpu
{
    std::string name;
    std::string vbios;
    std::map<std::string, long long> values;

    long long value(const std::string &key) const;
};

/// A stand-in for NVIDIA's management library: a shared object exporting the
/// real NVML names with the real C ABI, built in two variants ("R550", what
/// Debian ships, without the newer calls; "current", with all of them). Its
/// control interface sets values per GPU, makes any function answer any NVML
/// status, counts calls and keeps the last values set. Another process is
/// steered by a setup file (FAKE_NVML_SETUP) and leaves its writes in a log
/// (FAKE_NVML_LOG), one line per set call.
class __attribute__((visibility("default"))) FakeNvml
{
public:
    static FakeNvml &instance();

    /// `gpus` GPUs of the maker with the default values, no failures, no calls.
    void reset(int gpus = 1);
    /// Applies a setup text (the format of FAKE_NVML_SETUP).
    bool applySetup(const std::string &text);
    void setGpuCount(int gpus);
    void setValue(int gpu, const std::string &key, long long value);
    void setName(int gpu, const std::string &name);
    long long value(int gpu, const std::string &key) const;
    void setDriverVersion(const std::string &version);
    /// Every call of `function` answers `status` (0 clears it).
    void failCall(const std::string &function, unsigned int status);
    /// Every call that changes the card answers `status` (NO_PERMISSION, 4, is a user without root).
    void failWrites(unsigned int status);
    int calls(const std::string &function) const;
    int totalCalls() const;
    void clearCalls();
    bool initialized() const;
    /// The set calls in order, as logged ("nvmlDeviceSetFanSpeed_v2 0 1 40").
    std::vector<std::string> writes() const;
    /// Whether this is the variant without the newer calls.
    static bool isR550();

    // For the exported functions.
    std::mutex &lock() const { return m_lock; }
    unsigned int enter(const char *function, bool needsInit = true);
    FakeNvmlGpu *gpuOf(void *device);
    void *deviceOf(int gpu);
    int indexOf(const FakeNvmlGpu *gpu) const;
    int gpuCount() const { return m_count; }
    void logWrite(const std::string &line);
    int m_inits = 0;
    std::string m_driverVersion;

private:
    FakeNvml();

    mutable std::mutex m_lock;
    FakeNvmlGpu m_gpus[8];
    int m_count = 0;
    std::map<std::string, unsigned int> m_failures;
    std::map<std::string, int> m_calls;
    std::vector<std::string> m_writes;
};
