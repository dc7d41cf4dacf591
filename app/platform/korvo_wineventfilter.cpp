#include "korvo_wineventfilter.h"

#include "korvo_globalshortcut.h"
#include "korvo_hotkeybackend.h"

Korvo_WinEventFilter::Korvo_WinEventFilter(Korvo_GlobalShortCut *owner)
    : m_owner(owner)
{
}

bool Korvo_WinEventFilter::nativeEventFilter(const QByteArray &eventType, void *message, long *result)
{
    Q_UNUSED(result);
    quint32 virtualKey = 0;
    quint32 flags = 0;
    if (!m_owner || !Korvo_HotKeyBackend::recognise(eventType, message, virtualKey, flags))
        return false;
    return m_owner->handleHotKey(virtualKey, flags);
}
