#pragma once

#include <QString>

/// What the main program finishes after the updater restarted it: the updater cannot replace its own
/// running file, so the new updater waits as an archive in temp/ and is installed here; then temp/ is
/// emptied. Everything the manifest names is checked first, as the updater checks it.
class UpdateFinisher
{
public:
    enum class UpdaterResult {
        NotListed, ///< no valid manifest, or it lists no updater file
        Refused, ///< the entry's digest or paths fail the checks: nothing touched
        NoArchive, ///< the updater's archive was not downloaded: nothing to do
        Installed, ///< the new updater replaced the old one and its archive is gone
        Failed, ///< extraction, digest or rename failed: old updater and archive kept for the next try
    };

    explicit UpdateFinisher(const QString &programFolder);

    /// Extracts the updater's entry to a temporary name beside the target, compares its MD5 with
    /// FileVersion and only then renames it over the old updater.
    UpdaterResult installUpdater();
    /// Deletes every entry inside temp/ (hidden ones too) but keeps the folder. Symbolic links are removed,
    /// never followed; a temp/ that is itself a link is replaced by a real folder. False when something
    /// could not be removed.
    bool emptyTempFolder();

    QString tempFolder() const;

private:
    QString m_folder;
};
