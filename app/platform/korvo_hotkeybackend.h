#pragma once

#include <QByteArray>

/// The operating system's side of a global hotkey: register and release one combination (Windows modifier
/// flags and virtual-key code) for the whole session, and recognise its key press among the native events
/// Qt hands to filters. One implementation per platform; GUI thread only.
class Korvo_HotKeyBackend
{
public:
    static bool registerHotKey(quint32 id, quint32 flags, quint32 virtualKey);
    static bool unregisterHotKey(quint32 id, quint32 flags, quint32 virtualKey);
    /// True for a press of a registered combination; gives its virtual key and flags.
    static bool recognise(const QByteArray &eventType, void *message, quint32 &virtualKey, quint32 &flags);
};
