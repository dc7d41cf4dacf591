#pragma once

#include "simledstate.h"

#include "nvapitypes.h"

#include <vector>

/// The card's lighting controller (write 0xA0, state read 0xA1). A command
/// packet is: length (bits 0-6) with the store flag in bit 7, command,
/// parameter A, parameter B, RGB payload, and a checksum byte that is the
/// complement of the 8-bit sum of all bytes before it. Anything else is
/// refused, as the firmware does.
class SimLedController
{
public:
    static constexpr NvU8 CapabilityProbe = 10;
    static constexpr int StateLength = 27;

    explicit SimLedController(NvU8 kind);

    /// One write transaction; false when the packet is refused.
    bool receive(const std::vector<NvU8> &bytes);
    /// The 27-byte state answer: kind, colour count, command, A, B, 7 RGB
    /// triples, one spare byte.
    std::vector<NvU8> stateBytes() const;

    const SimLedState &state() const { return m_state; }
    const std::vector<NvU8> &lastPacket() const { return m_lastPacket; }
    int acceptedCount() const { return m_accepted; }
    int refusedCount() const { return m_refused; }

    static bool isWellFormed(const std::vector<NvU8> &bytes);
    static NvU8 checksum(const std::vector<NvU8> &bytes, std::size_t length);

private:
    SimLedState m_state;
    std::vector<NvU8> m_lastPacket;
    int m_accepted = 0;
    int m_refused = 0;
};
