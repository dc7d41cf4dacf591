#include "fakenvml.h"

#include "nvmlapi.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

// NVML's version words on x86-64 (nvml.h's NVML_STRUCT_VERSION), written out
// here rather than taken from the bridge's header: a word the bridge gets
// wrong must fail against the fake as it would against NVIDIA's library.
constexpr unsigned int MemoryV2Word = 0x02000028;
constexpr unsigned int ClockOffsetV1Word = 0x01000018;
constexpr unsigned int FanSpeedInfoV1Word = 0x0100000C;
constexpr unsigned int TemperatureV1Word = 0x0100000C;
constexpr unsigned int PowerValueV2Word = 0x0200000C;
constexpr unsigned int DriverBranchV1Word = 0x01000054;

/// The maker's card the fake starts with; every number the exported functions report.
const std::map<std::string, long long> &defaults()
{
    static const std::map<std::string, long long> values = {
        { "pciDeviceId", 0x278610DE },
        { "pciSubSystemId", 0x31611D17 },
        { "domain", 0 },
        { "device", 0 },
        { "revision", 0xA1 },
        { "memTotal", 12884901888LL },
        { "memReserved", 362348544LL },
        { "memUsed", 1073741824LL },
        { "busWidth", 192 },
        { "clockGraphics", 2475 },
        { "clockMemory", 10501 },
        { "clockSm", 2475 },
        { "clockVideo", 1965 },
        { "maxGraphics", 3105 },
        { "maxMemory", 10501 },
        { "maxSm", 3105 },
        { "maxVideo", 2160 },
        { "appGraphics", -1 },
        { "appMemory", -1 },
        { "appSm", -1 },
        { "appVideo", -1 },
        { "boostGraphics", -1 },
        { "boostMemory", -1 },
        { "boostSm", -1 },
        { "boostVideo", -1 },
        { "p0MinGraphics", 210 },
        { "p0MaxGraphics", 3105 },
        { "p0MinMemory", 405 },
        { "p0MaxMemory", 10501 },
        { "gpcOffset", 0 },
        { "gpcMin", -1000 },
        { "gpcMax", 1000 },
        { "memOffset", 0 },
        { "memMin", -2000 },
        { "memMax", 6000 },
        { "offsetsSupported", 1 },
        { "readBackZero", 0 },
        { "utilGpu", 37 },
        { "utilMemory", 21 },
        { "utilEncoder", 5 },
        { "utilDecoder", 12 },
        { "temperature", 55 },
        { "thrShutdown", 98 },
        { "thrSlowdown", 95 },
        { "thrMemMax", -1 },
        { "thrGpuMax", 90 },
        { "thrAcousticMin", 65 },
        { "thrAcousticCurrent", 83 },
        { "thrAcousticMax", 90 },
        { "powerUsage", 123456 },
        { "powerDefault", 200000 },
        { "powerLimit", 200000 },
        { "powerMin", 100000 },
        { "powerMax", 220000 },
        { "fans", 2 },
        { "fanMin", 30 },
        { "fanMax", 100 },
        { "fanSpeed0", 45 },
        { "fanSpeed1", 45 },
        { "fanPolicy0", 0 },
        { "fanPolicy1", 0 },
        { "fanRpm", 1480 },
    };
    return values;
}

const char *const ClockNames[] = { "Graphics", "Sm", "Memory", "Video" };

std::string clockKey(const char *prefix, unsigned int type)
{
    return type < 4 ? std::string(prefix) + ClockNames[type] : std::string();
}

const char *const ThresholdNames[] = { "thrShutdown", "thrSlowdown", "thrMemMax", "thrGpuMax",
    "thrAcousticMin", "thrAcousticCurrent", "thrAcousticMax" };

