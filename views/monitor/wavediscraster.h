#pragma once

#include <QImage>
#include <QRect>

#include <vector>

/// The wave disc of the gauge's background with only its changing part painted each frame. Above the wavy
/// surface the disc is dry (the faint disc colour), below it full of water (the disc colour and the wave
/// colour twice); both looks are drawn once per size, and each frame copies their rows and paints only the
/// band in which the two surfaces move. Clipping two curved fills to the disc in every frame costs several
/// times as much.
class WaveDiscRaster
{
public:
    /// Prepares the disc of radius `radius` about the centre of a square image of side `side`; does nothing
    /// when both are as before.
    void prepare(int side, double radius);

    /// The disc with water up to the surface line y0, under two wavy surfaces of segment width g, the
    /// given amplitudes and horizontal offset, written into a premultiplied ARGB image of the prepared side.
    /// Pixels in the disc's box are replaced; nothing outside it is touched.
    void draw(
        QImage &image, double y0, double segmentWidth, double amplitude1, double amplitude2, double offset);

    /// The disc's box in the image, antialiased edge included.
    QRect box() const { return m_box; }

private:
    int m_side = -1;
    double m_radius = -1;
    QRect m_box;
    QImage m_dry;
    QImage m_wet;
    /// How much of each pixel of the box the disc covers, 0..255.
    std::vector<uchar> m_coverage;
    /// Scratch for the band: the two surfaces painted without the disc.
    QImage m_band;
};
