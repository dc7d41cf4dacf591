#pragma once

#include <QObject>
#include <QPoint>

class QWidget;

/// Moves a frameless window by a drag on any part of it that no child takes, the point taken staying under
/// the pointer. Everything comes from the pointer event, not from pos(): Qt can keep a stale place for a
/// window the window manager has just placed, and a drag from it threw the window into the screen's corner.
class WindowDrag : public QObject
{
    Q_OBJECT

public:
    /// Watches the window's own mouse events (and gives it the focus on a press); a drag shorter than
    /// thresholdPx (Manhattan length) does not move it.
    explicit WindowDrag(QWidget *window, int thresholdPx = 0);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
    int m_thresholdPx;
    bool m_dragging = false;
    QPoint m_grip; ///< where in the window the drag took hold
};