/// One exported call: holds the fake's lock, counts the call, and decides the
/// injected or "not initialised" status before the call does its work.
class Call
{
public:
    explicit Call(const char *function, void *device = nullptr, bool needsDevice = false)
        : m_fake(FakeNvml::instance())
        , m_lock(m_fake.lock())
    {
        m_status = m_fake.enter(function);
        if (m_status == Nvml::Return::Success && needsDevice) {
            m_gpu = m_fake.gpuOf(device);
            if (!m_gpu)
                m_status = Nvml::Return::InvalidArgument;
        }
    }
    bool ok() const { return m_status == Nvml::Return::Success; }
    unsigned int status() const { return m_status; }
    FakeNvmlGpu &gpu() { return *m_gpu; }
    long long get(const std::string &key) const { return m_gpu->value(key); }
    void set(const std::string &key, long long value) { m_gpu->values[key] = value; }
    int index() const { return m_fake.indexOf(m_gpu); }
    void log(const std::string &line) { m_fake.logWrite(line); }

private:
    FakeNvml &m_fake;
    std::unique_lock<std::mutex> m_lock;
    unsigned int m_status = Nvml::Return::Success;
    FakeNvmlGpu *m_gpu = nullptr;
};

unsigned int copyText(const std::string &text, char *out, unsigned int length)
{
    if (!out)
        return Nvml::Return::InvalidArgument;
    if (length < text.size() + 1)
        return Nvml::Return::InsufficientSize;
    std::memcpy(out, text.c_str(), text.size() + 1);
    return Nvml::Return::Success;
}

unsigned int reportValue(Call &call, const std::string &key, unsigned int *out)
{
    if (!call.ok())
        return call.status();
    if (!out || key.empty())
        return Nvml::Return::InvalidArgument;
    const long long value = call.get(key);
    if (value < 0)
        return Nvml::Return::NotSupported;
    *out = static_cast<unsigned int>(value);
    return Nvml::Return::Success;
}

} // namespace

long long FakeNvmlGpu::value(const std::string &key) const
{
    const auto found = values.find(key);
    return found == values.end() ? -1 : found->second;
}

FakeNvml &FakeNvml::instance()
{
    static FakeNvml fake;
    return fake;
}

FakeNvml::FakeNvml()
{
    reset(1);
    // Another process is steered by a file the test wrote.
    if (const char *setup = std::getenv("FAKE_NVML_SETUP")) {
        std::ifstream file(setup);
        std::stringstream text;
        text << file.rdbuf();
        applySetup(text.str());
    }
}

bool FakeNvml::isR550()
{
#ifdef FAKE_NVML_R550
    return true;
#else
    return false;
#endif
}

void FakeNvml::reset(int gpus)
{
    std::lock_guard<std::mutex> locker(m_lock);
    m_count = std::clamp(gpus, 0, 8);
    for (int i = 0; i < 8; ++i) {
        m_gpus[i].name = "NVIDIA GeForce RTX 4070";
        m_gpus[i].vbios = "95.04.31.00.3d";
        m_gpus[i].values = defaults();
        m_gpus[i].values["bus"] = i + 1;
    }
    m_failures.clear();
    m_calls.clear();
    m_writes.clear();
    m_driverVersion = "550.163.01";
}

bool FakeNvml::applySetup(const std::string &text)
{
    std::istringstream lines(text);
    std::string line;
    bool ok = true;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string kind;
        if (!(words >> kind) || kind[0] == '#')
            continue;
        if (kind == "gpus") {
            int count = 0;
            words >> count;
            setGpuCount(count);
        } else if (kind == "driver") {
            std::string version;
            words >> version;
            setDriverVersion(version);
        } else if (kind == "fail") {
            std::string function;
            unsigned int status = 0;
            words >> function >> status;
            failCall(function, status);
        } else if (kind == "name") {
            int gpu = 0;
            words >> gpu >> std::ws;
            std::string name;
            std::getline(words, name);
            setName(gpu, name);
        } else if (kind == "set") {
            int gpu = 0;
            std::string key, number;
            words >> gpu >> key >> number;
            setValue(gpu, key, std::stoll(number, nullptr, 0));
        } else {
            ok = false;
        }
    }
    return ok;
}

void FakeNvml::setGpuCount(int gpus)
{
    std::lock_guard<std::mutex> locker(m_lock);
    m_count = std::clamp(gpus, 0, 8);
}

void FakeNvml::setValue(int gpu, const std::string &key, long long value)
{
    std::lock_guard<std::mutex> locker(m_lock);
    m_gpus[std::clamp(gpu, 0, 7)].values[key] = value;
}

