#pragma once

#include "nvapitypes.h"

#include <cstddef>
#include <vector>

/// One message of an I2C transaction, at a 7-bit address.
struct I2cMessage
{
    NvU8 address = 0;
    bool read = false;
    std::vector<NvU8> bytes; ///< written, or room for what is read
};

/// The one seam between the library and the kernel's i2c-dev: the device
/// implementation makes the ioctl calls; tests put a recording fake in its
/// place. Results are 0 or an errno value.
class I2cBus
{
public:
    virtual ~I2cBus() = default;

    /// The messages as one I2C_RDWR call (on NVIDIA's adapters each message is
    /// its own transaction, ending in STOP).
    virtual int transfer(int adapter, std::vector<I2cMessage> &messages) = 0;
    /// Whether the adapter offers the SMBus I2C block read (a register write
    /// and the read with a repeated start).
    virtual bool hasBlockRead(int adapter) = 0;
    /// Reads `count` (at most 32) bytes from register `reg` with that block read.
    virtual int blockRead(int adapter, NvU8 address, NvU8 reg, NvU8 *out, std::size_t count) = 0;

    /// What an errno of the bus means to the program: EIO (a NAK, an absent
    /// device) -1, EINVAL -5, EACCES or EPERM (no access to /dev/i2c-N) -137,
    /// ENOENT or ENODEV (no such adapter) -104, anything else -1.
    static NvStatus statusOf(int error);
};
