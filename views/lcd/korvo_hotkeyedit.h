#pragma once

#include <QLineEdit>

/// A line edit in which a key is chosen by pressing it: the modifier edit takes Shift, Ctrl or Alt, the key
/// edit one of the hotkey keys. Any other press changes nothing, and no text can be typed, pasted or dropped.
class Korvo_HotKeyEdit : public QLineEdit
{
    Q_OBJECT

public:
    static constexpr quint32 DefaultModifier = 17;
    static constexpr quint32 DefaultKey = 48;

    /// `modifierMode` true makes the modifier edit, false the key edit.
    explicit Korvo_HotKeyEdit(bool modifierMode, QWidget *parent = nullptr);

    /// Shows the code's name and makes it current when the code is in this edit's table; else false and
    /// nothing changes.
    bool setKey(quint32 code);
    quint32 currentKey() const { return m_currentKey; }
    bool isModifierMode() const { return m_modifierMode; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QString textFor(quint32 code) const;

    bool m_modifierMode = false;
    quint32 m_currentKey = 0;
};
