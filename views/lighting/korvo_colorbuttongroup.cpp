#include "korvo_colorbuttongroup.h"

#include "korvo_colorbutton.h"

Korvo_ColorButtonGroup::Korvo_ColorButtonGroup(QObject *parent)
    : QObject(parent)
{
}

void Korvo_ColorButtonGroup::addButton(Korvo_ColorButton *button)
{
    if (!button || m_buttons.contains(button))
        return;
    if (button->isChecked())
        button->applyGroupState(false);
    m_buttons.append(button);
    button->setGroup(this);
}

void Korvo_ColorButtonGroup::requestCheck(Korvo_ColorButton *button, bool checked)
{
    if (!m_buttons.contains(button))
        return;
    if (checked) {
        if (m_mode == Multiple)
            checkInMultipleMode(button);
        else
            checkInExclusiveMode(button);
        return;
    }
    if (!button->isChecked())
        return;
    if (m_mode == Multiple) {
        // The last colour stays: a multi-colour effect needs at least one.
        if (m_checked.size() <= 1)
            return;
    } else {
        int checkedCount = 0;
        for (Korvo_ColorButton *member : qAsConst(m_buttons))
            checkedCount += member->isChecked() ? 1 : 0;
        if (checkedCount < 2)
            return;
    }
    m_checked.removeAll(button);
    button->applyGroupState(false);
}

void Korvo_ColorButtonGroup::checkInMultipleMode(Korvo_ColorButton *button)
{
    if (button->isChecked())
        return;
    if (m_checked.size() >= m_maxChecked) {
        Korvo_ColorButton *oldest = m_checked.takeFirst();
        oldest->applyGroupState(false);
    }
    m_checked.append(button);
    button->applyGroupState(true);
}

void Korvo_ColorButtonGroup::checkInExclusiveMode(Korvo_ColorButton *button)
{
    if (button->isChecked())
        return;
    for (Korvo_ColorButton *member : qAsConst(m_buttons)) {
        if (member->isChecked())
            member->applyGroupState(false);
    }
    m_checked = { button };
    button->applyGroupState(true);
}

void Korvo_ColorButtonGroup::setMode(int mode)
{
    m_mode = mode == Multiple ? Multiple : Exclusive;
    if (m_mode == Multiple)
        return;
    if (m_checked.isEmpty()) {
        if (m_buttons.isEmpty())
            return;
        // The first member also enters the list, so that what is shown checked is what goes to the card.
        Korvo_ColorButton *first = m_buttons.first();
        m_checked = { first };
        if (!first->isChecked())
            first->applyGroupState(true);
        return;
    }
    Korvo_ColorButton *newest = m_checked.takeLast();
    for (Korvo_ColorButton *older : qAsConst(m_checked))
        older->applyGroupState(false);
    m_checked = { newest };
}

void Korvo_ColorButtonGroup::setMaxChecked(int count)
{
    m_maxChecked = count <= 0 ? 1 : count;
}
