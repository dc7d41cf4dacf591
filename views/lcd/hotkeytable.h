#pragma once

#include <QList>
#include <QString>

/// The names the hotkey edits show for Windows virtual-key codes: three modifiers, and the 79 keys a hotkey
/// may use. The texts are shown exactly, blanks included.
class HotKeyTable
{
public:
    struct Entry
    {
        quint32 code;
        QString text;
    };

    /// Shift, Ctrl and Alt.
    static const QList<Entry> &modifiers();
    /// The keys, in code order.
    static const QList<Entry> &keys();

    /// The entry's text; empty when the code is not in the table.
    static QString modifierText(quint32 code);
    static QString keyText(quint32 code);
    static bool isModifier(quint32 code) { return !modifierText(code).isEmpty(); }
    static bool isKey(quint32 code) { return !keyText(code).isEmpty(); }
};
