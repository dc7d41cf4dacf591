#pragma once

#include "simdriver.h"
#include "workertestsupport.h"

#include <QElapsedTimer>
#include <QTest>

#include <cstdint>
#include <vector>

// Building and reading what reaches the simulated lighting controller, for the LED tests.

constexpr NvU8 LedWriteAddress = 0xA0;

/// The checksum byte of an LED command: NOT of the 8-bit sum before it.
inline NvU8 ledChecksum(const std::vector<NvU8> &bytesBefore)
{
    NvU8 sum = 0;
    for (NvU8 b : bytesBefore)
        sum = static_cast<NvU8>(sum + b);
    return static_cast<NvU8>(~sum);
}

/// An LED command packet as the controller expects it: length with the store flag in bit 7, command,
/// parameters, payload and the complement of the 8-bit sum.
inline std::vector<NvU8> ledPacket(
    NvU8 command, NvU8 a, NvU8 b, const std::vector<NvU8> &payload, bool store = false)
{
    std::vector<NvU8> packet;
    packet.push_back(static_cast<NvU8>((payload.size() + 5) | (store ? 0x80 : 0)));
    packet.push_back(command);
    packet.push_back(a);
    packet.push_back(b);
    packet.insert(packet.end(), payload.begin(), payload.end());
    packet.push_back(ledChecksum(packet));
    return packet;
}

/// Every accepted write to the lighting controller, in order.
inline std::vector<std::vector<NvU8>> ledWrites()
{
    return i2cWritesTo(LedWriteAddress);
}

inline std::vector<NvU8> lastLedWrite()
{
    const auto writes = ledWrites();
    return writes.empty() ? std::vector<NvU8>() : writes.back();
}

/// Waits, with events handled, until the lighting controller has taken `count` writes.
inline bool waitForLedWrites(std::size_t count, int timeoutMs = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (ledWrites().size() < count) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QTest::qWait(5);
    }
    return true;
}

inline QByteArray hex(const std::vector<NvU8> &bytes)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), int(bytes.size())).toHex(' ');
}
