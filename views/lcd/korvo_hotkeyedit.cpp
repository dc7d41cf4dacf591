#include "korvo_hotkeyedit.h"

#include "hotkeytable.h"
#include "korvo_hotkeybackend.h"

#include <QKeyEvent>
#include <QMouseEvent>

Korvo_HotKeyEdit::Korvo_HotKeyEdit(bool modifierMode, QWidget *parent)
    : QLineEdit(parent)
    , m_modifierMode(modifierMode)
{
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
    setDragEnabled(false);
    setKey(modifierMode ? DefaultModifier : DefaultKey);
}

QString Korvo_HotKeyEdit::textFor(quint32 code) const
{
    return m_modifierMode ? HotKeyTable::modifierText(code) : HotKeyTable::keyText(code);
}

bool Korvo_HotKeyEdit::setKey(quint32 code)
{
    const QString name = textFor(code);
    if (name.isEmpty())
        return false;
    m_currentKey = code;
    setText(name);
    return true;
}

void Korvo_HotKeyEdit::keyPressEvent(QKeyEvent *event)
{
    // The key's Windows code, not Qt's key or the typed text: config.xml and the hotkey speak those codes.
    // Every press is consumed so that ordinary editing never runs.
    setKey(Korvo_HotKeyBackend::virtualKeyOf(*event));
    event->accept();
}

void Korvo_HotKeyEdit::inputMethodEvent(QInputMethodEvent *event)
{
    event->accept();
}

void Korvo_HotKeyEdit::mousePressEvent(QMouseEvent *event)
{
    // The middle button pastes the X selection into a line edit.
    if (event->button() == Qt::MiddleButton) {
        event->accept();
        return;
    }
    QLineEdit::mousePressEvent(event);
}

void Korvo_HotKeyEdit::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::MiddleButton) {
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}
