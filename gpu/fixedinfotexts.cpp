#include "fixedinfotexts.h"

#include <array>

namespace {
// Indexed by the driver's memory type code. 14 and 15 are the codes NVIDIA's driver gives GDDR6 and GDDR6X
// cards (published with the public NVAPI bindings); the driver reports those clocks at half the data rate,
// as for GDDR5. No code for GDDR7 is published: such a card stays "Unknown" rather than be named by a guess.
constexpr std::array<MemoryType, 16> MemoryTypes = { {
    { "Unknown", 2 },
    { "SDRAM", 1 },
    { "DDR1", 2 },
    { "DDR2", 2 },
    { "GDDR2", 2 },
    { "GDDR3", 2 },
    { "GDDR4", 4 },
    { "DDR3", 2 },
    { "GDDR5", 2 },
    { "LPDDR2", 2 },
    { "GDDR5X", 2 },
    { "HBM1", 2 },
    { "HBM2", 2 },
    { "SDDR4", 2 },
    { "GDDR6", 2 },
    { "GDDR6X", 2 },
} };
} // namespace

MemoryType FixedInfoTexts::memoryType(bool queryOk, std::uint32_t code)
{
    if (!queryOk || code >= MemoryTypes.size())
        return MemoryTypes[0];
    return MemoryTypes[code];
}

QString FixedInfoTexts::driverVersion(std::uint32_t version)
{
    QString digits = QString::asprintf("%d", static_cast<int>(version));
    while (digits.size() < 3)
        digits.prepend(QLatin1Char('0'));
    return digits.insert(digits.size() - 2, QLatin1Char('.'));
}

QString FixedInfoTexts::bandwidth(int multiplier, std::int32_t memoryMhz, std::uint32_t busWidthBits)
{
    const std::int64_t product = std::int64_t(multiplier) * memoryMhz * std::int64_t(busWidthBits);
    const float gigabytes = static_cast<float>(product) * 0.125f / 1000.0f;
    return QString::asprintf("%.1fGB/s", double(gigabytes));
}
