#include "readonlylineedit.h"

#include <QMouseEvent>

ReadonlyLineEdit::ReadonlyLineEdit(QWidget *parent)
    : QLineEdit(parent)
{
    setReadOnly(true);
    setContextMenuPolicy(Qt::NoContextMenu);
}

void ReadonlyLineEdit::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QLineEdit::mousePressEvent(event);
}
