#include "nvmlunits.h"

#include <algorithm>
#include <cctype>
#include <limits>

namespace {
template <typename T> T saturate(long double value)
{
    value = std::clamp(value, static_cast<long double>(std::numeric_limits<T>::min()),
        static_cast<long double>(std::numeric_limits<T>::max()));
    return static_cast<T>(value);
}
} // namespace

NvU32 NvmlUnits::khzFromMhz(std::uint32_t mhz)
{
    return saturate<NvU32>(static_cast<long double>(mhz) * 1000);
}

NvS32 NvmlUnits::khzFromMhz(std::int32_t mhz)
{
    return saturate<NvS32>(static_cast<long double>(mhz) * 1000);
}

std::int32_t NvmlUnits::mhzFromKhz(NvS32 khz)
{
    return khz / 1000;
}

NvU32 NvmlUnits::kbFromBytes(unsigned long long bytes)
{
    return saturate<NvU32>(static_cast<long double>(bytes / 1024));
}

NvU32 NvmlUnits::pct1000FromMilliwatts(std::uint64_t milliwatts, std::uint32_t ratedMilliwatts)
{
    if (ratedMilliwatts == 0)
        return 0;
    return saturate<NvU32>(static_cast<long double>(milliwatts) * 100000 / ratedMilliwatts);
}

std::uint32_t NvmlUnits::milliwattsFromPct1000(std::uint64_t pct1000, std::uint32_t ratedMilliwatts)
{
    const long double exact = static_cast<long double>(pct1000) * ratedMilliwatts / 100000;
    return saturate<std::uint32_t>(exact + 0.5L);
}

NvS32 NvmlUnits::raw256FromDegrees(std::int32_t degrees)
{
    return saturate<NvS32>(static_cast<long double>(degrees) * 256);
}

std::int32_t NvmlUnits::degreesFromRaw256(NvS32 raw256)
{
    const long double degrees = static_cast<long double>(raw256) / 256;
    return saturate<std::int32_t>(degrees < 0 ? degrees - 0.5L : degrees + 0.5L);
}

std::int32_t NvmlUnits::memoryClockMhzFromOffset(std::int32_t transferOffsetMhz)
{
    return transferOffsetMhz / 2;
}

NvU32 NvmlUnits::driverNumberFromVersion(const std::string &version)
{
    std::size_t i = 0;
    std::uint64_t major = 0;
    for (; i < version.size() && std::isdigit(static_cast<unsigned char>(version[i])); ++i) {
        major = major * 10 + static_cast<unsigned>(version[i] - '0');
        if (major > 40000000)
            return 0;
    }
    if (i == 0 || i >= version.size() || version[i] != '.')
        return 0;
    ++i;
    unsigned minor = 0;
    int digits = 0;
    for (; i < version.size() && std::isdigit(static_cast<unsigned char>(version[i])) && digits < 2;
         ++i, ++digits)
        minor = minor * 10 + static_cast<unsigned>(version[i] - '0');
    if (digits == 0)
        return 0;
    // "535.5" is 535.05 in the program's two-digit form, not 535.50.
    return static_cast<NvU32>(major * 100 + minor);
}
