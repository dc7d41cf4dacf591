#pragma once

#include <QDate>
#include <QString>

class UpdateManifest;

/// What the update check does with a downloaded manifest, and when the automatic check is due. No I/O: the
/// caller loads the manifest and shows the outcome.
class UpdateDecision
{
public:
    enum Outcome {
        NothingToDo, ///< automatic check, no newer version: stay quiet
        TooOldToUpdate, ///< newer version, but this one is below ManualDownloadVersion: send the user to the
                        ///< site
        AskFirst, ///< newer version: ask "update now?"
        UpdateNow, ///< newer version: start the updater without asking
        AlreadyLatest, ///< manual check, no newer version: say so
    };

    /// The outcome for the program's version against the manifest. manual: the user pressed the detect
    /// button, which always asks; otherwise UpdateMode 1 and 2 ask and every other mode updates at once. An
    /// invalid manifest has no version and is never newer.
    static Outcome decide(
        const QString &programVersion, const UpdateManifest &manifest, int updateMode, bool manual);

    /// True when the automatic check should run today: no check yet, today on or after the last check plus
    /// interval days, or a last check dated after today (a clock set back would silence checks otherwise).
    static bool isCheckDue(const QDate &lastCheck, int intervalDays, const QDate &today);
};
