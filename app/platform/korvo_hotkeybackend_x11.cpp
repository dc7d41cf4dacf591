#include "korvo_hotkeybackend.h"

#include "korvo_globalshortcut.h"

#include <QKeyEvent>
#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QX11Info>

#include <xcb/xcb.h>

#include <cstdlib>

// X11: the combination is a passive key grab on the root window. Windows virtual-key codes become key symbols
// and then the key codes of the current keyboard map; the Caps Lock and Num Lock variants are grabbed too,
// so that a press counts whatever the lock keys say.

namespace {

struct KeySymbolOf
{
    quint32 virtualKey;
    xcb_keysym_t symbol;
};

// The keys of the hotkey editor's table besides digits, letters, the keypad digits and F1 to F24.
const KeySymbolOf KeySymbols[] = {
    { 0x08, 0xFF08 }, // BackSpace
    { 0x09, 0xFF09 }, // Tab
    { 0x0D, 0xFF0D }, // Return
    { 0x13, 0xFF13 }, // Pause
    { 0x1B, 0xFF1B }, // Escape
    { 0x20, 0x0020 }, // space
    { 0x21, 0xFF55 }, // Prior
    { 0x22, 0xFF56 }, // Next
    { 0x23, 0xFF57 }, // End
    { 0x24, 0xFF50 }, // Home
    { 0x25, 0xFF51 }, // Left
    { 0x26, 0xFF52 }, // Up
    { 0x27, 0xFF53 }, // Right
    { 0x28, 0xFF54 }, // Down
    { 0x2C, 0xFF61 }, // Print
    { 0x2D, 0xFF63 }, // Insert
    { 0x2E, 0xFFFF }, // Delete
    { 0x6A, 0xFFAA }, // KP_Multiply
    { 0x6B, 0xFFAB }, // KP_Add
    { 0x6D, 0xFFAD }, // KP_Subtract
    { 0x6E, 0xFFAE }, // KP_Decimal
    { 0x6F, 0xFFAF }, // KP_Divide
    { 0x91, 0xFF14 }, // Scroll_Lock
    { 0xBA, 0x003B }, // semicolon
    { 0xBB, 0x003D }, // equal
    { 0xBC, 0x002C }, // comma
    { 0xBD, 0x002D }, // minus
    { 0xBE, 0x002E }, // period
    { 0xBF, 0x002F }, // slash
    { 0xC0, 0x0060 }, // grave
    { 0xDB, 0x005B }, // bracketleft
    { 0xDC, 0x005C }, // backslash
    { 0xDD, 0x005D }, // bracketright
    { 0xDE, 0x0027 }, // apostrophe
};

xcb_keysym_t keySymbolFor(quint32 virtualKey)
{
    if (virtualKey >= 0x30 && virtualKey <= 0x39)
        return virtualKey;
    if (virtualKey >= 0x41 && virtualKey <= 0x5A)
        return virtualKey + 0x20; // the lower-case letter is the key's own symbol
    if (virtualKey >= 0x60 && virtualKey <= 0x69)
        return 0xFFB0 + (virtualKey - 0x60);
    if (virtualKey >= 0x70 && virtualKey <= 0x87)
        return 0xFFBE + (virtualKey - 0x70);
    for (const KeySymbolOf &entry : KeySymbols) {
        if (entry.virtualKey == virtualKey)
            return entry.symbol;
    }
    return 0;
}

// Key symbols that only the way back knows: the modifiers are pressed in the modifier edit, never grabbed.
const KeySymbolOf ModifierSymbols[] = {
    { 0x10, 0xFFE1 }, // Shift_L
    { 0x10, 0xFFE2 }, // Shift_R
    { 0x11, 0xFFE3 }, // Control_L
    { 0x11, 0xFFE4 }, // Control_R
    { 0x12, 0xFFE9 }, // Alt_L
    { 0x12, 0xFFEA }, // Alt_R
    { 0x12, 0xFE03 }, // ISO_Level3_Shift, what many layouts put on the right Alt key
};

// The inverse of keySymbolFor: a key event on X11 carries the key symbol where Windows has the virtual key.
quint32 virtualKeyFor(xcb_keysym_t symbol)
{
    if (symbol >= 0x30 && symbol <= 0x39)
        return symbol;
    if (symbol >= 0x41 && symbol <= 0x5A)
        return symbol; // a letter typed with Shift or Caps Lock is the same key
    if (symbol >= 0x61 && symbol <= 0x7A)
        return symbol - 0x20;
    if (symbol >= 0xFFB0 && symbol <= 0xFFB9)
        return 0x60 + (symbol - 0xFFB0);
    if (symbol >= 0xFFBE && symbol <= 0xFFBE + 23)
        return 0x70 + (symbol - 0xFFBE);
    for (const KeySymbolOf &entry : KeySymbols) {
        if (entry.symbol == symbol)
            return entry.virtualKey;
    }
    for (const KeySymbolOf &entry : ModifierSymbols) {
        if (entry.symbol == symbol)
            return entry.virtualKey;
    }
    return 0;
}

constexpr quint16 CombinationMask = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
const quint16 LockVariants[] = { 0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2, XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2 };

quint16 modifierMaskFor(quint32 flags)
{
    quint16 mask = 0;
    if (flags & Korvo_GlobalShortCut::ShiftFlag)
        mask |= XCB_MOD_MASK_SHIFT;
    if (flags & Korvo_GlobalShortCut::ControlFlag)
        mask |= XCB_MOD_MASK_CONTROL;
    if (flags & Korvo_GlobalShortCut::AltFlag)
        mask |= XCB_MOD_MASK_1;
    return mask;
}

// The first key code whose map carries the symbol at any level.
xcb_keycode_t keyCodeFor(xcb_connection_t *connection, xcb_keysym_t symbol)
{
    const xcb_setup_t *setup = xcb_get_setup(connection);
    const int first = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t *reply = xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, setup->min_keycode, quint8(count)), nullptr);
    if (!reply)
        return 0;
    const xcb_keysym_t *symbols = xcb_get_keyboard_mapping_keysyms(reply);
    const int perCode = reply->keysyms_per_keycode;
    xcb_keycode_t found = 0;
    for (int code = 0; code < count && !found; ++code) {
        for (int level = 0; level < perCode; ++level) {
            if (symbols[code * perCode + level] == symbol) {
                found = xcb_keycode_t(first + code);
                break;
            }
        }
    }
    std::free(reply);
    return found;
}

