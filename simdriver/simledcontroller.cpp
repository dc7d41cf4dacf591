#include "simledcontroller.h"

#include "cardpacketshape.h"

#include <algorithm>

namespace {
constexpr std::size_t HeaderLength = CardPacketShape::LedHeaderLength;
constexpr std::size_t MinimumLength = CardPacketShape::LedMinimumLength;
constexpr int MaxColours = 7;
} // namespace

SimLedController::SimLedController(NvU8 kind)
{
    // Power-on effect: breathing red.
    m_state.kind = kind;
    m_state.command = 1;
    m_state.paramA = 50;
    m_state.paramB = 2;
    m_state.colourCount = 1;
    m_state.colours[0] = 0xFF;
    m_state.stored = true;
}

bool SimLedController::receive(const std::vector<NvU8> &bytes)
{
    if (!isWellFormed(bytes)) {
        ++m_refused;
        return false;
    }
    ++m_accepted;
    m_lastPacket = bytes;
    // The capability probe only asks whether the controller is there; the
    // running effect stays.
    if (bytes[1] == CapabilityProbe)
        return true;
    const std::size_t payload = bytes.size() - MinimumLength;
    m_state.command = bytes[1];
    m_state.paramA = bytes[2];
    m_state.paramB = bytes[3];
    m_state.stored = (bytes[0] & 0x80) != 0;
    m_state.colourCount = std::min<int>(MaxColours, static_cast<int>(payload / 3));
    m_state.colours.fill(0);
    std::copy_n(bytes.begin() + HeaderLength, m_state.colourCount * 3, m_state.colours.begin());
    return true;
}

std::vector<NvU8> SimLedController::stateBytes() const
{
    std::vector<NvU8> bytes(StateLength, 0);
    bytes[0] = m_state.kind;
    bytes[1] = static_cast<NvU8>(m_state.colourCount);
    bytes[2] = m_state.command;
    bytes[3] = m_state.paramA;
    bytes[4] = m_state.paramB;
    std::copy(m_state.colours.begin(), m_state.colours.end(), bytes.begin() + 5);
    return bytes;
}

bool SimLedController::isWellFormed(const std::vector<NvU8> &bytes)
{
    return CardPacketShape::isLedPacket(bytes.data(), bytes.size());
}

NvU8 SimLedController::checksum(const std::vector<NvU8> &bytes, std::size_t length)
{
    return CardPacketShape::ledChecksum(bytes.data(), std::min(length, bytes.size()));
}
