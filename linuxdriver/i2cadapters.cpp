#include "i2cadapters.h"

#include <cctype>
#include <cstdlib>
#include <fstream>

#include <dirent.h>

namespace {

constexpr char Prefix[] = "NVIDIA i2c adapter ";

/// Reads a hexadecimal (or decimal) number at `at`, moving past it.
std::optional<unsigned long> number(const std::string &text, std::size_t &at, int base)
{
    const std::size_t start = at;
    unsigned long value = 0;
    while (at < text.size() && std::isxdigit(static_cast<unsigned char>(text[at]))) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[at])));
        const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : c - 'a' + 10;
        if (digit >= base)
            break;
        value = value * static_cast<unsigned long>(base) + static_cast<unsigned long>(digit);
        if (value > 0xFFFFFFul)
            return std::nullopt;
        ++at;
    }
    if (at == start)
        return std::nullopt;
    return value;
}

bool expect(const std::string &text, std::size_t &at, char c)
{
    if (at >= text.size() || text[at] != c)
        return false;
    ++at;
    return true;
}

struct PciLocation
{
    unsigned long bus = 0, slot = 0, function = 0;
    bool operator==(const PciLocation &o) const
    {
        return bus == o.bus && slot == o.slot && function == o.function;
    }
};

/// "0000:01:00.0" (sysfs, with the domain).
std::optional<PciLocation> parseBusId(const std::string &busId)
{
    std::size_t at = 0;
    PciLocation l;
    auto domain = number(busId, at, 16);
    if (!domain || !expect(busId, at, ':'))
        return std::nullopt;
    auto bus = number(busId, at, 16);
    if (!bus || !expect(busId, at, ':'))
        return std::nullopt;
    auto slot = number(busId, at, 16);
    if (!slot || !expect(busId, at, '.'))
        return std::nullopt;
    auto function = number(busId, at, 10);
    if (!function || at != busId.size())
        return std::nullopt;
    l = { *bus, *slot, *function };
    return l;
}

} // namespace

std::optional<int> I2cAdapters::portOf(const std::string &name, const std::string &busId)
{
    std::string text = name;
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    if (text.compare(0, sizeof Prefix - 1, Prefix) != 0)
        return std::nullopt;
    std::size_t at = sizeof Prefix - 1;
    const auto port = number(text, at, 10);
    if (!port || text.compare(at, 4, " at ") != 0)
        return std::nullopt;
    at += 4;
    // "<bus>:<slot>.<fn>": bus in unpadded hex, no PCI domain.
    PciLocation named;
    const auto bus = number(text, at, 16);
    if (!bus || !expect(text, at, ':'))
        return std::nullopt;
    const auto slot = number(text, at, 16);
    if (!slot || !expect(text, at, '.'))
        return std::nullopt;
    const auto function = number(text, at, 10);
    if (!function || at != text.size())
        return std::nullopt;
    named = { *bus, *slot, *function };
    const auto device = parseBusId(busId);
    if (!device || !(named == *device))
        return std::nullopt;
    return static_cast<int>(*port);
}

std::optional<int> I2cAdapters::cardAdapter(const std::string &root, const std::string &busId)
{
    if (busId.empty() || busId.find('/') != std::string::npos || busId.find("..") != std::string::npos)
        return std::nullopt;
    const std::string folder = root + "/bus/pci/devices/" + busId;
    DIR *dir = ::opendir(folder.c_str());
    if (!dir)
        return std::nullopt;
    std::optional<int> found;
    while (const dirent *entry = ::readdir(dir)) {
        const std::string entryName = entry->d_name;
        if (entryName.compare(0, 4, "i2c-") != 0)
            continue;
        std::size_t at = 4;
        const auto adapter = number(entryName, at, 10);
        if (!adapter || at != entryName.size())
            continue;
        std::ifstream file(folder + "/" + entryName + "/name");
        std::string name;
        std::getline(file, name);
        if (portOf(name, busId) == CardPort && (!found || static_cast<int>(*adapter) < *found))
            found = static_cast<int>(*adapter);
    }
    ::closedir(dir);
    return found;
}

std::string I2cAdapters::sysfsRoot()
{
    const char *root = std::getenv("LUMETRA_LINUX_SYSFS_ROOT");
    return root && root[0] == '/' ? root : "/sys";
}
