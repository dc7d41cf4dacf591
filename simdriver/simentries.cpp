#include "simentries.h"

#include "nvrecordversions.h"
#include "simcallguard.h"
#include "simdriver.h"
#include "simrecordwriter.h"
#include "simtuningapplier.h"

#include "nvapiids.h"
#include "nvapiversions.h"
#include "nventrytable.h"
#include "nvi2ctransportcheck.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

void *SimEntries::entryFor(NvU32 id)
{
    if (id == NvApiId::PreCallHook)
        return nvEntry<NvApiFn::PreCallHook>(&preCallHook);
    if (id == NvApiId::PostCallHook)
        return nvEntry<NvApiFn::PostCallHook>(&postCallHook);
    return nvEntryFor<SimEntries>(id);
}

// Driver-wide entries ------------------------------------------------------------

NvStatus SimEntries::initialize()
{
    SimCallGuard call(NvApiId::Initialize);
    if (!call.proceed())
        return call.status();
    SimDriver &driver = call.driver();
    if (driver.m_initializeStatus == NvApiStatus::Ok)
        driver.m_initialized = true;
    return call.finish(driver.m_initializeStatus);
}

NvStatus SimEntries::unload()
{
    SimCallGuard call(NvApiId::Unload);
    if (!call.proceed())
        return call.status();
    SimDriver &driver = call.driver();
    const NvStatus status = driver.m_unloadStatus;
    const int delayMs = driver.m_unloadDelayMs;
    if (status == NvApiStatus::Ok)
        driver.m_initialized = false;
    call.finish(status);
    call.unlock();
    if (delayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    return status;
}

NvStatus SimEntries::sysGetDriverAndBranchVersion(NvU32 *driverVersion, char *branch)
{
    SimCallGuard call(NvApiId::SysGetDriverAndBranchVersion);
    if (!call.proceed())
        return call.status();
    if (!driverVersion || !branch)
        return call.finish(NvApiStatus::InvalidArgument);
    *driverVersion = call.driver().m_driverVersion;
    copyText(branch, call.driver().m_branch);
    return call.finish(NvApiStatus::Ok);
}

NvStatus SimEntries::enumPhysicalGpus(NvPhysicalGpuHandle *handles, NvU32 *count)
{
    return enumerate(NvApiId::EnumPhysicalGpus, false, handles, count);
}

NvStatus SimEntries::enumTccPhysicalGpus(NvPhysicalGpuHandle *handles, NvU32 *count)
{
    return enumerate(NvApiId::EnumTccPhysicalGpus, true, handles, count);
}

NvStatus SimEntries::enumerate(NvU32 id, bool tcc, NvPhysicalGpuHandle *handles, NvU32 *count)
{
    SimCallGuard call(id);
    if (!call.proceed())
        return call.status();
    if (!handles || !count)
        return call.finish(NvApiStatus::InvalidArgument);
    SimDriver &driver = call.driver();
    NvU32 found = 0;
    for (int card = 0; card < static_cast<int>(driver.m_cards.size()); ++card) {
        if (driver.m_cards[card]->config().tcc != tcc || found >= NvApiLimits::MaxPhysicalGpus)
            continue;
        handles[found++] = driver.handleLocked(card);
    }
    *count = found;
    // Without a display GPU the driver reports that it found no NVIDIA device.
    if (!tcc && found == 0)
        return call.finish(NvApiStatus::NvidiaDeviceNotFound);
    return call.finish(NvApiStatus::Ok);
}

// Identity and fixed information ---------------------------------------------------

NvStatus SimEntries::gpuGetFullName(NvPhysicalGpuHandle gpu, char *text)
{
    SimCallGuard call(NvApiId::GpuGetFullName, gpu);
    if (!call.proceed())
        return call.status();
    if (!text)
        return call.finish(NvApiStatus::InvalidArgument);
    copyText(text, call.card().config().name);
    return call.finish(NvApiStatus::Ok);
}

NvStatus SimEntries::gpuGetVbiosVersionString(NvPhysicalGpuHandle gpu, char *text)
{
    SimCallGuard call(NvApiId::GpuGetVbiosVersionString, gpu);
    if (!call.proceed())
        return call.status();
    if (!text)
        return call.finish(NvApiStatus::InvalidArgument);
    copyText(text, call.card().config().vbiosVersion);
    return call.finish(NvApiStatus::Ok);
}

NvStatus SimEntries::gpuGetPciIdentifiers(
    NvPhysicalGpuHandle gpu, NvU32 *deviceId, NvU32 *subSystemId, NvU32 *revisionId, NvU32 *extDeviceId)
{
    SimCallGuard call(NvApiId::GpuGetPciIdentifiers, gpu);
    if (!call.proceed())
        return call.status();
    if (!deviceId || !subSystemId || !revisionId || !extDeviceId)
        return call.finish(NvApiStatus::InvalidArgument);
    const SimCardConfig &config = call.card().config();
    *deviceId = config.deviceId;
    *subSystemId = config.subsystemId;
    *revisionId = config.revisionId;
    *extDeviceId = config.extDeviceId;
    return call.finish(NvApiStatus::Ok);
}

NvStatus SimEntries::gpuGetMemoryType(NvPhysicalGpuHandle gpu, NvU32 *code)
{
    SimCallGuard call(NvApiId::GpuGetMemoryType, gpu);
    if (!call.proceed())
        return call.status();
    if (!code)
        return call.finish(NvApiStatus::InvalidArgument);
    *code = call.card().config().memoryType;
    return call.finish(NvApiStatus::Ok);
}

NvStatus SimEntries::gpuGetFbWidthAndLocation(NvPhysicalGpuHandle gpu, NvU32 *widthBits, NvU32 *location)
{
    SimCallGuard call(NvApiId::GpuGetFbWidthAndLocation, gpu);
    if (!call.proceed())
        return call.status();
    if (!widthBits || !location)
        return call.finish(NvApiStatus::InvalidArgument);
    *widthBits = call.card().config().busWidthBits;
    *location = call.card().config().fbLocation;
    return call.finish(NvApiStatus::Ok);
}

// Readings ----------------------------------------------------------------------

NvStatus SimEntries::gpuGetMemoryInfo(NvPhysicalGpuHandle gpu, NvMemoryInfo *info)
{
    SimCallGuard call(NvApiId::GpuGetMemoryInfo, gpu, NvRecordKind::MemoryInfo, info);
    if (!call.proceed())
        return call.status();
    return call.finish(SimRecordWriter::memoryInfo(call.card(), call.version(), info));
}

NvStatus SimEntries::gpuGetAllClockFrequencies(NvPhysicalGpuHandle gpu, NvClockFrequencies *frequencies)
{
    SimCallGuard call(NvApiId::GpuGetAllClockFrequencies, gpu, NvRecordKind::ClockFrequencies, frequencies);
    if (!call.proceed())
        return call.status();
    return call.finish(SimRecordWriter::clockFrequencies(call.card(), call.version(), frequencies));
}

NvStatus SimEntries::gpuGetCoolerSettings(NvPhysicalGpuHandle gpu, NvU32 selector, NvCoolerSettings *settings)
{
    SimCallGuard call(NvApiId::GpuGetCoolerSettings, gpu, NvRecordKind::CoolerSettings, settings);
    if (!call.proceed())
        return call.status();
    if (!call.card().config().hasCooler)
        return call.finish(NvApiStatus::NotSupported);
    return call.finish(SimRecordWriter::coolerSettings(call.card(), call.version(), selector, settings));
}

NvStatus SimEntries::gpuGetPstates20(NvPhysicalGpuHandle gpu, NvPstates20Info *info)
{
    SimCallGuard call(NvApiId::GpuGetPstates20, gpu, NvRecordKind::Pstates20, info);
    if (!call.proceed())
        return call.status();
    return call.finish(SimRecordWriter::pstates20(call.card(), call.version(), info));
}

NvStatus SimEntries::gpuGetDynamicPstatesInfoEx(NvPhysicalGpuHandle gpu, NvDynamicPstatesInfoEx *info)
{
    SimCallGuard call(NvApiId::GpuGetDynamicPstatesInfoEx, gpu, NvRecordKind::DynamicPstates, info);
    if (!call.proceed())
        return call.status();
    return call.finish(SimRecordWriter::dynamicPstates(call.card(), call.version(), info));
}

NvStatus SimEntries::gpuGetThermalSettings(
    NvPhysicalGpuHandle gpu, NvU32 sensorIndex, NvThermalSettings *settings)
{
    SimCallGuard call(NvApiId::GpuGetThermalSettings, gpu, NvRecordKind::ThermalSettings, settings);
    if (!call.proceed())
        return call.status();
    return call.finish(SimRecordWriter::thermalSettings(call.card(), call.version(), sensorIndex, settings));
}

NvStatus SimEntries::gpuGetTachReading(NvPhysicalGpuHandle gpu, NvU32 *rpm)
{
    SimCallGuard call(NvApiId::GpuGetTachReading, gpu);
    if (!call.proceed())
        return call.status();
    if (!rpm)
        return call.finish(NvApiStatus::InvalidArgument);
    if (!call.card().config().hasCooler)
        return call.finish(NvApiStatus::NotSupported);
    *rpm = static_cast<NvU32>(std::max(0, call.card().readings().fanRpm));
    return call.finish(NvApiStatus::Ok);
}

// Each simulated card sits on its own bus, in file order from bus 1, slot 0.
NvStatus SimEntries::gpuGetBusId(NvPhysicalGpuHandle gpu, NvU32 *bus)
{
    SimCallGuard call(NvApiId::GpuGetBusId, gpu);
    if (!call.proceed())
        return call.status();
    if (!bus)
        return call.finish(NvApiStatus::InvalidArgument);
    *bus = static_cast<NvU32>(call.cardIndex() + 1);
    return call.finish(NvApiStatus::Ok);
}

NvStatus SimEntries::gpuGetBusSlotId(NvPhysicalGpuHandle gpu, NvU32 *slot)
{
    SimCallGuard call(NvApiId::GpuGetBusSlotId, gpu);
    if (!call.proceed())
        return call.status();
    if (!slot)
        return call.finish(NvApiStatus::InvalidArgument);
    *slot = 0;
    return call.finish(NvApiStatus::Ok);
}

// Tuning ------------------------------------------------------------------------

NvStatus SimEntries::gpuSetCoolerLevels(NvPhysicalGpuHandle gpu, NvU32 selector, NvCoolerLevels *levels)
{
    SimCallGuard call(NvApiId::GpuSetCoolerLevels, gpu, NvRecordKind::CoolerLevels, levels);
    if (!call.proceed())
        return call.status();
    if (!call.card().config().hasCooler)
        return call.finish(NvApiStatus::NotSupported);
    return call.finish(SimTuningApplier::coolerLevels(call.card(), call.version(), selector, levels));
}

NvStatus SimEntries::gpuSetPstates20(NvPhysicalGpuHandle gpu, NvPstates20Info *info)
{
    SimCallGuard call(NvApiId::GpuSetPstates20, gpu, NvRecordKind::Pstates20, info);
    if (!call.proceed())
        return call.status();
    return call.finish(SimTuningApplier::pstates20(call.card(), call.version(), info));
}

NvStatus SimEntries::gpuEnableOverclockedPstates(NvPhysicalGpuHandle gpu, NvU32 enable)
{
    SimCallGuard call(NvApiId::GpuEnableOverclockedPstates, gpu);
    if (!call.proceed())
        return call.status();
    if (enable > 1)
        return call.finish(NvApiStatus::InvalidArgument);
    call.card().enableOverclockedPstates(enable == 1);
    return call.finish(NvApiStatus::Ok);
}

NvStatus SimEntries::gpuThermalPoliciesGetInfo(NvPhysicalGpuHandle gpu, NvThermalPoliciesInfo *info)
{
    SimCallGuard call(NvApiId::GpuThermalPoliciesGetInfo, gpu, NvRecordKind::ThermalPoliciesInfo, info);
    if (!call.proceed())
        return call.status();
    return call.finish(SimRecordWriter::thermalPoliciesInfo(call.card(), call.version(), info));
}

NvStatus SimEntries::gpuThermalPoliciesGetStatus(NvPhysicalGpuHandle gpu, NvThermalPoliciesStatus *status)
{
    SimCallGuard call(NvApiId::GpuThermalPoliciesGetStatus, gpu, NvRecordKind::ThermalPoliciesStatus, status);
    if (!call.proceed())
        return call.status();
    return call.finish(SimRecordWriter::thermalPoliciesStatus(call.card(), call.version(), status));
}

NvStatus SimEntries::gpuThermalPoliciesSetStatus(NvPhysicalGpuHandle gpu, NvThermalPoliciesStatus *status)
{
    SimCallGuard call(NvApiId::GpuThermalPoliciesSetStatus, gpu, NvRecordKind::ThermalPoliciesStatus, status);
    if (!call.proceed())
        return call.status();
    return call.finish(SimTuningApplier::thermalPoliciesStatus(call.card(), call.version(), status));
}

NvStatus SimEntries::gpuPowerTopologyGetInfo(NvPhysicalGpuHandle gpu, NvPowerTopologyInfo *info)
{
    SimCallGuard call(NvApiId::GpuPowerTopologyGetInfo, gpu, NvRecordKind::PowerTopologyInfo, info);
    if (!call.proceed())
        return call.status();
    return call.finish(SimRecordWriter::powerTopologyInfo(call.card(), call.version(), info));
}

NvStatus SimEntries::gpuPowerTopologyGetStatus(NvPhysicalGpuHandle gpu, NvPowerTopologyStatus *status)
{
    SimCallGuard call(NvApiId::GpuPowerTopologyGetStatus, gpu, NvRecordKind::PowerTopologyStatus, status);
    if (!call.proceed())
        return call.status();
    return call.finish(SimRecordWriter::powerTopologyStatus(call.card(), call.version(), status));
}

NvStatus SimEntries::gpuPowerPoliciesGetInfo(NvPhysicalGpuHandle gpu, NvPowerPoliciesInfo *info)
{
    SimCallGuard call(NvApiId::GpuPowerPoliciesGetInfo, gpu, NvRecordKind::PowerPoliciesInfo, info);
    if (!call.proceed())
        return call.status();
    return call.finish(SimRecordWriter::powerPoliciesInfo(call.card(), call.version(), info));
}

NvStatus SimEntries::gpuPowerPoliciesGetStatus(NvPhysicalGpuHandle gpu, NvPowerPoliciesStatus *status)
{
    SimCallGuard call(NvApiId::GpuPowerPoliciesGetStatus, gpu, NvRecordKind::PowerPoliciesStatus, status);
    if (!call.proceed())
        return call.status();
    return call.finish(SimRecordWriter::powerPoliciesStatus(call.card(), call.version(), status));
}

NvStatus SimEntries::gpuPowerPoliciesSetStatus(NvPhysicalGpuHandle gpu, NvPowerPoliciesStatus *status)
{
    SimCallGuard call(NvApiId::GpuPowerPoliciesSetStatus, gpu, NvRecordKind::PowerPoliciesStatus, status);
    if (!call.proceed())
        return call.status();
    return call.finish(SimTuningApplier::powerPoliciesStatus(call.card(), call.version(), status));
}

// I2C -----------------------------------------------------------------------------

NvStatus SimEntries::i2cRead(NvPhysicalGpuHandle gpu, NvI2cInfo *info)
{
    return i2cTransfer(NvApiId::I2cRead, gpu, info, false, false, nullptr);
}

NvStatus SimEntries::i2cWrite(NvPhysicalGpuHandle gpu, NvI2cInfo *info)
{
    return i2cTransfer(NvApiId::I2cWrite, gpu, info, true, false, nullptr);
}

NvStatus SimEntries::i2cReadEx(NvPhysicalGpuHandle gpu, NvI2cInfo *info, NvU32 *outPair)
{
    return i2cTransfer(NvApiId::I2cReadEx, gpu, info, false, true, outPair);
}

NvStatus SimEntries::i2cWriteEx(NvPhysicalGpuHandle gpu, NvI2cInfo *info, NvU32 *outPair)
{
    return i2cTransfer(NvApiId::I2cWriteEx, gpu, info, true, true, outPair);
}

NvStatus SimEntries::i2cTransfer(
    NvU32 id, NvPhysicalGpuHandle gpu, NvI2cInfo *info, bool write, bool extended, NvU32 *outPair)
{
    SimI2cTransaction transaction;
    transaction.write = write;
    transaction.extended = extended;
    NvI2cInfo covered {};
    const bool readable = describe(info, transaction, covered);

    SimCallGuard call(id, gpu, NvRecordKind::I2cInfo, info);
    NvStatus status = call.status();
    if (call.proceed())
        status = readable ? transfer(call, covered, transaction) : NvApiStatus::IncompatibleStructVersion;
    if (call.proceed() && status == NvApiStatus::Ok && outPair) {
        // Bytes moved on the bus, and no bus error.
        outPair[0] = covered.cbSize;
        outPair[1] = 0;
    }
    transaction.card = call.cardIndex();
    transaction.status = status;
    call.driver().logI2cLocked(transaction);
    return call.finish(status);
}

bool SimEntries::describe(const NvI2cInfo *info, SimI2cTransaction &transaction, NvI2cInfo &covered)
{
    if (!info)
        return false;
    transaction.version = info->version;
    transaction.address = info->i2cDevAddress;
    if (!NvI2cTransportCheck::covered(info, covered))
        return false;
    if (covered.pbI2cRegAddress && covered.regAddrSize <= NvI2cTransportCheck::MaxRegister)
        transaction.registerBytes.assign(
            covered.pbI2cRegAddress, covered.pbI2cRegAddress + covered.regAddrSize);
    if (transaction.write && covered.pbData && covered.cbSize <= NvI2cTransportCheck::MaxData)
        transaction.data.assign(covered.pbData, covered.pbData + covered.cbSize);
    return true;
}

NvStatus SimEntries::transfer(SimCallGuard &call, const NvI2cInfo &covered, SimI2cTransaction &transaction)
{
    const NvStatus checked = NvI2cTransportCheck::check(covered, SimCard::I2cPort);
    if (checked != NvApiStatus::Ok)
        return checked;
    SimCard &card = call.card();
    if (transaction.write) {
        // On the wire the register address is simply the first bytes written.
        std::vector<NvU8> wire = transaction.registerBytes;
        wire.insert(wire.end(), transaction.data.begin(), transaction.data.end());
        return card.i2cWrite(covered.i2cDevAddress, wire) ? NvApiStatus::Ok : NvApiStatus::Error;
    }
    std::vector<NvU8> answer;
    if (!card.i2cRead(covered.i2cDevAddress, transaction.registerBytes, covered.cbSize, answer))
        return NvApiStatus::Error;
    answer.resize(covered.cbSize, 0);
    std::copy(answer.begin(), answer.end(), covered.pbData);
    transaction.data = answer;
    return NvApiStatus::Ok;
}

// Hooks -------------------------------------------------------------------------

void SimEntries::preCallHook(NvU32 id, NvU32 *scratch)
{
    SimDriver::instance().countHook(NvApiId::PreCallHook);
    if (scratch) {
        scratch[0] = id;
        scratch[1] = 1;
    }
}

void SimEntries::postCallHook(NvU32 id, NvU32 *scratch, NvStatus status)
{
    (void)id;
    (void)scratch;
    (void)status;
    SimDriver::instance().countHook(NvApiId::PostCallHook);
}

void SimEntries::copyText(char *out, const std::string &text)
{
    const std::size_t length = std::min<std::size_t>(text.size(), NvApiLimits::ShortStringMax - 1);
    std::memcpy(out, text.data(), length);
    std::memset(out + length, 0, NvApiLimits::ShortStringMax - length);
}
