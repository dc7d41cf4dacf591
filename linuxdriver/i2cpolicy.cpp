#include "i2cpolicy.h"

#include "cardpacketshape.h"
#include "makerids.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

constexpr NvU32 NvidiaVendorId = 0x10DE;
constexpr NvU8 LedWrite = 0xA0;
constexpr NvU8 LcdWrite = 0xAC;
constexpr NvU8 Allowed[] = { 0xA0, 0xA1, 0xAC, 0x90, 0x92, 0x96, 0x9E };
constexpr char DefaultConfFile[] = "/etc/lumetra/i2c.conf";
constexpr std::size_t MaxConfBytes = 64 * 1024;

bool parseNumber(const std::string &text, unsigned long &value)
{
    if (text.empty())
        return false;
    char *end = nullptr;
    value = std::strtoul(text.c_str(), &end, 0);
    return end && *end == '\0';
}

void parseAdapters(const std::string &text, std::map<std::string, int> &adapters)
{
    std::istringstream items(text);
    std::string item;
    while (std::getline(items, item, ',')) {
        const std::size_t equals = item.find('=');
        unsigned long adapter = 0;
        if (equals == std::string::npos || !parseNumber(item.substr(equals + 1), adapter) || adapter > 4095)
            continue;
        adapters[item.substr(0, equals)] = static_cast<int>(adapter);
    }
}

std::string readConf(const std::string &path)
{
    std::ifstream file(path);
    std::string text(MaxConfBytes, '\0');
    file.read(&text[0], static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(std::max<std::streamsize>(0, file.gcount())));
    return text;
}

} // namespace

I2cPolicy I2cPolicy::load()
{
    const char *confVariable = std::getenv("LUMETRA_I2C_CONF");
    const std::string conf = confVariable && confVariable[0] == '/' ? confVariable : DefaultConfFile;
    return parse(readConf(conf), std::getenv("LUMETRA_LINUX_I2C"), std::getenv("LUMETRA_LINUX_I2C_ADAPTER"));
}

I2cPolicy I2cPolicy::parse(const std::string &fileText, const char *switchValue, const char *adapterValue)
{
    I2cPolicy policy;
    std::istringstream lines(fileText);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::string keyword, first, second;
        words >> keyword >> first >> second;
        unsigned long value = 0;
        if (keyword == "off")
            policy.enabled = false;
        else if (keyword == "allow" && parseNumber(first, value))
            policy.extraSubsystemIds.push_back(static_cast<NvU32>(value));
        else if (keyword == "only" && parseNumber(first, value))
            policy.onlySubsystemIds.push_back(static_cast<NvU32>(value));
        else if (keyword == "adapter" && parseNumber(second, value) && value <= 4095)
            policy.adapters[first] = static_cast<int>(value);
    }
    if (switchValue && std::string(switchValue) == "off")
        policy.enabled = false;
    if (adapterValue)
        parseAdapters(adapterValue, policy.adapters);
    return policy;
}

bool I2cPolicy::cardAllowed(NvU32 pciDeviceId, NvU32 subsystemId) const
{
    if ((pciDeviceId & 0xFFFFu) != NvidiaVendorId)
        return false;
    const auto listed = [subsystemId](const std::vector<NvU32> &ids) {
        return std::find(ids.begin(), ids.end(), subsystemId) != ids.end();
    };
    if (listed(extraSubsystemIds))
        return true;
    if (!onlySubsystemIds.empty())
        return listed(onlySubsystemIds);
    return (subsystemId & 0xFFFFu) == MakerSubsystemVendorId;
}

bool I2cPolicy::addressAllowed(NvU8 address)
{
    return std::find(std::begin(Allowed), std::end(Allowed), address) != std::end(Allowed);
}

NvStatus I2cPolicy::writeAllowed(NvU8 address, const NvU8 *bytes, std::size_t size)
{
    if (address == LedWrite)
        return CardPacketShape::isLedPacket(bytes, size) ? NvApiStatus::Ok : NvApiStatus::InvalidArgument;
    if (address == LcdWrite)
        return CardPacketShape::isLcdFrame(bytes, size) ? NvApiStatus::Ok : NvApiStatus::InvalidArgument;
    return NvApiStatus::NotSupported;
}
