#pragma once

#include "nvapirecords.h"

#include <cstdint>
#include <functional>

/// How one I2C transaction reaches the driver: the transport record, filled
/// the same way for every device, and the chain of fallbacks between the
/// plain and the extended entries and the three record versions. Knows no
/// driver: the caller hands in the two calls.
class I2cTransport
{
public:
    /// One driver call with the record as it stands.
    using Call = std::function<NvStatus(NvI2cInfo &)>;

    static constexpr NvU32 DeprecatedSpeed = 0xFFFF;
    static constexpr NvS32 Speed400Khz = 6;
    static constexpr NvU8 PortId = 1;

    /// The record for one transaction. `registerByte` must point at one byte
    /// even when `registerSize` is 0 (the byte is then not sent); sizes above
    /// one byte are taken as one. The version is left for run().
    static NvI2cInfo record(
        std::uint8_t address, std::uint8_t *registerByte, int registerSize, std::uint8_t *data, int count);

    /// Runs the transaction: the plain call with the newest version first.
    /// A version refusal steps the version down on the plain call; any other
    /// failure moves over to the extended call at the same version, which on
    /// a refusal steps down itself. Three versions at most, no other retry.
    static bool run(NvI2cInfo &info, const Call &plain, const Call &extended);

private:
    /// One step down from the version that failed with `status`.
    static NvStatus stepDown(
        NvI2cInfo &info, NvStatus status, NvU32 olderVersion, const Call &plain, const Call &extended);
};
