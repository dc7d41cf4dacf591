#pragma once

#include "simrecordkind.h"

#include "nvapitypes.h"

#include <cstddef>
#include <vector>

/// The version words a driver of this build understands, per record kind,
/// and the record size each word describes.
class SimVersions
{
public:
    /// Every word the driver accepts for the kind, newest first.
    static std::vector<NvU32> supported(SimRecordKind kind);
    static bool isSupported(SimRecordKind kind, NvU32 word);

    /// Bytes of the record the word covers (its low 16 bits).
    static std::size_t sizeOf(NvU32 word) { return word & 0xFFFFu; }
    static NvU32 versionOf(NvU32 word) { return word >> 16; }
};
