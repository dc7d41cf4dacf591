// The card work that runs on the workers' cycles: one sampling cycle, one LCD frame, one LED packet.
// The driver is the simulated one, loaded from its library as the program loads the real driver, so a
// cycle's figure is the program's own cost plus the simulation's (the real driver's time is not in it).
// The bus time of a 35-byte frame at 400 kHz is about 0.8 ms: building a frame or a packet must stay far
// below it.
#include "cardprotocol.h"
#include "cardsampler.h"
#include "gpucontroller.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QtGlobal>

#include <array>
#include <cstdint>
#include <memory>

namespace {

/// One controller for the whole program, on the simulated default card.
GpuController &controller()
{
    static std::unique_ptr<GpuController> shared = [] {
        if (qEnvironmentVariableIsEmpty("LUMETRA_NVAPI_LIBRARY"))
            qputenv("LUMETRA_NVAPI_LIBRARY", QByteArray(LUMETRA_SIM_LIBRARY));
        return std::make_unique<GpuController>();
    }();
    return *shared;
}

bool haveCard(benchmark::State &state)
{
    if (controller().isInitialized() && controller().gpuCount() > 0)
        return true;
    state.SkipWithError("the simulated driver did not load");
    return false;
}

void samplerCycle(benchmark::State &state)
{
    if (!haveCard(state))
        return;
    CardSampler sampler(&controller());
    for (auto _ : state) {
        CardSample sample = sampler.sample();
        benchmark::DoNotOptimize(sample);
    }
}
BENCHMARK(samplerCycle)->Unit(benchmark::kMicrosecond);

CardProtocol::LcdFrameData frameData()
{
    CardProtocol::LcdFrameData data;
    data.sequence = 7;
    data.modeByte = CardProtocol::lcdModeByte(true, true, 10, 0x80);
    data.dedicatedKb = 8388608;
    data.baseGpuClockMhz = 1607;
    data.thermalLimitC = 83;
    data.tachRangeWord = 600;
    data.gpuName = QStringLiteral("GeForce GTX 1070 Ti");
    data.subSystemId = 0x111E1D17;
    data.usedKb = 2097152;
    data.gpuClockMhz = 1683;
    data.temperatureC = 61;
    data.fanSpeedRpm = 1450;
    return data;
}

void lcdFrameBuild(benchmark::State &state)
{
    const CardProtocol::LcdFrameData data = frameData();
    for (auto _ : state) {
        auto frame = CardProtocol::lcdFrame(data);
        benchmark::DoNotOptimize(frame);
    }
}
BENCHMARK(lcdFrameBuild)->Unit(benchmark::kNanosecond);

/// The whole frame step of the LCD feeder: its readings, the frame, the I2C write.
void lcdFrameSend(benchmark::State &state)
{
    if (!haveCard(state))
        return;
    for (auto _ : state)
        benchmark::DoNotOptimize(controller().sendLcdFrame(true, true, 10, 0x80));
}
BENCHMARK(lcdFrameSend)->Unit(benchmark::kMicrosecond);

/// Seven colours, the longest packet.
constexpr std::array<std::uint8_t, CardProtocol::MaxLedPayload> SevenColours
    = { 255, 0, 0, 255, 127, 0, 255, 255, 0, 0, 255, 0, 0, 0, 255, 75, 0, 130, 148, 0, 211 };

void ledPacketBuild(benchmark::State &state)
{
    for (auto _ : state) {
        QByteArray packet
            = CardProtocol::ledCommandPacket(SevenColours.data(), int(SevenColours.size()), 1, 50, 0, false);
        benchmark::DoNotOptimize(packet);
    }
}
BENCHMARK(ledPacketBuild)->Unit(benchmark::kNanosecond);

/// The LED sender's step: the packet and its I2C write.
void ledPacketSend(benchmark::State &state)
{
    if (!haveCard(state))
        return;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            controller().sendLedCommand(SevenColours.data(), int(SevenColours.size()), 1, 50, 0, false));
}
BENCHMARK(ledPacketSend)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
