#include "modifyspinbox.h"

#include <QKeyEvent>
#include <QLineEdit>

ModifySpinBox::ModifySpinBox(QWidget *parent)
    : QSpinBox(parent)
{
    setButtonSymbols(QAbstractSpinBox::NoButtons);
}

void ModifySpinBox::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    // Keypad digits arrive with the same key codes as the digit row.
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        if (lineEdit()->hasSelectedText())
            lineEdit()->backspace();
        bool ok = false;
        const qlonglong typed = (text() + event->text()).toLongLong(&ok);
        // A number the box would refuse as too large becomes the maximum instead of being ignored.
        if (ok && typed >= maximum()) {
            setValue(maximum());
            const int end = text().length();
            lineEdit()->setSelection(end, end);
        }
        emit editChanging();
    }
    if (key == Qt::Key_Enter && parentWidget()) {
        parentWidget()->setFocus(Qt::OtherFocusReason);
        return;
    }
    QSpinBox::keyPressEvent(event);
    if (key == Qt::Key_Backspace)
        emit editChanging();
}
