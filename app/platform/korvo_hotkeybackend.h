#pragma once

#include <QByteArray>

class QKeyEvent;

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
    /// The Windows virtual-key code of the key a key event carries (Shift, Ctrl and Alt as 16, 17, 18); 0
    /// when the platform's key has no code the program knows.
    static quint32 virtualKeyOf(const QKeyEvent &event);
};
