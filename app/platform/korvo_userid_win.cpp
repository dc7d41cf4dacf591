#include "korvo_userid.h"

#include <windows.h>

#include <lmcons.h>

QString Korvo_UserId::current()
{
    wchar_t name[UNLEN + 1];
    DWORD size = UNLEN + 1;
    // The account of the process token, not %USERNAME%, which the environment can change.
    if (!GetUserNameW(name, &size) || size == 0)
        return QStringLiteral("unknown");
    return QStringLiteral("user-") + QString::fromWCharArray(name, int(size) - 1);
}
