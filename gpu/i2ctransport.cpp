#include "i2ctransport.h"

#include "nvapiversions.h"

#include <algorithm>
#include <cstring>

NvI2cInfo I2cTransport::record(
    std::uint8_t address, std::uint8_t *registerByte, int registerSize, std::uint8_t *data, int count)
{
    NvI2cInfo info;
    std::memset(&info, 0, sizeof(info));
    info.displayMask = 0;
    info.bIsDDCPort = 0;
    info.i2cDevAddress = address;
    info.pbI2cRegAddress = registerByte;
    info.regAddrSize = static_cast<NvU32>(std::clamp(registerSize, 0, 1));
    info.pbData = data;
    info.cbSize = static_cast<NvU32>(std::max(count, 0));
    info.i2cSpeed = DeprecatedSpeed;
    info.i2cSpeedKhz = Speed400Khz;
    info.portId = PortId;
    info.bIsPortIdSet = 1;
    return info;
}

NvStatus I2cTransport::stepDown(
    NvI2cInfo &info, NvStatus status, NvU32 olderVersion, const Call &plain, const Call &extended)
{
    if (status == NvApiStatus::IncompatibleStructVersion) {
        info.version = olderVersion;
        return plain(info);
    }
    status = extended(info);
    if (status != NvApiStatus::IncompatibleStructVersion)
        return status;
    info.version = olderVersion;
    return extended(info);
}

bool I2cTransport::run(NvI2cInfo &info, const Call &plain, const Call &extended)
{
    info.version = NvApiVersion::i2cV3;
    NvStatus status = plain(info);
    if (status == NvApiStatus::Ok)
        return true;
    status = stepDown(info, status, NvApiVersion::i2cV2, plain, extended);
    if (status == NvApiStatus::Ok)
        return true;
    return stepDown(info, status, NvApiVersion::i2cV1, plain, extended) == NvApiStatus::Ok;
}
