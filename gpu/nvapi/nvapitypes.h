#pragma once

#include <cstdint>

/// Basic NVAPI types shared by the binding, the controller and the simulated
/// driver. Status codes stay inside the GPU access layer.
using NvStatus = std::int32_t;
using NvU8 = std::uint8_t;
using NvU32 = std::uint32_t;
using NvS32 = std::int32_t;

/// Opaque GPU handle, pointer sized like the driver's own.
struct NvPhysicalGpuHandle__;
using NvPhysicalGpuHandle = NvPhysicalGpuHandle__ *;

namespace NvApiStatus {
constexpr NvStatus Ok = 0;
constexpr NvStatus Error = -1;
constexpr NvStatus LibraryNotFound = -2;
constexpr NvStatus NoImplementation = -3;
constexpr NvStatus ApiNotInitialized = -4;
constexpr NvStatus InvalidArgument = -5;
constexpr NvStatus NvidiaDeviceNotFound = -6;
constexpr NvStatus InvalidHandle = -8;
constexpr NvStatus IncompatibleStructVersion = -9;
constexpr NvStatus HandleInvalidated = -10;
constexpr NvStatus ExpectedPhysicalGpuHandle = -101;
constexpr NvStatus NotSupported = -104;
constexpr NvStatus ApiInUse = -209;
} // namespace NvApiStatus

namespace NvApiLimits {
constexpr int MaxPhysicalGpus = 64;
constexpr int ShortStringMax = 64;
} // namespace NvApiLimits

/// Builds a record's version word: size in the low 16 bits, version above.
constexpr NvU32 nvVersionWord(std::size_t size, NvU32 version)
{
    return static_cast<NvU32>(size) | (version << 16);
}
