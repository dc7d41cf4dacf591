#include "nvmlstatus.h"

NvStatus NvmlStatus::toNvApi(nvmlReturn_t status)
{
    switch (status) {
    case Nvml::Return::Success:
        return NvApiStatus::Ok;
    case Nvml::Return::NotSupported:
    case Nvml::Return::FunctionNotFound:
    case Nvml::Return::ArgumentVersionMismatch:
    case Nvml::Return::Deprecated:
        return NvApiStatus::NotSupported;
    case Nvml::Return::NoPermission:
        return InvalidUserPrivilege;
    case Nvml::Return::InvalidArgument:
        return NvApiStatus::InvalidArgument;
    case Nvml::Return::DriverNotLoaded:
        return NvApiStatus::NvidiaDeviceNotFound;
    case Nvml::Return::Timeout:
        return Timeout;
    case Nvml::Return::InUse:
        return DeviceBusy;
    default:
        return NvApiStatus::Error;
    }
}

NvStatus NvmlStatus::forInit(nvmlReturn_t status)
{
    if (status == Nvml::Return::LibRmVersionMismatch)
        return NvApiStatus::LibraryNotFound;
    return toNvApi(status);
}
