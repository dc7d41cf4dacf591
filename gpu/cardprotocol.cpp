#include "cardprotocol.h"

#include <algorithm>

namespace {
void putU16(std::uint8_t *at, std::uint32_t value)
{
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void putU32(std::uint8_t *at, std::uint32_t value)
{
    putU16(at, value);
    putU16(at + 2, value >> 16);
}
} // namespace

QByteArray CardProtocol::ledCommandPacket(const std::uint8_t *payload, int payloadLength,
    std::uint8_t command, std::uint8_t parameterA, std::uint8_t parameterB, bool store)
{
    if (payloadLength < 0 || payloadLength > MaxLedPayload || (payloadLength > 0 && !payload))
        return QByteArray();
    const int total = payloadLength + 5;
    QByteArray packet(total, '\0');
    auto *bytes = reinterpret_cast<std::uint8_t *>(packet.data());
    bytes[0] = static_cast<std::uint8_t>(total & 0x7F) | (store ? 0x80 : 0x00);
    bytes[1] = command;
    bytes[2] = parameterA;
    bytes[3] = parameterB;
    std::copy(payload, payload + payloadLength, bytes + 4);
    std::uint8_t sum = 0;
    for (int i = 0; i < total - 1; ++i)
        sum = static_cast<std::uint8_t>(sum + bytes[i]);
    bytes[total - 1] = static_cast<std::uint8_t>(~sum);
    return packet;
}

bool CardProtocol::parseLedState(const QByteArray &answer, LedStateReading &state)
{
    if (answer.size() < LedStateLength)
        return false;
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(answer.constData());
    state.kind = bytes[0];
    state.colorCount = std::min<int>(bytes[1], 7);
    for (int i = 0; i < 3; ++i)
        state.parameters[i] = bytes[2 + i];
    for (int c = 0; c < 7; ++c) {
        for (int k = 0; k < 3; ++k)
            state.colors[c][k] = bytes[5 + c * 3 + k];
    }
    return true;
}

std::uint8_t CardProtocol::lcdSwitchTimeCode(int s)
{
    if (s <= 0)
        return 1;
    if (s == 1)
        return 11;
    if (s <= 4)
        return static_cast<std::uint8_t>(s);
    if (s <= 6)
        return 5;
    if (s <= 10)
        return 6;
    if (s <= 15)
        return 7;
    if (s <= 20)
        return 8;
    if (s <= 24)
        return 9;
    if (s <= 29)
        return 10;
    return 11;
}

std::uint8_t CardProtocol::lcdModeByte(
    bool lcdEnabled, bool autoSwitch, int switchSeconds, std::uint8_t displayMode)
{
    if (!lcdEnabled)
        return LcdOff;
    if (!autoSwitch)
        return displayMode;
    return LcdOff | lcdSwitchTimeCode(switchSeconds);
}

std::uint8_t CardProtocol::nextLcdPage(std::uint8_t page)
{
    switch (page) {
    case 0x10:
        return 0x80;
    case 0x80:
        return 0x40;
    case 0x40:
        return 0x20;
    default:
        return 0x10;
    }
}

std::array<std::uint8_t, 5> CardProtocol::lcdModelBytes(const QString &gpuName)
{
    std::array<std::uint8_t, 5> out = { 0, 0, 0, 0, 0 };
    const int match = gpuName.indexOf(QLatin1String("GTX"));
    if (match < 0)
        return out;
    const QString rest = gpuName.mid(match + 4);
    const int space = rest.indexOf(QLatin1Char(' '));
    QString model;
    if (rest.contains(QLatin1String("Ti"))) {
        out[4] = 1;
        if (space < 0)
            return out;
        model = rest.left(space);
    } else {
        model = space < 0 ? rest : rest.left(space);
    }
    model = model.left(4);
    // Right-aligned: the last character lands in the last digit byte.
    const int first = 4 - model.size();
    for (int i = 0; i < model.size(); ++i)
        out[first + i] = static_cast<std::uint8_t>(model.at(i).unicode() - u'0');
    return out;
}

std::uint8_t CardProtocol::lcdFanFlag(
    std::uint32_t subSystemId, const QString &gpuName, std::int32_t fanSpeedRpm)
{
    const bool topByte = (subSystemId >> 24) == 0x13;
    return topByte && !gpuName.contains(QLatin1String("Ti")) && fanSpeedRpm > 0 ? 1 : 0;
}

std::array<std::uint8_t, CardProtocol::LcdFrameLength> CardProtocol::lcdFrame(const LcdFrameData &d)
{
    std::array<std::uint8_t, LcdFrameLength> f = {};
    f[0] = 0xAA;
    f[1] = 0x88;
    f[2] = d.sequence;
    f[3] = d.modeByte;
    putU32(&f[4], d.dedicatedKb);
    putU16(&f[8], static_cast<std::uint32_t>(d.baseGpuClockMhz));
    putU16(&f[10], static_cast<std::uint32_t>(d.thermalLimitC));
    putU16(&f[12], static_cast<std::uint32_t>(d.tachRangeWord));
    const auto model = lcdModelBytes(d.gpuName);
    std::copy(model.begin(), model.end(), f.begin() + 14);
    f[19] = lcdFanFlag(d.subSystemId, d.gpuName, d.fanSpeedRpm);
    f[20] = 0;
    putU32(&f[21], d.usedKb);
    putU16(&f[25], static_cast<std::uint32_t>(d.gpuClockMhz));
    putU16(&f[27], static_cast<std::uint32_t>(d.temperatureC));
    putU16(&f[29], static_cast<std::uint32_t>(d.fanSpeedRpm));
    f[31] = 0;
    f[32] = 0;
    std::uint32_t sum = 0;
    for (int i = 0; i < 33; ++i)
        sum += f[i];
    putU16(&f[33], sum);
    return f;
}

std::int32_t CardProtocol::boardSensorCelsius(std::uint8_t high, std::uint8_t low)
{
    const std::int32_t v = ((std::int32_t(high) << 8) | low) >> 4;
    if (high & 0x80)
        return (v - 4096) / 16;
    return v / 16;
}