void FakeNvml::setName(int gpu, const std::string &name)
{
    std::lock_guard<std::mutex> locker(m_lock);
    m_gpus[std::clamp(gpu, 0, 7)].name = name;
}

long long FakeNvml::value(int gpu, const std::string &key) const
{
    std::lock_guard<std::mutex> locker(m_lock);
    return m_gpus[std::clamp(gpu, 0, 7)].value(key);
}

void FakeNvml::setDriverVersion(const std::string &version)
{
    std::lock_guard<std::mutex> locker(m_lock);
    m_driverVersion = version;
}

void FakeNvml::failCall(const std::string &function, unsigned int status)
{
    std::lock_guard<std::mutex> locker(m_lock);
    if (status == 0)
        m_failures.erase(function);
    else
        m_failures[function] = status;
}

void FakeNvml::failWrites(unsigned int status)
{
    for (const char *setter : { "nvmlDeviceSetClockOffsets", "nvmlDeviceSetGpcClkVfOffset",
             "nvmlDeviceSetMemClkVfOffset", "nvmlDeviceSetPowerManagementLimit_v2",
             "nvmlDeviceSetPowerManagementLimit", "nvmlDeviceSetTemperatureThreshold",
             "nvmlDeviceSetFanSpeed_v2", "nvmlDeviceSetDefaultFanSpeed_v2" })
        failCall(setter, status);
}

int FakeNvml::calls(const std::string &function) const
{
    std::lock_guard<std::mutex> locker(m_lock);
    const auto found = m_calls.find(function);
    return found == m_calls.end() ? 0 : found->second;
}

int FakeNvml::totalCalls() const
{
    std::lock_guard<std::mutex> locker(m_lock);
    int total = 0;
    for (const auto &entry : m_calls)
        total += entry.second;
    return total;
}

void FakeNvml::clearCalls()
{
    std::lock_guard<std::mutex> locker(m_lock);
    m_calls.clear();
    m_writes.clear();
}

bool FakeNvml::initialized() const
{
    std::lock_guard<std::mutex> locker(m_lock);
    return m_inits > 0;
}

std::vector<std::string> FakeNvml::writes() const
{
    std::lock_guard<std::mutex> locker(m_lock);
    return m_writes;
}

unsigned int FakeNvml::enter(const char *function, bool needsInit)
{
    ++m_calls[function];
    const auto failure = m_failures.find(function);
    if (failure != m_failures.end())
        return failure->second;
    if (needsInit && m_inits == 0)
        return Nvml::Return::Uninitialized;
    return Nvml::Return::Success;
}

FakeNvmlGpu *FakeNvml::gpuOf(void *device)
{
    for (int i = 0; i < m_count; ++i) {
        if (device == &m_gpus[i])
            return &m_gpus[i];
    }
    return nullptr;
}

void *FakeNvml::deviceOf(int gpu)
{
    return &m_gpus[gpu];
}

int FakeNvml::indexOf(const FakeNvmlGpu *gpu) const
{
    return static_cast<int>(gpu - m_gpus);
}

void FakeNvml::logWrite(const std::string &line)
{
    m_writes.push_back(line);
    // Flushed line by line, so a process that dies still leaves what it did.
    if (const char *path = std::getenv("FAKE_NVML_LOG")) {
        if (FILE *file = std::fopen(path, "a")) {
            std::fprintf(file, "%s\n", line.c_str());
            std::fclose(file);
        }
    }
}

// The exported NVML functions -----------------------------------------------------------

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

FAKE_EXPORT nvmlReturn_t nvmlInit_v2()
{
    FakeNvml &fake = FakeNvml::instance();
    std::lock_guard<std::mutex> locker(fake.lock());
    const unsigned int status = fake.enter("nvmlInit_v2", false);
    if (status == Nvml::Return::Success)
        ++fake.m_inits;
    return status;
}

