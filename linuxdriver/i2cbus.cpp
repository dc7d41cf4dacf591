#include "i2cbus.h"

#include "nvmlstatus.h"

#include <cerrno>

NvStatus I2cBus::statusOf(int error)
{
    switch (error) {
    case 0:
        return NvApiStatus::Ok;
    case EINVAL:
        return NvApiStatus::InvalidArgument;
    case EACCES:
    case EPERM:
        return NvmlStatus::InvalidUserPrivilege;
    case ENOENT:
    case ENODEV:
        return NvApiStatus::NotSupported;
    default:
        return NvApiStatus::Error;
    }
}
