#include "carddriver.h"

#include "i2ctransport.h"
#include "nvapibinding.h"
#include "nvapiversions.h"
#include "policytables.h"

#include <array>
#include <cstring>

namespace {
NvApiBinding &nv()
{
    return NvApiBinding::instance();
}

/// The cooler selector that addresses every cooler of the card.
constexpr NvU32 AllCoolers = 7;
} // namespace

bool CardDriver::clockFrequencies(ClockKind kind, NvClockFrequencies &freq) const
{
    return tryLadder(NvApiVersion::clockFrequenciesLadder, [&](NvU32 word) {
        std::memset(&freq, 0, sizeof(freq));
        freq.version = word;
        freq.clockType = static_cast<NvU32>(kind) & 0xF;
        return nv().gpuGetAllClockFrequencies(m_gpu, &freq);
    }).ok();
}

bool CardDriver::pstates(NvPstates20Info &info) const
{
    const LadderResult result = tryLadder(NvApiVersion::pstates20Ladder, [&](NvU32 word) {
        std::memset(&info, 0, sizeof(info));
        info.version = word;
        return nv().gpuGetPstates20(m_gpu, &info);
    });
    if (!result.ok())
        std::memset(&info, 0, sizeof(info));
    return result.ok();
}

bool CardDriver::setPstates(NvPstates20Info &info, bool memoryLadder) const
{
    const auto &ladder = memoryLadder ? NvApiVersion::memoryOffsetLadder : NvApiVersion::pstates20Ladder;
    return tryLadder(ladder, [&](NvU32 word) {
        info.version = word;
        return nv().gpuSetPstates20(m_gpu, &info);
    }).ok();
}

LadderResult CardDriver::memoryInfo(NvMemoryInfo &info) const
{
    return tryLadder(NvApiVersion::memoryInfoLadder, [&](NvU32 word) {
        std::memset(&info, 0, sizeof(info));
        info.version = word;
        return nv().gpuGetMemoryInfo(m_gpu, &info);
    });
}

bool CardDriver::thermalSettings(NvThermalSettings &settings) const
{
    return tryLadder(NvApiVersion::thermalSettingsLadder, [&](NvU32 word) {
        std::memset(&settings, 0, sizeof(settings));
        settings.version = word;
        return nv().gpuGetThermalSettings(m_gpu, 0, &settings);
    }).ok();
}

LadderResult CardDriver::coolerSettingsForReading(NvCoolerSettings &settings) const
{
    return tryLadder(
        NvApiVersion::coolerSettingsLadder,
        [&](NvU32 word) {
            settings = NvCoolerSettings();
            settings.setVersion(word);
            return nv().gpuGetCoolerSettings(m_gpu, AllCoolers, &settings);
        },
        [](NvStatus status, std::size_t index) {
            return index > 0 || status == NvApiStatus::IncompatibleStructVersion;
        });
}

bool CardDriver::coolerSettings(NvCoolerSettings &settings) const
{
    return tryLadder(NvApiVersion::coolerSettingsLadder, [&](NvU32 word) {
        settings.setVersion(word);
        return nv().gpuGetCoolerSettings(m_gpu, AllCoolers, &settings);
    }).ok();
}

bool CardDriver::setCoolerLevels(int level, int policy, bool retryShort) const
{
    NvCoolerLevels levels;
    levels.setS32(NvCoolerLevels::level(0), level);
    levels.setS32(NvCoolerLevels::policy(0), policy);
    const auto write = [&](NvU32 word) {
        levels.setVersion(word);
        return nv().gpuSetCoolerLevels(m_gpu, AllCoolers, &levels);
    };
    if (retryShort)
        return tryLadder(NvApiVersion::coolerLevelsLadder, write).ok();
    return tryLadder(std::array<NvU32, 1> { NvApiVersion::coolerLevelsV1 }, write).ok();
}

bool CardDriver::powerPoliciesInfo(NvPowerPoliciesInfo &info) const
{
    info.setVersion(NvApiVersion::powerPoliciesInfoV1);
    return nv().gpuPowerPoliciesGetInfo(m_gpu, &info) == NvApiStatus::Ok
        && info.u8(NvPowerPoliciesInfo::supported) != 0;
}

bool CardDriver::setPowerLimit(int policyId, std::uint32_t limitRaw) const
{
    NvPowerPoliciesStatus status = PolicyTables::powerLimitRecord(policyId, limitRaw);
    return nv().gpuPowerPoliciesSetStatus(m_gpu, &status) == NvApiStatus::Ok;
}

NvStatus CardDriver::thermalPoliciesInfo(NvThermalPoliciesInfo &info) const
{
    return tryLadder(NvApiVersion::thermalPoliciesInfoLadder, [&](NvU32 word) {
        info.setVersion(word);
        return nv().gpuThermalPoliciesGetInfo(m_gpu, &info);
    }).status;
}

NvStatus CardDriver::thermalPoliciesStatus(NvThermalPoliciesStatus &status) const
{
    return tryLadder(NvApiVersion::thermalPoliciesStatusLadder, [&](NvU32 word) {
        status.setVersion(word);
        return nv().gpuThermalPoliciesGetStatus(m_gpu, &status);
    }).status;
}

NvStatus CardDriver::setThermalPoliciesStatus(NvThermalPoliciesStatus &status) const
{
    return tryLadder(NvApiVersion::thermalPoliciesStatusLadder, [&](NvU32 word) {
        status.setVersion(word);
        return nv().gpuThermalPoliciesSetStatus(m_gpu, &status);
    }).status;
}

bool CardDriver::linkLimits(int powerPolicyId, int thermalPolicyId, LinkLimits &limits) const
{
    NvPowerPoliciesInfo powerInfo;
    if (!powerPoliciesInfo(powerInfo))
        return false;
    const PowerPolicy power = PolicyTables::findPower(powerInfo, powerPolicyId);
    if (!power.found)
        return false;
    NvThermalPoliciesInfo thermalInfo;
    if (thermalPoliciesInfo(thermalInfo) != NvApiStatus::Ok || !PolicyTables::thermalSupported(thermalInfo))
        return false;
    const ThermalPolicy thermal = PolicyTables::findThermal(thermalInfo, thermalPolicyId);
    if (!thermal.found)
        return false;
    limits = LinkScaling::fromRaw(float(power.minRaw), float(power.defaultRaw), float(power.maxRaw),
        thermal.minRaw, thermal.defaultRaw, thermal.maxRaw);
    return true;
}

bool CardDriver::i2c(bool write, std::uint8_t address, std::uint8_t registerAddress, int registerSize,
    std::uint8_t *buffer, int count) const
{
    if (!m_gpu || count < 0 || (count > 0 && !buffer))
        return false;
    std::uint8_t reg = registerAddress; // present even when nothing is sent
    NvI2cInfo info = I2cTransport::record(address, &reg, registerSize, buffer, count);
    NvU32 outPair[2] = { 0, 0 };
    const I2cTransport::Call plain
        = [&](NvI2cInfo &r) { return write ? nv().i2cWrite(m_gpu, &r) : nv().i2cRead(m_gpu, &r); };
    const I2cTransport::Call extended = [&](NvI2cInfo &r) {
        return write ? nv().i2cWriteEx(m_gpu, &r, outPair) : nv().i2cReadEx(m_gpu, &r, outPair);
    };
    return I2cTransport::run(info, plain, extended);
}