FAKE_EXPORT nvmlReturn_t nvmlShutdown()
{
    Call call("nvmlShutdown");
    if (call.ok())
        --FakeNvml::instance().m_inits;
    return call.status();
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceGetCount_v2(unsigned int *count)
{
    Call call("nvmlDeviceGetCount_v2");
    if (call.ok() && count)
        *count = static_cast<unsigned int>(FakeNvml::instance().gpuCount());
    return call.ok() && !count ? Nvml::Return::InvalidArgument : call.status();
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceGetHandleByIndex_v2(unsigned int index, nvmlDevice_t *device)
{
    Call call("nvmlDeviceGetHandleByIndex_v2");
    if (!call.ok())
        return call.status();
    if (!device || index >= static_cast<unsigned int>(FakeNvml::instance().gpuCount()))
        return Nvml::Return::InvalidArgument;
    *device = static_cast<nvmlDevice_t>(FakeNvml::instance().deviceOf(static_cast<int>(index)));
    return Nvml::Return::Success;
}

FAKE_EXPORT nvmlReturn_t nvmlSystemGetDriverVersion(char *version, unsigned int length)
{
    Call call("nvmlSystemGetDriverVersion");
    return call.ok() ? copyText(FakeNvml::instance().m_driverVersion, version, length) : call.status();
}

#ifndef FAKE_NVML_R550
FAKE_EXPORT nvmlReturn_t nvmlSystemGetDriverBranch(nvmlSystemDriverBranchInfo_v1_t *info, unsigned int length)
{
    Call call("nvmlSystemGetDriverBranch");
    if (!call.ok())
        return call.status();
    if (!info || info->version != DriverBranchV1Word)
        return Nvml::Return::ArgumentVersionMismatch;
    const std::string version = FakeNvml::instance().m_driverVersion;
    return copyText("r" + version.substr(0, version.find('.')) + "_00", info->branch, length);
}
#endif

FAKE_EXPORT nvmlReturn_t nvmlDeviceGetName(nvmlDevice_t device, char *name, unsigned int length)
{
    Call call("nvmlDeviceGetName", device, true);
    return call.ok() ? copyText(call.gpu().name, name, length) : call.status();
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceGetVbiosVersion(nvmlDevice_t device, char *version, unsigned int length)
{
    Call call("nvmlDeviceGetVbiosVersion", device, true);
    return call.ok() ? copyText(call.gpu().vbios, version, length) : call.status();
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceGetPciInfo_v3(nvmlDevice_t device, nvmlPciInfo_t *pci)
{
    Call call("nvmlDeviceGetPciInfo_v3", device, true);
    if (!call.ok())
        return call.status();
    if (!pci)
        return Nvml::Return::InvalidArgument;
    *pci = nvmlPciInfo_t();
    pci->domain = static_cast<unsigned int>(call.get("domain"));
    pci->bus = static_cast<unsigned int>(call.get("bus"));
    pci->device = static_cast<unsigned int>(call.get("device"));
    pci->pciDeviceId = static_cast<unsigned int>(call.get("pciDeviceId"));
    pci->pciSubSystemId = static_cast<unsigned int>(call.get("pciSubSystemId"));
    std::snprintf(pci->busId, sizeof pci->busId, "%08X:%02X:%02X.0", pci->domain, pci->bus, pci->device);
    std::snprintf(
        pci->busIdLegacy, sizeof pci->busIdLegacy, "%04X:%02X:%02X.0", pci->domain, pci->bus, pci->device);
    return Nvml::Return::Success;
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceGetMemoryBusWidth(nvmlDevice_t device, unsigned int *bits)
{
    Call call("nvmlDeviceGetMemoryBusWidth", device, true);
    return reportValue(call, "busWidth", bits);
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceGetMemoryInfo(nvmlDevice_t device, nvmlMemory_t *memory)
{
    Call call("nvmlDeviceGetMemoryInfo", device, true);
    if (!call.ok())
        return call.status();
    if (!memory)
        return Nvml::Return::InvalidArgument;
    // Before version 2, NVML counted the reserved memory as used.
    const auto total = static_cast<unsigned long long>(call.get("memTotal"));
    const auto used = static_cast<unsigned long long>(call.get("memUsed") + call.get("memReserved"));
    *memory = { total, total - used, used };
    return Nvml::Return::Success;
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceGetMemoryInfo_v2(nvmlDevice_t device, nvmlMemory_v2_t *memory)
{
    Call call("nvmlDeviceGetMemoryInfo_v2", device, true);
    if (!call.ok())
        return call.status();
    if (!memory)
        return Nvml::Return::InvalidArgument;
    if (memory->version != MemoryV2Word)
        return Nvml::Return::ArgumentVersionMismatch;
    const auto total = static_cast<unsigned long long>(call.get("memTotal"));
    const auto reserved = static_cast<unsigned long long>(call.get("memReserved"));
    const auto used = static_cast<unsigned long long>(call.get("memUsed"));
    memory->total = total;
    memory->reserved = reserved;
    memory->used = used;
    memory->free = total - reserved - used;
    return Nvml::Return::Success;
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceGetClockInfo(nvmlDevice_t device, unsigned int type, unsigned int *mhz)
{
    Call call("nvmlDeviceGetClockInfo", device, true);
    return reportValue(call, clockKey("clock", type), mhz);
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceGetMaxClockInfo(nvmlDevice_t device, unsigned int type, unsigned int *mhz)
{
    Call call("nvmlDeviceGetMaxClockInfo", device, true);
    return reportValue(call, clockKey("max", type), mhz);
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceGetDefaultApplicationsClock(
    nvmlDevice_t device, unsigned int type, unsigned int *mhz)
{
    Call call("nvmlDeviceGetDefaultApplicationsClock", device, true);
    return reportValue(call, clockKey("app", type), mhz);
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceGetMaxCustomerBoostClock(
    nvmlDevice_t device, unsigned int type, unsigned int *mhz)
{
    Call call("nvmlDeviceGetMaxCustomerBoostClock", device, true);
    return reportValue(call, clockKey("boost", type), mhz);
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceGetMinMaxClockOfPState(
    nvmlDevice_t device, unsigned int type, unsigned int pstate, unsigned int *minMhz, unsigned int *maxMhz)
{
    Call call("nvmlDeviceGetMinMaxClockOfPState", device, true);
    if (!call.ok())
        return call.status();
    if (pstate != 0 || (type != Nvml::Clock::Graphics && type != Nvml::Clock::Memory))
        return Nvml::Return::NotSupported;
    const std::string domain = type == Nvml::Clock::Graphics ? "Graphics" : "Memory";
    const unsigned int low = reportValue(call, "p0Min" + domain, minMhz);
    return low == Nvml::Return::Success ? reportValue(call, "p0Max" + domain, maxMhz) : low;
}

namespace {
// Offsets read and written in NVML's unit; a card with the read-back quirk answers 0 after a set.
unsigned int readOffset(Call &call, bool graphics, int *value, int *low, int *high)
{
    if (!call.ok())
        return call.status();
    if (call.get("offsetsSupported") <= 0)
        return Nvml::Return::NotSupported;
    const std::string prefix = graphics ? "gpc" : "mem";
    if (value)
        *value = call.get("readBackZero") > 0 ? 0 : static_cast<int>(call.get(prefix + "Offset"));
    if (low)
        *low = static_cast<int>(call.get(prefix + "Min"));
    if (high)
        *high = static_cast<int>(call.get(prefix + "Max"));
    return Nvml::Return::Success;
}

unsigned int writeOffset(Call &call, const char *function, bool graphics, int value)
{
    if (!call.ok())
        return call.status();
    if (call.get("offsetsSupported") <= 0)
        return Nvml::Return::NotSupported;
    const std::string prefix = graphics ? "gpc" : "mem";
    if (value < call.get(prefix + "Min") || value > call.get(prefix + "Max"))
        return Nvml::Return::InvalidArgument;
    call.set(prefix + "Offset", value);
    call.log(std::string(function) + " " + std::to_string(call.index())
        + (graphics ? " graphics " : " memory ") + std::to_string(value));
    return Nvml::Return::Success;
}
} // namespace

#ifndef FAKE_NVML_R550
FAKE_EXPORT nvmlReturn_t nvmlDeviceGetClockOffsets(nvmlDevice_t device, nvmlClockOffset_v1_t *info)
{
    Call call("nvmlDeviceGetClockOffsets", device, true);
    if (!call.ok())
        return call.status();
    if (!info || info->version != ClockOffsetV1Word)
        return Nvml::Return::ArgumentVersionMismatch;
    if (info->pstate != 0 || (info->type != Nvml::Clock::Graphics && info->type != Nvml::Clock::Memory))
        return Nvml::Return::NotSupported;
    return readOffset(call, info->type == Nvml::Clock::Graphics, &info->clockOffsetMHz,
        &info->minClockOffsetMHz, &info->maxClockOffsetMHz);
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceSetClockOffsets(nvmlDevice_t device, nvmlClockOffset_v1_t *info)
{
    Call call("nvmlDeviceSetClockOffsets", device, true);
    if (!call.ok())
        return call.status();
    if (!info || info->version != ClockOffsetV1Word)
        return Nvml::Return::ArgumentVersionMismatch;
    if (info->pstate != 0 || (info->type != Nvml::Clock::Graphics && info->type != Nvml::Clock::Memory))
        return Nvml::Return::NotSupported;
    return writeOffset(
        call, "nvmlDeviceSetClockOffsets", info->type == Nvml::Clock::Graphics, info->clockOffsetMHz);
}
#endif

FAKE_EXPORT nvmlReturn_t nvmlDeviceGetGpcClkVfOffset(nvmlDevice_t device, int *offset)
{
    Call call("nvmlDeviceGetGpcClkVfOffset", device, true);
    return readOffset(call, true, offset, nullptr, nullptr);
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceGetMemClkVfOffset(nvmlDevice_t device, int *offset)
{
    Call call("nvmlDeviceGetMemClkVfOffset", device, true);
    return readOffset(call, false, offset, nullptr, nullptr);
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceSetGpcClkVfOffset(nvmlDevice_t device, int offset)
{
    Call call("nvmlDeviceSetGpcClkVfOffset", device, true);
    return writeOffset(call, "nvmlDeviceSetGpcClkVfOffset", true, offset);
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceSetMemClkVfOffset(nvmlDevice_t device, int offset)
{
    Call call("nvmlDeviceSetMemClkVfOffset", device, true);
    return writeOffset(call, "nvmlDeviceSetMemClkVfOffset", false, offset);
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceGetGpcClkMinMaxVfOffset(nvmlDevice_t device, int *low, int *high)
{
    Call call("nvmlDeviceGetGpcClkMinMaxVfOffset", device, true);
    return readOffset(call, true, nullptr, low, high);
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceGetMemClkMinMaxVfOffset(nvmlDevice_t device, int *low, int *high)
{
    Call call("nvmlDeviceGetMemClkMinMaxVfOffset", device, true);
    return readOffset(call, false, nullptr, low, high);
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceGetUtilizationRates(nvmlDevice_t device, nvmlUtilization_t *rates)
{
    Call call("nvmlDeviceGetUtilizationRates", device, true);
    if (!call.ok())
        return call.status();
    if (!rates)
        return Nvml::Return::InvalidArgument;
    if (call.get("utilGpu") < 0)
        return Nvml::Return::NotSupported;
    rates->gpu = static_cast<unsigned int>(call.get("utilGpu"));
    rates->memory = static_cast<unsigned int>(call.get("utilMemory"));
    return Nvml::Return::Success;
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceGetEncoderUtilization(
    nvmlDevice_t device, unsigned int *percent, unsigned int *us)
{
    Call call("nvmlDeviceGetEncoderUtilization", device, true);
    if (us)
        *us = 1000000;
    return reportValue(call, "utilEncoder", percent);
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceGetDecoderUtilization(
    nvmlDevice_t device, unsigned int *percent, unsigned int *us)
{
    Call call("nvmlDeviceGetDecoderUtilization", device, true);
    if (us)
        *us = 1000000;
    return reportValue(call, "utilDecoder", percent);
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceGetTemperature(
    nvmlDevice_t device, unsigned int sensor, unsigned int *celsius)
{
    Call call("nvmlDeviceGetTemperature", device, true);
    if (call.ok() && sensor != Nvml::TemperatureGpu)
        return Nvml::Return::InvalidArgument;
    return reportValue(call, "temperature", celsius);
}

#ifndef FAKE_NVML_R550
FAKE_EXPORT nvmlReturn_t nvmlDeviceGetTemperatureV(nvmlDevice_t device, nvmlTemperature_v1_t *reading)
{
    Call call("nvmlDeviceGetTemperatureV", device, true);
    if (!call.ok())
        return call.status();
    if (!reading || reading->version != TemperatureV1Word)
        return Nvml::Return::ArgumentVersionMismatch;
    if (reading->sensorType != Nvml::TemperatureGpu)
        return Nvml::Return::InvalidArgument;
    if (call.get("temperature") < 0)
        return Nvml::Return::NotSupported;
    reading->temperature = static_cast<int>(call.get("temperature"));
    return Nvml::Return::Success;
}
#endif

FAKE_EXPORT nvmlReturn_t nvmlDeviceGetTemperatureThreshold(
    nvmlDevice_t device, unsigned int threshold, unsigned int *celsius)
{
    Call call("nvmlDeviceGetTemperatureThreshold", device, true);
    return reportValue(call, threshold < 7 ? ThresholdNames[threshold] : "", celsius);
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceSetTemperatureThreshold(
    nvmlDevice_t device, unsigned int threshold, int *celsius)
{
    Call call("nvmlDeviceSetTemperatureThreshold", device, true);
    if (!call.ok())
        return call.status();
    if (!celsius || threshold != Nvml::Threshold::AcousticCurrent || call.get("thrAcousticCurrent") < 0)
        return Nvml::Return::NotSupported;
    if (*celsius < call.get("thrAcousticMin") || *celsius > call.get("thrAcousticMax"))
        return Nvml::Return::InvalidArgument;
    call.set("thrAcousticCurrent", *celsius);
    call.log(
        "nvmlDeviceSetTemperatureThreshold " + std::to_string(call.index()) + " " + std::to_string(*celsius));
    return Nvml::Return::Success;
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceGetPowerUsage(nvmlDevice_t device, unsigned int *milliwatts)
{
    Call call("nvmlDeviceGetPowerUsage", device, true);
    return reportValue(call, "powerUsage", milliwatts);
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceGetPowerManagementDefaultLimit(
    nvmlDevice_t device, unsigned int *milliwatts)
{
    Call call("nvmlDeviceGetPowerManagementDefaultLimit", device, true);
    return reportValue(call, "powerDefault", milliwatts);
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceGetPowerManagementLimit(nvmlDevice_t device, unsigned int *milliwatts)
{
    Call call("nvmlDeviceGetPowerManagementLimit", device, true);
    return reportValue(call, "powerLimit", milliwatts);
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceGetPowerManagementLimitConstraints(
    nvmlDevice_t device, unsigned int *low, unsigned int *high)
{
    Call call("nvmlDeviceGetPowerManagementLimitConstraints", device, true);
    const unsigned int status = reportValue(call, "powerMin", low);
    return status == Nvml::Return::Success ? reportValue(call, "powerMax", high) : status;
}

namespace {
unsigned int setPower(Call &call, const char *function, unsigned int milliwatts)
{
    if (!call.ok())
        return call.status();
    if (call.get("powerLimit") < 0)
        return Nvml::Return::NotSupported;
    if (milliwatts < call.get("powerMin") || milliwatts > call.get("powerMax"))
        return Nvml::Return::InvalidArgument;
    call.set("powerLimit", milliwatts);
    call.log(std::string(function) + " " + std::to_string(call.index()) + " " + std::to_string(milliwatts));
    return Nvml::Return::Success;
}
} // namespace

FAKE_EXPORT nvmlReturn_t nvmlDeviceSetPowerManagementLimit(nvmlDevice_t device, unsigned int milliwatts)
{
    Call call("nvmlDeviceSetPowerManagementLimit", device, true);
    return setPower(call, "nvmlDeviceSetPowerManagementLimit", milliwatts);
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceSetPowerManagementLimit_v2(nvmlDevice_t device, nvmlPowerValue_v2_t *value)
{
    Call call("nvmlDeviceSetPowerManagementLimit_v2", device, true);
    if (!call.ok())
        return call.status();
    if (!value || value->version != PowerValueV2Word)
        return Nvml::Return::ArgumentVersionMismatch;
    if (value->powerScope != Nvml::PowerScopeGpu)
        return Nvml::Return::InvalidArgument;
    return setPower(call, "nvmlDeviceSetPowerManagementLimit_v2", value->powerValueMw);
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceGetNumFans(nvmlDevice_t device, unsigned int *fans)
{
    Call call("nvmlDeviceGetNumFans", device, true);
    return reportValue(call, "fans", fans);
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceGetMinMaxFanSpeed(
    nvmlDevice_t device, unsigned int *low, unsigned int *high)
{
    Call call("nvmlDeviceGetMinMaxFanSpeed", device, true);
    const unsigned int status = reportValue(call, "fanMin", low);
    return status == Nvml::Return::Success ? reportValue(call, "fanMax", high) : status;
}

namespace {
bool fanExists(Call &call, unsigned int fan)
{
    return static_cast<long long>(fan) < call.get("fans");
}
} // namespace

FAKE_EXPORT nvmlReturn_t nvmlDeviceGetFanSpeed_v2(
    nvmlDevice_t device, unsigned int fan, unsigned int *percent)
{
    Call call("nvmlDeviceGetFanSpeed_v2", device, true);
    if (call.ok() && !fanExists(call, fan))
        return Nvml::Return::InvalidArgument;
    return reportValue(call, "fanSpeed" + std::to_string(fan), percent);
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceGetFanControlPolicy_v2(
    nvmlDevice_t device, unsigned int fan, unsigned int *policy)
{
    Call call("nvmlDeviceGetFanControlPolicy_v2", device, true);
    if (call.ok() && !fanExists(call, fan))
        return Nvml::Return::InvalidArgument;
    return reportValue(call, "fanPolicy" + std::to_string(fan), policy);
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceSetFanSpeed_v2(nvmlDevice_t device, unsigned int fan, unsigned int percent)
{
    Call call("nvmlDeviceSetFanSpeed_v2", device, true);
    if (!call.ok())
        return call.status();
    if (!fanExists(call, fan) || percent < call.get("fanMin") || percent > call.get("fanMax"))
        return Nvml::Return::InvalidArgument;
    call.set("fanSpeed" + std::to_string(fan), percent);
    call.set("fanPolicy" + std::to_string(fan), Nvml::FanPolicy::Manual);
    call.log("nvmlDeviceSetFanSpeed_v2 " + std::to_string(call.index()) + " " + std::to_string(fan) + " "
        + std::to_string(percent));
    return Nvml::Return::Success;
}

FAKE_EXPORT nvmlReturn_t nvmlDeviceSetDefaultFanSpeed_v2(nvmlDevice_t device, unsigned int fan)
{
    Call call("nvmlDeviceSetDefaultFanSpeed_v2", device, true);
    if (!call.ok())
        return call.status();
    if (!fanExists(call, fan))
        return Nvml::Return::InvalidArgument;
    call.set("fanPolicy" + std::to_string(fan), Nvml::FanPolicy::TemperatureContinuousSoftware);
    call.log("nvmlDeviceSetDefaultFanSpeed_v2 " + std::to_string(call.index()) + " " + std::to_string(fan));
    return Nvml::Return::Success;
}

#ifndef FAKE_NVML_R550
FAKE_EXPORT nvmlReturn_t nvmlDeviceGetFanSpeedRPM(nvmlDevice_t device, nvmlFanSpeedInfo_v1_t *info)
{
    Call call("nvmlDeviceGetFanSpeedRPM", device, true);
    if (!call.ok())
        return call.status();
    if (!info || info->version != FanSpeedInfoV1Word)
        return Nvml::Return::ArgumentVersionMismatch;
    if (!fanExists(call, info->fan))
        return Nvml::Return::InvalidArgument;
    return reportValue(call, "fanRpm", &info->speed);
}
#endif
