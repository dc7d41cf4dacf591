#pragma once

#include "nvapirecords.h"
#include "nvrecordversions.h"

#include <algorithm>
#include <cstring>

/// The checks of an I2C transport record that every driver library makes
/// before a transaction, so that the program's version ladder behaves the
/// same on each: null pointers with a size, sizes, the speed fields of
/// versions 2 and 3, the port of version 3. Only the bytes the record's
/// version covers are looked at.
namespace NvI2cTransportCheck {
constexpr NvStatus PortIdNotFound = -105;
constexpr NvStatus ArgumentExceedMaxSize = -116;
constexpr std::size_t MaxData = 4096;
constexpr std::size_t MaxRegister = 4;
constexpr std::size_t MaxDataWithRegister = 16;
constexpr NvU32 DeprecatedSpeed = 0xFFFF;
constexpr NvS32 FastestSpeedCode = 6;

/// The caller's record as far as its version covers it; false for a null
/// record or a version word the drivers do not accept.
inline bool covered(const NvI2cInfo *info, NvI2cInfo &out)
{
    out = NvI2cInfo {};
    if (!info || !NvRecordVersions::isSupported(NvRecordKind::I2cInfo, info->version))
        return false;
    std::memcpy(&out, info, std::min(NvRecordVersions::sizeOf(info->version), sizeof out));
    return true;
}

/// Ok, or the status the driver answers for the record.
inline NvStatus check(const NvI2cInfo &covered, NvU8 port)
{
    if (covered.regAddrSize > 0 && !covered.pbI2cRegAddress)
        return NvApiStatus::InvalidArgument;
    if (covered.cbSize > 0 && !covered.pbData)
        return NvApiStatus::InvalidArgument;
    if (covered.regAddrSize > MaxRegister || covered.cbSize > MaxData)
        return ArgumentExceedMaxSize;
    if (covered.regAddrSize > 0 && covered.cbSize > MaxDataWithRegister)
        return ArgumentExceedMaxSize;
    const NvU32 version = NvRecordVersions::versionOf(covered.version);
    if (version >= 2
        && (covered.i2cSpeed != DeprecatedSpeed || covered.i2cSpeedKhz < 0
            || covered.i2cSpeedKhz > FastestSpeedCode))
        return NvApiStatus::InvalidArgument;
    if (version >= 3 && covered.bIsPortIdSet && covered.portId != port)
        return PortIdNotFound;
    return NvApiStatus::Ok;
}
} // namespace NvI2cTransportCheck
