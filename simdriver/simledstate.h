#pragma once

#include "nvapitypes.h"

#include <array>

/// What the lighting controller keeps from the last command it accepted.
struct SimLedState
{
    NvU8 kind = 0;
    NvU8 command = 0;
    NvU8 paramA = 0;
    NvU8 paramB = 0;
    int colourCount = 0;
    std::array<NvU8, 21> colours = {}; ///< up to 7 RGB triples, red first
    bool stored = false; ///< bit 7 of the last command's length byte
};
