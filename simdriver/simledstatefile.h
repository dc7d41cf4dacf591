#pragma once

#include "nvapitypes.h"

#include <QString>

#include <vector>

/// Carries each card's last lighting command from one process to the next, so that a person can see what
/// the program sent: with LUMETRA_SIM_LED_STATE naming a file, every command the lighting controller takes
/// is written there, and a driver started later (lumetra-info, say) begins from it. The file holds one line
/// per card, "card <index> <packet in hex>"; lines that do not read are ignored.
class SimLedStateFile
{
public:
    static constexpr const char *EnvironmentVariable = "LUMETRA_SIM_LED_STATE";
    /// Larger files are not a state file of ours and are not read.
    static constexpr qint64 MaxFileBytes = 64 * 1024;

    /// The file the environment names; empty when none.
    static QString path();
    /// The stored packet of a card; empty when there is none.
    static std::vector<NvU8> load(const QString &path, int card);
    /// Replaces the card's line; false when the file cannot be written.
    static bool save(const QString &path, int card, const std::vector<NvU8> &packet);
};
