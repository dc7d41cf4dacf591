#pragma once

#include "nvapitypes.h"

#include <array>
#include <vector>

/// One board temperature sensor, an LM75-style part: a pointer register
/// chosen by the first byte written; register 0 is the temperature, 1 the
/// configuration, 2 the hysteresis and 3 the over-temperature limit.
/// Temperatures are 12-bit two's complement in sixteenths of a degree, left
/// aligned in two big-endian bytes.
class SimBoardSensor
{
public:
    void receive(const std::vector<NvU8> &bytes);
    /// `count` bytes from the current register; the temperature register
    /// answers `celsius`.
    std::vector<NvU8> answer(std::size_t count, double celsius) const;

    static std::array<NvU8, 2> encode(double celsius);

private:
    NvU8 m_pointer = 0;
    NvU8 m_configuration = 0;
};
