#pragma once

#include "cardprotocol.h"
#include "workertestsupport.h"

#include <utility>
#include <vector>

// Reading what reached the simulated card's LCD, for the feeder's and the LCD page's tests.

/// The mode byte of every LCD frame the card accepted, in order.
inline std::vector<NvU8> sentModes()
{
    std::vector<NvU8> modes;
    for (const std::vector<NvU8> &frame : i2cWritesTo(CardProtocol::LcdAddress)) {
        if (frame.size() == CardProtocol::LcdFrameLength)
            modes.push_back(frame[3]);
    }
    return modes;
}

/// Consecutive runs of the same mode: (mode, length).
inline std::vector<std::pair<NvU8, int>> runsOf(const std::vector<NvU8> &modes)
{
    std::vector<std::pair<NvU8, int>> runs;
    for (NvU8 m : modes) {
        if (runs.empty() || runs.back().first != m)
            runs.push_back({ m, 0 });
        ++runs.back().second;
    }
    return runs;
}
