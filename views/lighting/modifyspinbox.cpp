#include "modifyspinbox.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace {

bool isDigitKey(int key)
{
    // The second range is the numeric keypad's virtual-key codes, which some keyboards report.
    return (key >= 48 && key <= 57) || (key >= 96 && key <= 105);
}

} // namespace

ModifySpinBox::ModifySpinBox(QWidget *parent)
    : QSpinBox(parent)
{
}

void ModifySpinBox::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (isDigitKey(key)) {
        if (lineEdit()->hasSelectedText())
            lineEdit()->backspace();
        bool ok = false;
        const int typed = (text() + event->text()).toInt(&ok);
        if (ok && typed >= maximum()) {
            setValue(maximum());
            const int length = text().length();
            lineEdit()->setSelection(length, length);
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
