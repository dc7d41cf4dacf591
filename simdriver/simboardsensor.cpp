#include "simboardsensor.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double HysteresisC = 75.0;
constexpr double OverTemperatureC = 80.0;
} // namespace

void SimBoardSensor::receive(const std::vector<NvU8> &bytes)
{
    if (bytes.empty())
        return;
    m_pointer = bytes[0] & 0x03;
    if (m_pointer == 1 && bytes.size() > 1)
        m_configuration = bytes[1];
}

std::vector<NvU8> SimBoardSensor::answer(std::size_t count, double celsius) const
{
    std::array<NvU8, 2> word = { m_configuration, m_configuration };
    if (m_pointer == 0)
        word = encode(celsius);
    else if (m_pointer == 2)
        word = encode(HysteresisC);
    else if (m_pointer == 3)
        word = encode(OverTemperatureC);
    // Reading on past the register repeats it, as these parts do.
    std::vector<NvU8> bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = word[i % 2];
    return bytes;
}

std::array<NvU8, 2> SimBoardSensor::encode(double celsius)
{
    const double clamped = std::clamp(celsius, -128.0, 127.9375);
    const int sixteenths = static_cast<int>(clamped * 16.0); // toward zero
    const auto raw = static_cast<std::uint16_t>(static_cast<std::uint16_t>(sixteenths) << 4);
    return { static_cast<NvU8>(raw >> 8), static_cast<NvU8>(raw & 0xFF) };
}
