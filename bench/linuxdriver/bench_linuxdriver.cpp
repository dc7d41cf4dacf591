// One sampling cycle of the program's sampler through the driver library for
// real cards over the fake NVML, and the same cycle on the simulated driver;
// both libraries loaded from their files as the program loads them. The fake
// answers at once, so the bridge's figure is its own cost and the program's,
// not a real driver's. After the runs it prints the NVML calls one cycle makes.
#include "cardsampler.h"
#include "fakenvml.h"
#include "gpucontroller.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QThread>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

void sampleCycles(benchmark::State &state, const char *library, bool apart = false)
{
    qputenv("LUMETRA_NVAPI_LIBRARY", QByteArray(library));
    qputenv("LUMETRA_NVML_LIBRARY", QByteArray(FAKE_NVML_PATH));
    auto controller = std::make_unique<GpuController>();
    if (controller->gpuCount() < 1) {
        state.SkipWithError("the driver library did not load");
        return;
    }
    CardSampler sampler(controller.get());
    for (auto _ : state) {
        if (apart) {
            // As the sampler runs, a second or more apart: nothing the library keeps for a moment is reused.
            state.PauseTiming();
            QThread::msleep(300);
            state.ResumeTiming();
        }
        CardSample sample = sampler.sample();
        benchmark::DoNotOptimize(sample);
    }
}

void simulatedDriverCycle(benchmark::State &state)
{
    sampleCycles(state, LUMETRA_SIM_LIBRARY);
}
BENCHMARK(simulatedDriverCycle)->Unit(benchmark::kMicrosecond);

void simulatedDriverCycleApart(benchmark::State &state)
{
    sampleCycles(state, LUMETRA_SIM_LIBRARY, true);
}
BENCHMARK(simulatedDriverCycleApart)->Unit(benchmark::kMicrosecond)->Iterations(20);

void linuxDriverCycle(benchmark::State &state)
{
    sampleCycles(state, LUMETRA_LINUX_LIBRARY);
}
BENCHMARK(linuxDriverCycle)->Unit(benchmark::kMicrosecond);

void linuxDriverCycleApart(benchmark::State &state)
{
    sampleCycles(state, LUMETRA_LINUX_LIBRARY, true);
}
BENCHMARK(linuxDriverCycleApart)->Unit(benchmark::kMicrosecond)->Iterations(20);

/// The NVML calls of one cycle, by function.
void printCallsOfOneCycle()
{
    qputenv("LUMETRA_NVAPI_LIBRARY", QByteArray(LUMETRA_LINUX_LIBRARY));
    qputenv("LUMETRA_NVML_LIBRARY", QByteArray(FAKE_NVML_PATH));
    GpuController controller;
    CardSampler sampler(&controller);
    sampler.sample();
    FakeNvml &fake = FakeNvml::instance();
    fake.clearCalls();
    QThread::msleep(300);
    sampler.sample();
    std::printf("NVML calls in one sampling cycle: %d\n", fake.totalCalls());
    for (const char *function : { "nvmlDeviceGetClockInfo", "nvmlDeviceGetMaxClockInfo",
             "nvmlDeviceGetDefaultApplicationsClock", "nvmlDeviceGetMaxCustomerBoostClock",
             "nvmlDeviceGetMinMaxClockOfPState", "nvmlDeviceGetClockOffsets", "nvmlDeviceGetMemoryInfo_v2",
             "nvmlDeviceGetMemoryBusWidth", "nvmlDeviceGetName", "nvmlDeviceGetVbiosVersion",
             "nvmlSystemGetDriverVersion", "nvmlSystemGetDriverBranch", "nvmlDeviceGetTemperatureV",
             "nvmlDeviceGetTemperatureThreshold", "nvmlDeviceGetUtilizationRates",
             "nvmlDeviceGetEncoderUtilization", "nvmlDeviceGetDecoderUtilization", "nvmlDeviceGetNumFans",
             "nvmlDeviceGetMinMaxFanSpeed", "nvmlDeviceGetFanSpeed_v2", "nvmlDeviceGetFanControlPolicy_v2",
             "nvmlDeviceGetFanSpeedRPM", "nvmlDeviceGetPowerUsage", "nvmlDeviceGetPciInfo_v3" }) {
        if (fake.calls(function) > 0)
            std::printf("  %-42s %d\n", function, fake.calls(function));
    }
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    printCallsOfOneCycle();
    benchmark::Shutdown();
    return 0;
}
