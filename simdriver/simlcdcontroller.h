#pragma once

#include "nvapitypes.h"

#include <vector>

/// The card's LCD controller (0xAC). It takes only whole 35-byte frames that
/// start with 0xAA 0x88 and end with the little-endian 16-bit sum of bytes
/// 0 to 32; it keeps the last good frame and counts the good ones.
class SimLcdController
{
public:
    static constexpr std::size_t FrameLength = 35;

    bool receive(const std::vector<NvU8> &bytes);

    const std::vector<NvU8> &lastFrame() const { return m_lastFrame; }
    int frameCount() const { return m_frames; }
    int refusedCount() const { return m_refused; }

    static bool isWellFormed(const std::vector<NvU8> &bytes);

private:
    std::vector<NvU8> m_lastFrame;
    int m_frames = 0;
    int m_refused = 0;
};
