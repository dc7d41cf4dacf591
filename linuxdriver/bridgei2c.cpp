#include "bridgei2c.h"

#include "bridgegpus.h"
#include "devi2cbus.h"
#include "i2cadapters.h"
#include "i2cbus.h"

#include "nvi2ctransportcheck.h"

#include <cerrno>
#include <cstring>

namespace {
constexpr std::size_t MaxBlockRead = 32;
} // namespace

BridgeI2c &BridgeI2c::instance()
{
    static BridgeI2c bridge;
    return bridge;
}

BridgeI2c::BridgeI2c()
    : m_policy(I2cPolicy::load())
    , m_bus(&DevI2cBus::instance())
{
}

void BridgeI2c::reload()
{
    I2cPolicy policy = I2cPolicy::load();
    std::lock_guard<std::mutex> locker(m_lock);
    m_policy = policy;
    m_adapters.clear();
}

void BridgeI2c::setBus(I2cBus *bus)
{
    std::lock_guard<std::mutex> locker(m_lock);
    m_bus = bus ? bus : &DevI2cBus::instance();
}

std::optional<int> BridgeI2c::adapterFor(int gpuIndex)
{
    const std::string busId = BridgeGpus::instance().busId(gpuIndex);
    std::lock_guard<std::mutex> locker(m_lock);
    const auto overridden = m_policy.adapters.find(busId);
    if (overridden != m_policy.adapters.end())
        return overridden->second;
    const auto known = m_adapters.find(busId);
    if (known != m_adapters.end())
        return known->second;
    const std::optional<int> adapter = I2cAdapters::cardAdapter(I2cAdapters::sysfsRoot(), busId);
    m_adapters[busId] = adapter;
    return adapter;
}

std::mutex &BridgeI2c::adapterLock(int adapter)
{
    std::lock_guard<std::mutex> locker(m_lock);
    std::unique_ptr<std::mutex> &lock = m_adapterLocks[adapter];
    if (!lock)
        lock = std::make_unique<std::mutex>();
    return *lock;
}

NvStatus BridgeI2c::transfer(int gpuIndex, NvI2cInfo *info, bool write, NvU32 *outPair)
{
    NvI2cInfo covered;
    if (!info)
        return NvApiStatus::InvalidArgument;
    if (!NvI2cTransportCheck::covered(info, covered))
        return NvApiStatus::IncompatibleStructVersion;
    I2cPolicy policy;
    I2cBus *bus = nullptr;
    {
        std::lock_guard<std::mutex> locker(m_lock);
        policy = m_policy;
        bus = m_bus;
    }
    if (!policy.enabled)
        return NvApiStatus::NotSupported;
    const NvStatus checked = NvI2cTransportCheck::check(covered, I2cAdapters::CardPort);
    if (checked != NvApiStatus::Ok)
        return checked;
    NvU32 deviceId = 0, subsystemId = 0;
    BridgeGpus::instance().pciIds(gpuIndex, deviceId, subsystemId);
    if (!policy.cardAllowed(deviceId, subsystemId) || !I2cPolicy::addressAllowed(covered.i2cDevAddress))
        return NvApiStatus::NotSupported;

    std::vector<NvU8> wire;
    if (write) {
        // On the wire the register address is simply the first bytes written.
        wire.assign(covered.pbI2cRegAddress, covered.pbI2cRegAddress + covered.regAddrSize);
        wire.insert(wire.end(), covered.pbData, covered.pbData + covered.cbSize);
        const NvStatus shape = I2cPolicy::writeAllowed(covered.i2cDevAddress, wire.data(), wire.size());
        if (shape != NvApiStatus::Ok)
            return shape;
    }
    const std::optional<int> adapter = adapterFor(gpuIndex);
    if (!adapter)
        return NvApiStatus::NotSupported;

    std::lock_guard<std::mutex> busLock(adapterLock(*adapter));
    NvStatus status = NvApiStatus::Ok;
    if (write) {
        std::vector<I2cMessage> messages { { static_cast<NvU8>(covered.i2cDevAddress >> 1), false, wire } };
        status = I2cBus::statusOf(bus->transfer(*adapter, messages));
    } else {
        status = read(*bus, *adapter, covered);
    }
    if (status == NvApiStatus::Ok && outPair) {
        outPair[0] = covered.cbSize;
        outPair[1] = 0;
    }
    return status;
}

NvStatus BridgeI2c::read(I2cBus &bus, int adapter, const NvI2cInfo &covered)
{
    const NvU8 address = static_cast<NvU8>(covered.i2cDevAddress >> 1);
    std::vector<NvU8> answer(covered.cbSize, 0);
    // A one-byte register and a short read: the register write and the read
    // with a repeated start, where the adapter offers it.
    if (covered.regAddrSize == 1 && covered.cbSize > 0 && covered.cbSize <= MaxBlockRead
        && bus.hasBlockRead(adapter)) {
        const int error
            = bus.blockRead(adapter, address, covered.pbI2cRegAddress[0], answer.data(), answer.size());
        // EBUSY: a kernel driver holds the address for the SMBus path; the plain messages still reach it.
        if (error != EBUSY) {
            if (error == 0 && covered.cbSize > 0)
                std::memcpy(covered.pbData, answer.data(), answer.size());
            return I2cBus::statusOf(error);
        }
    }
    std::vector<I2cMessage> messages;
    if (covered.regAddrSize > 0)
        messages.push_back({ address, false,
            std::vector<NvU8>(covered.pbI2cRegAddress, covered.pbI2cRegAddress + covered.regAddrSize) });
    messages.push_back({ address, true, answer });
    const int error = bus.transfer(adapter, messages);
    if (error == 0 && covered.cbSize > 0)
        std::memcpy(covered.pbData, messages.back().bytes.data(), covered.cbSize);
    return I2cBus::statusOf(error);
}
