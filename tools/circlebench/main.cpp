// lumetra-circle-bench [seconds]
//
// 1. Renders 2000 frames of the gauge's background at the main window's size (476 x 476, breathing and wave
//    on, 50 % memory) and prints the median and 99th percentile time of one frame.
// 2. Shows a gauge with both effects on for the given time (60 s by default), then hides it for as long,
//    and prints the process's CPU time in each phase (from /proc/self/stat) as a share of one core, with
//    the number of frames rendered.
// Run it under a display (xvfb-run) or with QT_QPA_PLATFORM=offscreen.
#include "breathwaveanimation.h"
#include "createbreathcircleandwavecirclethread.h"
#include "korvo_circlebutton.h"
#include "korvo_gpuinfocirclebox.h"
#include "lumetraresources.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

constexpr int Side = 476;
constexpr int FrameCount = 2000;

/// User plus system time of this process, in seconds.
double processCpuSeconds()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    // Fields after the command name, which is in parentheses and may hold blanks.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    const double ticks = fields.at(11).toDouble() + fields.at(12).toDouble();
    return ticks / double(sysconf(_SC_CLK_TCK));
}

void benchmarkFrames()
{
    QImage image(Side, Side, QImage::Format_ARGB32_Premultiplied);
    BreathWaveAnimation::Frame frame;
    frame.ringInnerRadius = Side * 0.3 - 1;
    frame.waveRadius = Side * 0.2 + 1;
    frame.level = 0.5;
    frame.breathing = true;
    frame.wave = true;
    // As the image thread draws: its tables are built once per size.
    BreathWaveAnimation::Rasters rasters;
    std::vector<double> micros;
    micros.reserve(FrameCount);
    for (int i = 0; i < FrameCount; ++i) {
        QElapsedTimer timer;
        timer.start();
        BreathWaveAnimation::render(image, frame, &rasters);
        micros.push_back(timer.nsecsElapsed() / 1000.0);
    }
    std::sort(micros.begin(), micros.end());
    std::printf("frame 476x476, breathing+wave, 50%% memory: median %.3f ms, p99 %.3f ms (%d frames)\n",
        micros[micros.size() / 2] / 1000.0, micros[micros.size() * 99 / 100] / 1000.0, FrameCount);
}

void runFor(int seconds)
{
    QTimer::singleShot(seconds * 1000, qApp, &QCoreApplication::quit);
    qApp->exec();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    initLumetraResources();
    const int seconds = argc > 1 ? qMax(1, atoi(argv[1])) : 60;

    benchmarkFrames();

    CreateBreathCircleAndWaveCircleThread thread;
    Korvo_GpuInfoCircleBox gauge(&thread);
    gauge.resize(Side, Side);
    gauge.setEnableBreathingCircle(true);
    gauge.setEnableWave(true);
    emit gauge.memoryButton()->onMouseClick();
    NvCardBaseInfo sample;
    sample.memoryUsage.current = 50;
    sample.memoryAmount.current = 4096;
    gauge.recvNvCardInfo(sample);
    // The sampler's once-a-second record, as in the program.
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, &gauge, [&] { gauge.recvNvCardInfo(sample); });
    sampler.start(1000);

    gauge.show();
    int frames = thread.framesRendered();
    double cpu = processCpuSeconds();
    runFor(seconds);
    std::printf("shown, both effects on, %d s: CPU %.2f %% of one core, %d frames\n", seconds,
        100.0 * (processCpuSeconds() - cpu) / seconds, thread.framesRendered() - frames);

    gauge.hide();
    thread.wait();
    frames = thread.framesRendered();
    cpu = processCpuSeconds();
    runFor(seconds);
    std::printf("hidden, %d s: CPU %.3f %% of one core, %d frames\n", seconds,
        100.0 * (processCpuSeconds() - cpu) / seconds, thread.framesRendered() - frames);
    return 0;
}
