#pragma once

#include <QPoint>

class QWidget;

/// Where a top-level window really is. Under a reparenting X window manager Qt can keep a stale place for a
/// window it has just mapped (it reads the place while the manager is still moving its frame), and then
/// message boxes centre on the wrong spot and the first drag jumps. Callers ask the window system before
/// they use the place.
class Korvo_WindowPosition
{
public:
    /// The window's top-left corner on the screen as the window system has it, in Qt's coordinates; the
    /// window's own pos() where the window system cannot say (not shown, not X11).
    static QPoint onScreen(const QWidget *window);

    /// Brings Qt's idea of the window's place in line with the window system's; nothing when they agree.
    static void syncWithWindowSystem(QWidget *window);
};
