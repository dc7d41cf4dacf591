#pragma once

#include <QHash>
#include <QObject>
#include <QPair>

class Korvo_WinEventFilter;

/// One system-wide key combination (one modifier plus one key, both Windows virtual-key codes as config.xml
/// keeps them) that works while the program is in the background; activated() comes once per press, on the
/// GUI thread. The platform's registration stands behind Korvo_HotKeyBackend.
class Korvo_GlobalShortCut : public QObject
{
    Q_OBJECT

public:
    /// Windows modifier flags, also the flags the backends speak.
    static constexpr quint32 AltFlag = 1;
    static constexpr quint32 ControlFlag = 2;
    static constexpr quint32 ShiftFlag = 4;

    /// 16 gives Shift, 18 Alt, every other value Control.
    static quint32 modifierFlags(quint32 modifierKey);
    /// The id a combination is registered under.
    static quint32 hotkeyId(quint32 virtualKey, quint32 flags) { return virtualKey ^ flags; }

    explicit Korvo_GlobalShortCut(QObject *parent = nullptr);
    ~Korvo_GlobalShortCut() override;

    /// Registers the combination, releasing the one registered before. True when the system accepted it; a
    /// refused combination still becomes the current one.
    bool setShortcut(quint32 modifierKey, quint32 key);
    /// Releases the current combination; the system's answer is the result.
    bool unsetShortcut();

    quint32 virtualKey() const { return m_virtualKey; }
    quint32 currentModifierFlags() const { return m_modifierFlags; }
    bool hasRegistration(quint32 virtualKey, quint32 flags) const;

    /// Called by the native event filter for a recognised hotkey message; true when it was ours.
    bool handleHotKey(quint32 virtualKey, quint32 flags);

signals:
    void activated();

private:
    QHash<QPair<quint32, quint32>, Korvo_GlobalShortCut *> m_registrations;
    Korvo_WinEventFilter *m_filter = nullptr;
    quint32 m_virtualKey = 0;
    quint32 m_modifierFlags = 0;
    bool m_filterInstalled = false;
};
