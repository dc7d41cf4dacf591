#include "simlcdcontroller.h"

#include "cardpacketshape.h"

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
    return CardPacketShape::isLcdFrame(bytes.data(), bytes.size());
}
