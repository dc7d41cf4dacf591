#pragma once

#include <optional>
#include <string>

/// Finds a GPU's own I2C bus among the adapters the NVIDIA kernel driver
/// registers: one per I2C port, named "NVIDIA i2c adapter <port> at
/// <bus>:<slot>.<fn>" (newer drivers end the name in a newline), each a child
/// of the GPU's PCI device in sysfs. The card's lighting controller, LCD and
/// board sensors sit on port 1.
namespace I2cAdapters {
constexpr int CardPort = 1;

/// The port an adapter name gives, when it is an NVIDIA adapter of the PCI
/// device `busId` ("0000:01:00.0"); trailing white space ignored, the port
/// read as a whole number ("adapter 10" is port 10).
std::optional<int> portOf(const std::string &name, const std::string &busId);

/// The number N of /dev/i2c-N for port 1 of the PCI device `busId`, looking
/// in `sysfsRoot`/bus/pci/devices/`busId`/i2c-*; nullopt when it has none.
std::optional<int> cardAdapter(const std::string &sysfsRoot, const std::string &busId);

/// /sys, or LUMETRA_LINUX_SYSFS_ROOT (absolute) for tests.
std::string sysfsRoot();
} // namespace I2cAdapters
