#include "nvmlview.h"

#include "bridgegpus.h"
#include "nvmlgpu.h"

namespace {
constexpr nvmlReturn_t Ok = Nvml::Return::Success;

template <typename T> QJsonValue optionalJson(const std::optional<T> &value)
{
    return value ? QJsonValue(static_cast<double>(*value)) : QJsonValue();
}
} // namespace

bool NvmlView::read(const NvmlSymbols &nvml, unsigned int index, NvmlView &view)
{
    view = NvmlView();
    nvmlDevice_t device = nullptr;
    if (nvml.getHandleByIndex(index, &device) != Ok)
        return false;
    const NvmlGpu gpu(nvml, device);
    std::string text;
    if (gpu.name(text) == Ok)
        view.name = QString::fromStdString(text);
    nvmlPciInfo_t pci {};
    if (gpu.pciInfo(pci) == Ok) {
        view.busId = QString::fromLatin1(pci.busId);
        view.sysfsBusId = BridgeGpus::sysfsBusId(pci);
        view.deviceId = pci.pciDeviceId;
        view.subsystemId = pci.pciSubSystemId;
    }
    nvmlMemory_t memory {};
    if (nvml.getMemoryInfo && nvml.getMemoryInfo(device, &memory) == Ok)
        view.memoryTotalBytes = memory.total;
    unsigned int value = 0, low = 0, high = 0;
    if (nvml.getTemperature && nvml.getTemperature(device, Nvml::TemperatureGpu, &value) == Ok)
        view.temperatureC = static_cast<int>(value);
    if (nvml.getPowerUsage && nvml.getPowerUsage(device, &value) == Ok)
        view.powerUsageMw = value;
    if (nvml.getPowerDefaultLimit && nvml.getPowerDefaultLimit(device, &value) == Ok)
        view.powerDefaultMw = value;
    if (nvml.getPowerLimit && nvml.getPowerLimit(device, &value) == Ok)
        view.powerLimitMw = value;
    if (nvml.getPowerLimitConstraints && nvml.getPowerLimitConstraints(device, &low, &high) == Ok) {
        view.powerMinMw = low;
        view.powerMaxMw = high;
    }
    if (nvml.getNumFans && nvml.getNumFans(device, &value) == Ok)
        view.fans = value;
    NvmlClockDomain graphics;
    view.graphicsOffsetAnswered
        = gpu.clockDomain(Nvml::Clock::Graphics, graphics) == Ok && graphics.offsetAnswered;
    std::int32_t celsius = 0;
    view.acousticTargetAnswered = gpu.threshold(Nvml::Threshold::AcousticCurrent, celsius) == Ok;
    return true;
}

QJsonObject NvmlView::json() const
{
    return {
        { "name", name },
        { "busId", busId },
        { "pciDeviceId", QStringLiteral("0x%1").arg(deviceId, 8, 16, QLatin1Char('0')) },
        { "pciSubSystemId", QStringLiteral("0x%1").arg(subsystemId, 8, 16, QLatin1Char('0')) },
        { "memoryTotalBytes", optionalJson(memoryTotalBytes) },
        { "temperatureC", optionalJson(temperatureC) },
        { "powerUsageMw", optionalJson(powerUsageMw) },
        { "powerDefaultMw", optionalJson(powerDefaultMw) },
        { "powerLimitMw", optionalJson(powerLimitMw) },
        { "powerMinMw", optionalJson(powerMinMw) },
        { "powerMaxMw", optionalJson(powerMaxMw) },
        { "fans", static_cast<int>(fans) },
        { "graphicsOffsetAnswered", graphicsOffsetAnswered },
        { "acousticTargetAnswered", acousticTargetAnswered },
    };
}
