#pragma once

#include "i2cpolicy.h"

#include "nvapirecords.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

class I2cBus;

/// The four I2C entries for real cards: the program's transport record turned
/// into i2c-dev messages on port 1 of the GPU's own PCI device, after the
/// transport checks every driver library makes and the guards of I2cPolicy.
/// A refused call returns its status and puts nothing on a bus. One lock per
/// adapter, since the LCD feeder, the LED sender and the pages share a bus
/// without serialising their calls.
class BridgeI2c
{
public:
    static BridgeI2c &instance();

    BridgeI2c(const BridgeI2c &) = delete;
    BridgeI2c &operator=(const BridgeI2c &) = delete;

    /// Reads the policy again and forgets the adapters found (at Initialize).
    void reload();
    /// Test seam: the bus used from now on (null: the kernel's i2c-dev).
    void setBus(I2cBus *bus);

    /// One transaction for the GPU of the bridge's list at `gpuIndex`; the
    /// extended calls also fill their out pair with the bytes moved and 0.
    NvStatus transfer(int gpuIndex, NvI2cInfo *info, bool write, NvU32 *outPair);

private:
    BridgeI2c();

    std::optional<int> adapterFor(int gpuIndex);
    std::mutex &adapterLock(int adapter);
    NvStatus read(I2cBus &bus, int adapter, const NvI2cInfo &covered);

    std::mutex m_lock;
    I2cPolicy m_policy;
    I2cBus *m_bus;
    std::map<std::string, std::optional<int>> m_adapters; ///< by PCI bus id
    std::map<int, std::unique_ptr<std::mutex>> m_adapterLocks;
};
