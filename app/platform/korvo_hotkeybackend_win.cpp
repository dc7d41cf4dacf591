#include "korvo_hotkeybackend.h"

#include <QKeyEvent>

#include <windows.h>

// Windows: RegisterHotKey without a window posts WM_HOTKEY to the GUI thread's queue.

bool Korvo_HotKeyBackend::registerHotKey(quint32 id, quint32 flags, quint32 virtualKey)
{
    return RegisterHotKey(nullptr, int(id), UINT(flags), UINT(virtualKey)) != 0;
}

bool Korvo_HotKeyBackend::unregisterHotKey(quint32 id, quint32 flags, quint32 virtualKey)
{
    Q_UNUSED(flags);
    Q_UNUSED(virtualKey);
    return UnregisterHotKey(nullptr, int(id)) != 0;
}

bool Korvo_HotKeyBackend::recognise(
    const QByteArray &eventType, void *message, quint32 &virtualKey, quint32 &flags)
{
    if (eventType != "windows_generic_MSG" || !message)
        return false;
    const MSG *msg = static_cast<const MSG *>(message);
    if (msg->message != WM_HOTKEY)
        return false;
    flags = LOWORD(msg->lParam);
    virtualKey = HIWORD(msg->lParam);
    return true;
}

quint32 Korvo_HotKeyBackend::virtualKeyOf(const QKeyEvent &event)
{
    // The message's own virtual-key code, with the left and right variants of a modifier folded together.
    const quint32 code = event.nativeVirtualKey();
    if (code == VK_LSHIFT || code == VK_RSHIFT)
        return VK_SHIFT;
    if (code == VK_LCONTROL || code == VK_RCONTROL)
        return VK_CONTROL;
    if (code == VK_LMENU || code == VK_RMENU)
        return VK_MENU;
    return code;
}
