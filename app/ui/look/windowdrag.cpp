#include "windowdrag.h"

#include <QMouseEvent>
#include <QWidget>

WindowDrag::WindowDrag(QWidget *window, int thresholdPx)
    : QObject(window)
    , m_window(window)
    , m_thresholdPx(thresholdPx)
{
    window->installEventFilter(this);
}

bool WindowDrag::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        m_window->setFocus();
        m_dragging = true;
        m_grip = static_cast<QMouseEvent *>(event)->pos();
        break;
    case QEvent::MouseButtonRelease:
        m_dragging = false;
        break;
    case QEvent::MouseMove: {
        const auto *move = static_cast<QMouseEvent *>(event);
        if (m_dragging && move->buttons() != Qt::NoButton && move->pos() != m_grip
            && (move->pos() - m_grip).manhattanLength() > m_thresholdPx)
            m_window->move(move->globalPos() - m_grip);
        break;
    }
    default:
        break;
    }
    return false;
}
