#pragma once

#include <QtGlobal>

#include <vector>

class QImage;

/// The breathing glow ring drawn from a table instead of a gradient fill. The ring is round, so each
/// pixel's colour depends only on its distance from the centre: the distances of the ring's pixels are
/// computed once per size, and each frame builds one colour per distance and writes the pixels. A radial
/// gradient fill computes the distance of every pixel in every frame and costs ten times as much.
class BreathingRingRaster
{
public:
    /// Distances are kept in sixteenths of a pixel.
    static constexpr int SubSteps = 16;
    /// Where the glow colour stops; the gradient fades from it to nothing at the breathing phase.
    static constexpr double GlowStop = 0.35;
    /// The breathing phase never passes this (it turns at 0.9 by steps of 0.006).
    static constexpr double MaxPhase = 0.92;

    /// Prepares the table for a square image of side `side` whose ring starts at `innerRadius`; does
    /// nothing when both are as before.
    void prepare(int side, double innerRadius);

    /// Writes the ring at the breathing phase into a premultiplied ARGB image of the prepared side, over
    /// pixels that are transparent: only where the ring glows is anything written.
    void draw(QImage &image, double phase) const;

    int side() const { return m_side; }
    /// Pixels in the table (for tests and memory figures).
    int pixelCount() const { return int(m_distance.size()); }

private:
    struct Span
    {
        int y;
        int x;
        int length;
        int first; ///< index of the span's first distance
    };

    int m_side = -1;
    double m_innerRadius = -1;
    int m_maxDistance = 0;
    std::vector<Span> m_spans;
    std::vector<quint16> m_distance;
};
