// The device check: NVML's own view of every GPU beside what the program
// reads through the driver library for real cards (the library named by
// LUMETRA_NVAPI_LIBRARY), each pair compared. With --write-power, as root, it
// also moves each GPU's power limit inside its range through the program and
// puts NVML's original value back. Exits 1 on any disagreement. With --i2c it
// shows instead what the card's own bus answers: the adapter chosen, each
// device address read once, the lighting controller's state (reads only).

#include "gpucontroller.h"
#include "i2cadapters.h"
#include "i2cpolicy.h"
#include "nvmllibrary.h"
#include "nvmlview.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <unistd.h>

namespace {

int g_disagreements = 0;

void line(const QString &text)
{
    std::printf("%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

void check(const QString &what, bool agrees, const QString &detail)
{
    if (!agrees)
        ++g_disagreements;
    line(QStringLiteral("  %1 %2: %3")
             .arg(agrees ? QStringLiteral("ok  ") : QStringLiteral("DIFF"), what, detail));
}

void printNvml(const NvmlSymbols &nvml)
{
    char version[Nvml::DriverVersionBuffer + 1] = {};
    if (nvml.systemGetDriverVersion)
        nvml.systemGetDriverVersion(version, Nvml::DriverVersionBuffer);
    line(QStringLiteral("NVML library: %1").arg(QString::fromStdString(NvmlLibrary::libraryName())));
    line(QStringLiteral("Driver version: %1").arg(QString::fromLatin1(version)));
    QStringList present, absent;
    for (const NvmlSymbolPresence &symbol : NvmlLibrary::instance().presence())
        (symbol.present ? present : absent) << QString::fromLatin1(symbol.name);
    line(QStringLiteral("Symbols present (%1): %2").arg(present.size()).arg(present.join(QLatin1Char(' '))));
    line(QStringLiteral("Symbols absent (%1): %2").arg(absent.size()).arg(absent.join(QLatin1Char(' '))));
}

void compare(GpuController &controller, int index, const NvmlView &view)
{
    controller.selectGpu(index);
    line(QStringLiteral("GPU %1 (%2), NVML against the program:").arg(index).arg(view.busId));
    const QString name = controller.readGpuName();
    check(QStringLiteral("name"), name == view.name.left(63), name + QStringLiteral(" / ") + view.name);
    PciIdentifiers ids;
    controller.readPciIdentifiers(ids);
    check(QStringLiteral("PCI ids"), ids.deviceId == view.deviceId && ids.subSystemId == view.subsystemId,
        QStringLiteral("%1 %2 / %3 %4")
            .arg(ids.deviceId, 8, 16, QLatin1Char('0'))
            .arg(ids.subSystemId, 8, 16, QLatin1Char('0'))
            .arg(view.deviceId, 8, 16, QLatin1Char('0'))
            .arg(view.subsystemId, 8, 16, QLatin1Char('0')));
    MemoryReading memory;
    const bool memoryRead = controller.readMemoryInfo(memory);
    const long long nvmlKb
        = view.memoryTotalBytes ? static_cast<long long>(*view.memoryTotalBytes / 1024) : -1;
    check(QStringLiteral("memory"),
        memoryRead == bool(view.memoryTotalBytes) && (!memoryRead || memory.dedicatedKb == nvmlKb),
        QStringLiteral("%1 KB / %2 KB").arg(memory.dedicatedKb).arg(nvmlKb));
    ThermalReading thermal;
    const bool thermalRead = controller.readThermal(thermal);
    // Live values: a few degrees apart between two reads is the card, not the bridge.
    check(QStringLiteral("temperature"),
        thermalRead == bool(view.temperatureC)
            && (!thermalRead || std::abs(thermal.currentC - *view.temperatureC) <= 3),
        QStringLiteral("%1 / %2 C").arg(thermal.currentC).arg(view.temperatureC.value_or(-1)));
    PowerInfo power;
    const bool powerRead = controller.readPowerInfo(power);
    const bool nvmlPower = view.powerUsageMw && view.powerDefaultMw && view.powerLimitMw && view.powerMinMw;
    const int nvmlLimitPercent = nvmlPower && *view.powerDefaultMw
        ? int(std::uint64_t(*view.powerLimitMw) * 100 / *view.powerDefaultMw)
        : -1;
    check(QStringLiteral("power limit"),
        powerRead == nvmlPower && (!powerRead || power.currentTargetPercent == nvmlLimitPercent),
        QStringLiteral("%1 % / %2 %").arg(power.currentTargetPercent).arg(nvmlLimitPercent));
    // A card without fans still gives a cooler reading (the tachometer's), but no range to set.
    CoolerReading cooler;
    controller.readCooler(cooler);
    const bool settable = cooler.levelLowPercent != cooler.levelHighPercent;
    check(QStringLiteral("fans"), settable == (view.fans > 0),
        QStringLiteral("%1 / %2 fans")
            .arg(settable ? QStringLiteral("settable") : QStringLiteral("none"))
            .arg(view.fans));
    ClockRange range;
    controller.readGpuClockRange(range);
    check(QStringLiteral("clock offsets"), bool(range.editable) == view.graphicsOffsetAnswered,
        QStringLiteral("%1 / %2").arg(
            range.editable ? "editable" : "locked", view.graphicsOffsetAnswered ? "answered" : "none"));
    ThermalLimitInfo target;
    const bool targetRead = controller.readThermalLimitInfo(target);
    check(QStringLiteral("temperature target"), targetRead == view.acousticTargetAnswered,
        QStringLiteral("%1 / %2").arg(
            targetRead ? "read" : "none", view.acousticTargetAnswered ? "answered" : "none"));
}

/// Moves the power limit by about a tenth of its range through the program,
/// reads it back from NVML, and puts NVML's original value back.
void writePower(GpuController &controller, const NvmlSymbols &nvml, int index, const NvmlView &view)
{
    if (!view.powerLimitMw || !view.powerMinMw || !view.powerMaxMw || !view.powerDefaultMw
        || !*view.powerDefaultMw || *view.powerMinMw >= *view.powerMaxMw) {
        line(QStringLiteral("  skip power write: no settable limit"));
        return;
    }
    nvmlDevice_t device = nullptr;
    nvml.getHandleByIndex(static_cast<unsigned int>(index), &device);
    const unsigned int original = *view.powerLimitMw;
    const unsigned int step = std::max(1u, (*view.powerMaxMw - *view.powerMinMw) / 10);
    const unsigned int wanted = original - *view.powerMinMw >= step ? original - step : original + step;
    const int percent = int(std::uint64_t(wanted) * 100 / *view.powerDefaultMw);
    controller.selectGpu(index);
    const bool written = controller.setPowerTarget(0, float(percent));
    unsigned int now = 0;
    nvml.getPowerLimit(device, &now);
    const unsigned int expected
        = static_cast<unsigned int>(std::uint64_t(percent) * *view.powerDefaultMw / 100);
    const unsigned int tolerance = *view.powerDefaultMw / 100 + 1;
    check(QStringLiteral("power write"),
        written && now + tolerance >= expected && now <= expected + tolerance,
        QStringLiteral("%1 % asked, NVML now %2 mW, expected %3 mW").arg(percent).arg(now).arg(expected));
    const nvmlReturn_t restored
        = nvml.setPowerLimit ? nvml.setPowerLimit(device, original) : Nvml::Return::FunctionNotFound;
    nvml.getPowerLimit(device, &now);
    check(QStringLiteral("power restored"), restored == Nvml::Return::Success && now == original,
        QStringLiteral("%1 mW / %2 mW").arg(now).arg(original));
}

/// The card's bus as the library sees it; reads only, nothing is written to a device.
void showI2c(GpuController &controller, int index, const NvmlView &view)
{
    controller.selectGpu(index);
    const I2cPolicy policy = I2cPolicy::load();
    const auto overridden = policy.adapters.find(view.sysfsBusId);
    const std::optional<int> adapter = overridden != policy.adapters.end()
        ? std::optional<int>(overridden->second)
        : I2cAdapters::cardAdapter(I2cAdapters::sysfsRoot(), view.sysfsBusId);
    line(QStringLiteral("GPU %1 (%2, subsystem %3): I2C %4, card %5, adapter %6")
             .arg(index)
             .arg(QString::fromStdString(view.sysfsBusId))
             .arg(view.subsystemId, 8, 16, QLatin1Char('0'))
             .arg(policy.enabled ? QStringLiteral("on") : QStringLiteral("switched off"))
             .arg(policy.cardAllowed(view.deviceId, view.subsystemId) ? QStringLiteral("allowed")
                                                                      : QStringLiteral("not allowed"))
             .arg(adapter ? QStringLiteral("/dev/i2c-%1").arg(*adapter) : QStringLiteral("none found")));
    for (std::uint8_t address : { 0xA1, 0x9E, 0x90, 0x96, 0x92 }) {
        std::uint8_t bytes[2] = {};
        const bool answered = controller.i2cRead(address, 0, address == 0xA1 ? 0 : 1, bytes, 2);
        line(QStringLiteral("  0x%1: %2")
                 .arg(address, 2, 16, QLatin1Char('0'))
                 .arg(answered ? QStringLiteral("answered %1 %2")
                                     .arg(bytes[0], 2, 16, QLatin1Char('0'))
                                     .arg(bytes[1], 2, 16, QLatin1Char('0'))
                               : QStringLiteral("no answer")));
    }
    LedStateReading state;
    if (!controller.readLedState(state)) {
        line(QStringLiteral("  lighting controller: no state"));
        return;
    }
    QString colours;
    for (int i = 0; i < state.colorCount && i < int(state.colors.size()); ++i)
        colours += QStringLiteral(" #%1%2%3")
                       .arg(state.colors[std::size_t(i)][0], 2, 16, QLatin1Char('0'))
                       .arg(state.colors[std::size_t(i)][1], 2, 16, QLatin1Char('0'))
                       .arg(state.colors[std::size_t(i)][2], 2, 16, QLatin1Char('0'));
    line(QStringLiteral("  lighting controller: kind %1, %2 colour(s), parameters %3 %4 %5,%6")
             .arg(state.kind)
             .arg(state.colorCount)
             .arg(state.parameters[0])
             .arg(state.parameters[1])
             .arg(state.parameters[2])
             .arg(colours));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const bool writeRequested = app.arguments().contains(QStringLiteral("--write-power"));
    NvmlLibrary &library = NvmlLibrary::instance();
    if (library.acquire() != NvApiStatus::Ok) {
        line(QStringLiteral("NVML could not be loaded or initialised (%1)")
                 .arg(QString::fromStdString(NvmlLibrary::libraryName())));
        return 1;
    }
    const NvmlSymbols &nvml = library.symbols();
    printNvml(nvml);
    unsigned int count = 0;
    nvml.getCount(&count);
    QJsonArray views;
    std::vector<NvmlView> gpus;
    for (unsigned int i = 0; i < count; ++i) {
        NvmlView view;
        if (NvmlView::read(nvml, i, view)) {
            gpus.push_back(view);
            views.append(view.json());
        }
    }
    line(QStringLiteral("NVML's view: %1")
             .arg(QString::fromUtf8(QJsonDocument(views).toJson(QJsonDocument::Compact))));

    GpuController controller;
    if (app.arguments().contains(QStringLiteral("--i2c"))) {
        for (int i = 0; i < std::min(controller.gpuCount(), int(gpus.size())); ++i)
            showI2c(controller, i, gpus[std::size_t(i)]);
        library.release();
        return 0;
    }
    check(QStringLiteral("GPU count"), controller.gpuCount() == int(gpus.size()),
        QStringLiteral("%1 / %2").arg(controller.gpuCount()).arg(gpus.size()));
    for (int i = 0; i < std::min(controller.gpuCount(), int(gpus.size())); ++i)
        compare(controller, i, gpus[std::size_t(i)]);
    if (writeRequested && ::geteuid() != 0)
        line(QStringLiteral("Power write skipped: it needs root."));
    else if (writeRequested)
        for (int i = 0; i < std::min(controller.gpuCount(), int(gpus.size())); ++i)
            writePower(controller, nvml, i, gpus[std::size_t(i)]);
    line(QStringLiteral("%1 disagreement(s)").arg(g_disagreements));
    library.release();
    return g_disagreements == 0 ? 0 : 1;
}
