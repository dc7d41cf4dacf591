#include "updatedecision.h"

#include "updatemanifest.h"
#include "versionorder.h"

UpdateDecision::Outcome UpdateDecision::decide(
    const QString &programVersion, const UpdateManifest &manifest, int updateMode, bool manual)
{
    if (!manifest.isValid() || !VersionOrder::isNewer(manifest.currentVersion(), programVersion))
        return manual ? AlreadyLatest : NothingToDo;
    if (VersionOrder::isNewer(manifest.manualDownloadVersion(), programVersion))
        return TooOldToUpdate;
    if (manual || updateMode == 1 || updateMode == 2)
        return AskFirst;
    return UpdateNow;
}

bool UpdateDecision::isCheckDue(const QDate &lastCheck, int intervalDays, const QDate &today)
{
    if (!lastCheck.isValid() || lastCheck > today)
        return true;
    return today >= lastCheck.addDays(intervalDays);
}
