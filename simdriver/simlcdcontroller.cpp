#include "simlcdcontroller.h"

namespace {
constexpr std::size_t ChecksumOffset = 33;
} // namespace

bool SimLcdController::receive(const std::vector<NvU8> &bytes)
{
    if (!isWellFormed(bytes)) {
        ++m_refused;
        return false;
    }
    m_lastFrame = bytes;
    ++m_frames;
    return true;
}

bool SimLcdController::isWellFormed(const std::vector<NvU8> &bytes)
{
    if (bytes.size() != FrameLength || bytes[0] != 0xAA || bytes[1] != 0x88)
        return false;
    unsigned sum = 0;
    for (std::size_t i = 0; i < ChecksumOffset; ++i)
        sum += bytes[i];
    const unsigned stored = bytes[ChecksumOffset] | unsigned(bytes[ChecksumOffset + 1]) << 8;
    return stored == (sum & 0xFFFFu);
}
