#pragma once

#include "nvapitypes.h"
#include "nvmlapi.h"

/// What an NVML answer means to the program: NVAPI's status codes, in one
/// table. NVML's "not supported" family (a missing symbol included) becomes
/// NVAPI's -104, which the program already reads as "this card has no such
/// feature"; a refused write for lack of privileges becomes -137.
namespace NvmlStatus {
constexpr NvStatus InvalidUserPrivilege = -137;
constexpr NvStatus DeviceBusy = -108;
constexpr NvStatus Timeout = -191;

/// The status of an ordinary call.
NvStatus toNvApi(nvmlReturn_t status);
/// The status of the library's start: a driver that is not loaded means no
/// card; a library that no longer matches the kernel module means the driver
/// was upgraded without a reboot.
NvStatus forInit(nvmlReturn_t status);
} // namespace NvmlStatus
