#pragma once

#include "i2cbus.h"

#include <chrono>
#include <map>
#include <mutex>

/// The kernel's i2c-dev: /dev/i2c-N opened once per adapter and kept open,
/// I2C_RDWR for transactions, I2C_SMBUS for the block read. An adapter that
/// cannot be opened for lack of permission says so on standard error, once a
/// second at most.
class DevI2cBus : public I2cBus
{
public:
    static DevI2cBus &instance();
    ~DevI2cBus() override;

    int transfer(int adapter, std::vector<I2cMessage> &messages) override;
    bool hasBlockRead(int adapter) override;
    int blockRead(int adapter, NvU8 address, NvU8 reg, NvU8 *out, std::size_t count) override;

private:
    DevI2cBus() = default;
    /// The open descriptor of the adapter, or -errno.
    int descriptor(int adapter);

    std::mutex m_lock;
    std::map<int, int> m_descriptors;
    std::chrono::steady_clock::time_point m_lastComplaint {};
};
