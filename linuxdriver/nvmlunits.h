#pragma once

#include "nvapitypes.h"

#include <cstdint>
#include <string>

/// The unit conversions between NVML and the program's driver records, one
/// place each and named by unit. All saturate instead of wrapping, so a wild
/// value from the driver never turns into a small plausible one.
namespace NvmlUnits {
/// MHz (NVML clocks and offsets) to kHz (NVAPI's clock records).
NvU32 khzFromMhz(std::uint32_t mhz);
NvS32 khzFromMhz(std::int32_t mhz);
/// kHz from a record back to whole MHz, truncated toward zero.
std::int32_t mhzFromKhz(NvS32 khz);
/// Bytes (NVML memory) to KB (NVAPI memory records).
NvU32 kbFromBytes(unsigned long long bytes);
/// A power in mW as 1/1000 percent of the rated (default) limit; 0 without a rating.
NvU32 pct1000FromMilliwatts(std::uint64_t milliwatts, std::uint32_t ratedMilliwatts);
/// 1/1000 percent of the rated limit back to mW, rounded to the nearest.
std::uint32_t milliwattsFromPct1000(std::uint64_t pct1000, std::uint32_t ratedMilliwatts);
/// Whole degrees to 1/256 degree and back (rounded to the nearest degree).
NvS32 raw256FromDegrees(std::int32_t degrees);
std::int32_t degreesFromRaw256(NvS32 raw256);
/// NVML's memory clock offset is in transfer-rate MHz on recent GeForce
/// cards: twice the memory clock NVML reports. The clock it moves, in MHz.
std::int32_t memoryClockMhzFromOffset(std::int32_t transferOffsetMhz);
/// "550.163.01" as NVAPI's driver number major * 100 + the first two digits
/// of the minor (55016); 0 when the text is not a version.
NvU32 driverNumberFromVersion(const std::string &version);
} // namespace NvmlUnits
