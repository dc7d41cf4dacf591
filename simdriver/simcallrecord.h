#pragma once

#include "nvapitypes.h"

#include <cstddef>
#include <cstdint>

/// One entry call as the driver saw it, in call order.
struct SimCallRecord
{
    NvU32 id = 0;
    NvU32 version = 0; ///< version word of the record passed, 0 for entries without one
    int card = -1; ///< card addressed, -1 for driver-wide entries or a bad handle
    NvStatus status = 0;
    std::uint64_t sequence = 0; ///< counts every call since the driver started
    std::int64_t steadyNs = 0; ///< when the call came, on the steady clock
    std::size_t thread = 0; ///< hash of the calling thread's id
};
