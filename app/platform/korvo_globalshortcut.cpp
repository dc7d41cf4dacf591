#include "korvo_globalshortcut.h"

#include "korvo_hotkeybackend.h"
#include "korvo_wineventfilter.h"

#include <QCoreApplication>

namespace {

constexpr quint32 ShiftKey = 16;
constexpr quint32 AltKey = 18;

} // namespace

quint32 Korvo_GlobalShortCut::modifierFlags(quint32 modifierKey)
{
    if (modifierKey == ShiftKey)
        return ShiftFlag;
    if (modifierKey == AltKey)
        return AltFlag;
    return ControlFlag;
}

Korvo_GlobalShortCut::Korvo_GlobalShortCut(QObject *parent)
    : QObject(parent)
    , m_filter(new Korvo_WinEventFilter(this))
{
}

Korvo_GlobalShortCut::~Korvo_GlobalShortCut()
{
    if (m_virtualKey != 0 || m_modifierFlags != 0)
        unsetShortcut();
    if (m_filterInstalled && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(m_filter);
    delete m_filter;
}

bool Korvo_GlobalShortCut::setShortcut(quint32 modifierKey, quint32 key)
{
    // A second combination replaces the first instead of leaving it grabbed with nobody to release it.
    if (m_virtualKey != 0 || m_modifierFlags != 0)
        unsetShortcut();
    const quint32 flags = modifierFlags(modifierKey);
    // One filter per object is enough: it reports to this object only, so a press emits once.
    if (!m_filterInstalled && QCoreApplication::instance()) {
        QCoreApplication::instance()->installNativeEventFilter(m_filter);
        m_filterInstalled = true;
    }
    m_virtualKey = key;
    m_modifierFlags = flags;
    m_registrations.insert(qMakePair(key, flags), this);
    return Korvo_HotKeyBackend::registerHotKey(hotkeyId(key, flags), flags, key);
}

bool Korvo_GlobalShortCut::unsetShortcut()
{
    const quint32 key = m_virtualKey;
    const quint32 flags = m_modifierFlags;
    m_registrations.remove(qMakePair(key, flags));
    m_virtualKey = 0;
    m_modifierFlags = 0;
    return Korvo_HotKeyBackend::unregisterHotKey(hotkeyId(key, flags), flags, key);
}

bool Korvo_GlobalShortCut::hasRegistration(quint32 virtualKey, quint32 flags) const
{
    return m_registrations.value(qMakePair(virtualKey, flags), nullptr) != nullptr;
}

bool Korvo_GlobalShortCut::handleHotKey(quint32 virtualKey, quint32 flags)
{
    if (!hasRegistration(virtualKey, flags))
        return false;
    emit activated();
    return true;
}
