#pragma once

#include "bridgerecords.h"
#include "nvmllibrary.h"

#include <string>

/// One GPU's NVML calls, each trying the newest call first and the older ones
/// after it, so that the driver Debian ships (no clock-offset pair, no RPM, no
/// TemperatureV) takes the ordinary path. A symbol the library lacks answers
/// "function not found", which the status table turns into "not supported".
class NvmlGpu
{
public:
    NvmlGpu(const NvmlSymbols &symbols, nvmlDevice_t device);

    /// Which clocks a clock record asks for: current, base or boost.
    enum class ClockKind { Current = 0, Base = 1, Boost = 2 };

    nvmlReturn_t name(std::string &name) const;
    nvmlReturn_t vbiosVersion(std::string &version) const;
    nvmlReturn_t pciInfo(nvmlPciInfo_t &info) const;
    nvmlReturn_t memoryBusWidth(unsigned int &bits) const;
    nvmlReturn_t memory(NvmlMemoryBytes &bytes) const;
    /// Every clock of the kind; a clock NVML does not give is absent. Base:
    /// the default application clock where it answers, else the highest
    /// clock (GeForce cards report no base clock). Boost: the customer boost
    /// clock, else the highest.
    NvmlClockSet clocks(ClockKind kind) const;
    /// The offset and its range for one NVML clock type, and P0's range.
    nvmlReturn_t clockDomain(unsigned int clockType, NvmlClockDomain &domain) const;
    nvmlReturn_t setClockOffset(unsigned int clockType, std::int32_t offsetMhz) const;
    nvmlReturn_t utilization(NvmlUtilization &utilization) const;
    nvmlReturn_t temperature(std::int32_t &celsius) const;
    nvmlReturn_t threshold(unsigned int which, std::int32_t &celsius) const;
    nvmlReturn_t setAcousticTarget(std::int32_t celsius) const;
    nvmlReturn_t powerUsage(std::uint32_t &milliwatts) const;
    nvmlReturn_t powerLimits(NvmlPowerLimits &limits) const;
    nvmlReturn_t setPowerLimit(std::uint32_t milliwatts) const;
    nvmlReturn_t fanCount(unsigned int &count) const;
    nvmlReturn_t cooler(NvmlCooler &cooler) const;
    nvmlReturn_t setFanLevel(unsigned int fan, unsigned int percent) const;
    nvmlReturn_t setFanAutomatic(unsigned int fan) const;
    nvmlReturn_t fanRpm(std::uint32_t &rpm) const;

    /// Whether an answer means "try the older call": the newer one is
    /// missing, not implemented for this GPU or does not know our version.
    static bool tryOlder(nvmlReturn_t status);

private:
    nvmlReturn_t text(NvmlFn::DeviceGetText fn, std::size_t capacity, std::string &out) const;
    NvmlClock clockOf(NvmlFn::DeviceGetClock fn, unsigned int type) const;

    const NvmlSymbols &m_nvml;
    nvmlDevice_t m_device;
};
