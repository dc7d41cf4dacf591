#pragma once

#include <QString>

/// Where the program keeps config.xml, temp/ and updateLog/. A program folder of its own (the portable
/// folder, a developer's build) keeps them beside the programs, as ever. A program the package manager
/// installed lies under /usr, read-only to its users and the package's alone: its settings go to the user's
/// configuration folder, and it never rewrites its own files (no updater, no recovery of an install).
class ProgramFolders
{
public:
    /// Whether the package manager's rules hold for the program in that folder: under /usr, or a folder
    /// its user cannot write.
    static bool isPackageManaged(const QString &programFolder, bool writable);
    /// The settings folder: the program folder, or "lumetra" in the user's configuration folder
    /// (configHome, $XDG_CONFIG_HOME or ~/.config) for a package-managed program.
    static QString settingsFolder(const QString &programFolder, bool writable, const QString &configHome);

    /// The same for the running program, from its own folder and the user's configuration folder.
    static bool runningIsPackageManaged();
    static QString runningSettingsFolder();
};
