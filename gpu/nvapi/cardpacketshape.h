#pragma once

#include "nvapitypes.h"

#include <cstddef>

/// The shapes the card's firmware takes, checked the same way wherever bytes
/// are about to reach a card's device: the lighting controller's command
/// packet (length in bits 0-6 of byte 0, the complement of the 8-bit sum of
/// all bytes before it last) and the LCD's 35-byte frame (0xAA 0x88 first,
/// the little-endian 16-bit sum of bytes 0 to 32 last).
namespace CardPacketShape {
constexpr std::size_t LedHeaderLength = 4;
constexpr std::size_t LedMinimumLength = LedHeaderLength + 1;
constexpr std::size_t LedMaximumLength = 0x7F;
constexpr std::size_t LcdFrameLength = 35;
constexpr std::size_t LcdChecksumOffset = 33;

inline NvU8 ledChecksum(const NvU8 *bytes, std::size_t length)
{
    NvU8 sum = 0;
    for (std::size_t i = 0; i < length; ++i)
        sum = static_cast<NvU8>(sum + bytes[i]);
    return static_cast<NvU8>(~sum);
}

inline bool isLedPacket(const NvU8 *bytes, std::size_t size)
{
    if (!bytes || size < LedMinimumLength || size > LedMaximumLength)
        return false;
    if ((bytes[0] & 0x7Fu) != size)
        return false;
    return bytes[size - 1] == ledChecksum(bytes, size - 1);
}

inline bool isLcdFrame(const NvU8 *bytes, std::size_t size)
{
    if (!bytes || size != LcdFrameLength || bytes[0] != 0xAA || bytes[1] != 0x88)
        return false;
    unsigned sum = 0;
    for (std::size_t i = 0; i < LcdChecksumOffset; ++i)
        sum += bytes[i];
    const unsigned stored = bytes[LcdChecksumOffset] | unsigned(bytes[LcdChecksumOffset + 1]) << 8;
    return stored == (sum & 0xFFFFu);
}
} // namespace CardPacketShape