struct Grab
{
    quint32 virtualKey;
    quint32 flags;
    xcb_keycode_t keyCode;
    quint16 mask;
};

// Grabs are per X connection, that is per process; the lock keeps the table whole should a second thread
// ever reach it.
QMutex s_grabsMutex;
QList<Grab> s_grabs;

xcb_connection_t *connection()
{
    if (!QX11Info::isPlatformX11())
        return nullptr;
    return QX11Info::connection();
}

void ungrab(xcb_connection_t *connection, const Grab &grab)
{
    for (quint16 variant : LockVariants)
        xcb_ungrab_key(connection, grab.keyCode, QX11Info::appRootWindow(), grab.mask | variant);
    xcb_flush(connection);
}

} // namespace

bool Korvo_HotKeyBackend::registerHotKey(quint32 id, quint32 flags, quint32 virtualKey)
{
    Q_UNUSED(id);
    xcb_connection_t *c = connection();
    if (!c)
        return false;
    const xcb_keysym_t symbol = keySymbolFor(virtualKey);
    const xcb_keycode_t keyCode = symbol ? keyCodeFor(c, symbol) : 0;
    if (!keyCode)
        return false;
    const Grab grab { virtualKey, flags, keyCode, modifierMaskFor(flags) };
    bool refused = false;
    for (quint16 variant : LockVariants) {
        xcb_void_cookie_t cookie = xcb_grab_key_checked(c, 1, QX11Info::appRootWindow(), grab.mask | variant,
            keyCode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t *error = xcb_request_check(c, cookie)) {
            // Another client holds the combination.
            std::free(error);
            refused = true;
        }
    }
    if (refused) {
        ungrab(c, grab);
        return false;
    }
    QMutexLocker lock(&s_grabsMutex);
    s_grabs.append(grab);
    return true;
}

bool Korvo_HotKeyBackend::unregisterHotKey(quint32 id, quint32 flags, quint32 virtualKey)
{
    Q_UNUSED(id);
    xcb_connection_t *c = connection();
    if (!c)
        return false;
    Grab grab {};
    {
        QMutexLocker lock(&s_grabsMutex);
        int at = -1;
        for (int i = 0; i < s_grabs.size() && at < 0; ++i) {
            if (s_grabs.at(i).virtualKey == virtualKey && s_grabs.at(i).flags == flags)
                at = i;
        }
        if (at < 0)
            return false;
        grab = s_grabs.takeAt(at);
    }
    ungrab(c, grab);
    return true;
}

bool Korvo_HotKeyBackend::recognise(
    const QByteArray &eventType, void *message, quint32 &virtualKey, quint32 &flags)
{
    if (eventType != "xcb_generic_event_t" || !message)
        return false;
    auto *event = static_cast<xcb_generic_event_t *>(message);
    if ((event->response_type & ~0x80) != XCB_KEY_PRESS)
        return false;
    auto *press = static_cast<xcb_key_press_event_t *>(message);
    const quint16 mask = press->state & CombinationMask;
    QMutexLocker lock(&s_grabsMutex);
    for (const Grab &grab : qAsConst(s_grabs)) {
        if (grab.keyCode == press->detail && grab.mask == mask) {
            virtualKey = grab.virtualKey;
            flags = grab.flags;
            return true;
        }
    }
    return false;
}

quint32 Korvo_HotKeyBackend::virtualKeyOf(const QKeyEvent &event)
{
    return virtualKeyFor(event.nativeVirtualKey());
}
