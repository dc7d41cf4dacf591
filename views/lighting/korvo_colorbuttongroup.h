#pragma once

#include <QList>
#include <QObject>

class Korvo_ColorButton;

/// Which of the LED page's colour buttons are selected. In exclusive mode one button is checked; in
/// multiple mode up to maxChecked, and checking one more unchecks the one checked first. The checked list
/// keeps the order in which buttons were checked, which is the order their colours go to the card. The
/// last checked button can never be unchecked, so there is always a colour to send.
class Korvo_ColorButtonGroup : public QObject
{
public:
    enum Mode {
        Exclusive = 0,
        Multiple = 1,
    };

    explicit Korvo_ColorButtonGroup(QObject *parent = nullptr);

    /// Adds a button at the end; a member is ignored, a checked button is unchecked before it joins.
    void addButton(Korvo_ColorButton *button);
    /// Asks for a button to be checked or unchecked; the group may refuse (see the class comment).
    void requestCheck(Korvo_ColorButton *button, bool checked);
    /// Multiple mode only records the mode; exclusive mode keeps the most recently checked button (or
    /// checks the first member when none is checked).
    void setMode(int mode);
    int mode() const { return m_mode; }
    /// A request of 0 or less is taken as 1.
    void setMaxChecked(int count);
    int maxChecked() const { return m_maxChecked; }

    QList<Korvo_ColorButton *> buttons() const { return m_buttons; }
    /// The checked buttons, oldest first.
    QList<Korvo_ColorButton *> checkedButtons() const { return m_checked; }

private:
    void checkInMultipleMode(Korvo_ColorButton *button);
    void checkInExclusiveMode(Korvo_ColorButton *button);

    QList<Korvo_ColorButton *> m_buttons;
    QList<Korvo_ColorButton *> m_checked;
    int m_maxChecked = 1;
    int m_mode = Exclusive;
};
