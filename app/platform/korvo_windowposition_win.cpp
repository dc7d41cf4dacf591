#include "korvo_windowposition.h"

#include <QWidget>

// Windows reports every move of a top-level window to Qt as it happens: Qt's place is the system's.
QPoint Korvo_WindowPosition::onScreen(const QWidget *window)
{
    return window ? window->pos() : QPoint();
}

void Korvo_WindowPosition::syncWithWindowSystem(QWidget *) { }
