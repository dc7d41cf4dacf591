#pragma once

#include "nvapitypes.h"

#include <vector>

/// One I2C transaction as it reached the simulated bus.
struct SimI2cTransaction
{
    int card = -1;
    bool extended = false;
    bool write = false;
    NvU32 version = 0;
    NvU8 address = 0; ///< 8-bit form
    std::vector<NvU8> registerBytes;
    std::vector<NvU8> data; ///< bytes written, or bytes answered by a read
    NvStatus status = 0;
};
