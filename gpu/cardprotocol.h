#pragma once

#include "tuningrecords.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

/// The byte formats the card's firmware expects on its I2C bus: the lighting
/// controller's command packet and state answer, the LCD frame, the board
/// sensors' readings. Pure functions, so every byte can be checked directly.
class CardProtocol
{
public:
    // 8-bit device addresses.
    static constexpr std::uint8_t LedWriteAddress = 0xA0;
    static constexpr std::uint8_t LedStateAddress = 0xA1;
    static constexpr std::uint8_t LcdAddress = 0xAC;
    static constexpr std::array<std::uint8_t, 4> BoardSensorAddresses = { 0x9E, 0x90, 0x96, 0x92 };

    static constexpr int LedStateLength = 27;
    static constexpr int LcdFrameLength = 35;
    /// Seven colours: more would not fit the packet's length bits.
    static constexpr int MaxLedPayload = 21;

    /// The lighting controller's capability command, sent with no payload at start-up.
    static constexpr std::uint8_t LedProbeCommand = 10;
    /// The switch interval of the start-up LCD frame.
    static constexpr int LcdProbeSwitchSeconds = 10;

    /// LCD pages, in their switching order 0x10, 0x80, 0x40, 0x20.
    static constexpr std::uint8_t LcdOff = 0xF0;

    /// The command packet, or an empty array when the payload is too long.
    static QByteArray ledCommandPacket(const std::uint8_t *payload, int payloadLength, std::uint8_t command,
        std::uint8_t parameterA, std::uint8_t parameterB, bool store);

    /// Parses the 27-byte state answer; false when it is shorter.
    static bool parseLedState(const QByteArray &answer, LedStateReading &state);

    /// The mode byte of a frame.
    static std::uint8_t lcdModeByte(
        bool lcdEnabled, bool autoSwitch, int switchSeconds, std::uint8_t displayMode);
    /// The switch-time code carried in the low bits of an auto-switching mode byte.
    static std::uint8_t lcdSwitchTimeCode(int switchSeconds);
    /// The next page of the switching cycle.
    static std::uint8_t nextLcdPage(std::uint8_t page);

    /// Bytes 14 to 18 of a frame: four model digits, right-aligned, and the "Ti" byte.
    static std::array<std::uint8_t, 5> lcdModelBytes(const QString &gpuName);
    static std::uint8_t lcdFanFlag(
        std::uint32_t subSystemId, const QString &gpuName, std::int32_t fanSpeedRpm);

    /// Everything a frame carries besides its framing.
    struct LcdFrameData
    {
        std::uint8_t sequence = 0;
        std::uint8_t modeByte = LcdOff;
        std::uint32_t dedicatedKb = 0;
        std::int32_t baseGpuClockMhz = 0;
        std::int32_t thermalLimitC = 0;
        std::int32_t tachRangeWord = 0;
        QString gpuName;
        std::uint32_t subSystemId = 0;
        std::uint32_t usedKb = 0;
        std::int32_t gpuClockMhz = 0;
        std::int32_t temperatureC = 0;
        std::int32_t fanSpeedRpm = 0;
    };
    static std::array<std::uint8_t, LcdFrameLength> lcdFrame(const LcdFrameData &data);

    /// Degrees Celsius from a board sensor's two bytes (12-bit two's complement, 1/16 degree).
    static std::int32_t boardSensorCelsius(std::uint8_t high, std::uint8_t low);
};
