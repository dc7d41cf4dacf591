#pragma once

#include "breathingringraster.h"
#include "wavediscraster.h"

#include <QColor>
#include <QPainterPath>

class QImage;
class QPainter;

/// The drawing of one frame of the gauge's animated background: the breathing glow ring and the two-layer
/// wave whose level is the memory usage. The motion (breathing phase, wave amplitudes, offset) is one set
/// for the whole process, so every gauge breathes in step; it is guarded by one process-wide lock, since
/// two cards' image threads may draw at the same time.
class BreathWaveAnimation
{
public:
    /// The motion that persists between frames.
    struct Motion
    {
        double phase = 0.7;
        bool phaseRising = true;
        double amplitude1 = 0;
        bool amplitude1Rising = true;
        double amplitude2 = 0;
        bool amplitude2Rising = true;
        double offset = 0;
    };

    /// What one frame shows.
    struct Frame
    {
        double ringInnerRadius = 0;
        double waveRadius = 0;
        double level = 0; ///< 0..1
        bool breathing = false;
        bool wave = false;
    };

    static const QColor DiscColour;
    static const QColor WaveColour;
    static const QColor GlowColour;

    /// What a caller that draws many frames keeps between them: the ring's table and the wave disc's
    /// looks, built once per size instead of once per frame.
    struct Rasters
    {
        BreathingRingRaster ring;
        WaveDiscRaster wave;
    };

    /// Clears the image to transparent and draws one frame into it, advancing the shared motion once.
    static void render(QImage &image, const Frame &frame, Rasters *rasters = nullptr);

    /// The shared motion, read or replaced under the process-wide lock (tests start from a known state).
    static Motion sharedMotion();
    static void setSharedMotion(const Motion &motion);

    /// One breathing step: the phase swings between 0.7 and 0.9 by 0.006.
    static void stepPhase(Motion &motion);
    /// One amplitude step towards the bound h and back by the given step; a result strictly between -1
    /// and 1 jumps to -1 or 1, so the wave never lies flat.
    static void stepAmplitude(double &amplitude, bool &rising, double bound, double step);
    /// The horizontal drift by a tenth of a segment, wrapped every four segments.
    static void stepOffset(double &offset, double segmentWidth);

    /// The water below one wavy surface line (before cutting to the disc), for a square of side w. Only
    /// the part inside `bounds` counts: the water's box ends there instead of at the square's edges, which
    /// leaves less to fill.
    static QPainterPath wavePath(int w, double y0, double segmentWidth, double amplitude, double offset,
        const QRectF &bounds = QRectF());

private:
    static void drawWave(
        QImage &image, int side, double radius, double level, Motion &motion, WaveDiscRaster &wave);
};
