#pragma once

#include "nvapitypes.h"

#include <cstddef>
#include <map>
#include <string>
#include <vector>

/// What may reach a card's I2C bus. The program probes every card at start by
/// writing to 0xA0 and 0xAC, and 7-bit 0x50 is where EEPROMs answer on other
/// boards: every call is checked here before anything reaches a bus.
///
/// The defaults: NVIDIA GPUs whose subsystem vendor is the maker's, the
/// devices the program talks to, writes only to the lighting controller and
/// the LCD and only in the shapes their firmware takes. LUMETRA_LINUX_I2C=off
/// turns all of it off; LUMETRA_LINUX_I2C_ADAPTER ("0000:01:00.0=5", several
/// separated by commas) and /etc/lumetra/i2c.conf exist for boards that differ.
/// The file's lines: "off"; "allow 0xSSSSVVVV" (one more board, by its full
/// subsystem id); "only 0xSSSSVVVV" (these boards only: narrows the maker's
/// rule); "adapter 0000:01:00.0 5".
struct I2cPolicy
{
    bool enabled = true;
    std::vector<NvU32> extraSubsystemIds;
    std::vector<NvU32> onlySubsystemIds;
    std::map<std::string, int> adapters; ///< by PCI bus id

    /// From the environment and the configuration file (LUMETRA_I2C_CONF names
    /// another file, for tests).
    static I2cPolicy load();
    /// From the file's text and the two variables' values (null when unset).
    static I2cPolicy parse(const std::string &fileText, const char *switchValue, const char *adapterValue);

    bool cardAllowed(NvU32 pciDeviceId, NvU32 subsystemId) const;
    /// The 8-bit addresses of the card's devices: lighting controller (0xA0 and
    /// its read address 0xA1), LCD (0xAC), board sensors (0x90, 0x92, 0x96, 0x9E).
    static bool addressAllowed(NvU8 address);
    /// Whether the bytes of a write (register bytes first) may go to the
    /// address: only the lighting controller's packets and the LCD's frames.
    /// Ok, -104 for a device that takes no writes, -5 for a malformed message.
    static NvStatus writeAllowed(NvU8 address, const NvU8 *bytes, std::size_t size);
};
