#pragma once

/// This program's own entry for a start at log-on, under the name "_Lumetra2": it starts the running program
/// with what it needs from this start's environment to find the same driver and cards.
class ProgramAutoStart
{
public:
    static const char *const Name;

    /// Writes or removes the entry. A refused write leaves the setting in config.xml only, as on a machine
    /// without the rights.
    static void apply(bool on);
};
