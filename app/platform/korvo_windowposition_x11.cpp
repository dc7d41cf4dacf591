#include "korvo_windowposition.h"

#include <QWidget>
#include <QWindow>
#include <QX11Info>

#include <xcb/xcb.h>

#include <cstdlib>

QPoint Korvo_WindowPosition::onScreen(const QWidget *window)
{
    if (!window || !window->isWindow() || !window->isVisible() || !window->windowHandle()
        || !QX11Info::isPlatformX11())
        return window ? window->pos() : QPoint();
    xcb_connection_t *connection = QX11Info::connection();
    xcb_translate_coordinates_reply_t *reply = xcb_translate_coordinates_reply(connection,
        xcb_translate_coordinates(connection, static_cast<xcb_window_t>(window->winId()),
            static_cast<xcb_window_t>(QX11Info::appRootWindow()), 0, 0),
        nullptr);
    if (!reply)
        return window->pos();
    const qreal ratio = window->windowHandle()->devicePixelRatio();
    const QPoint client(qRound(reply->dst_x / ratio), qRound(reply->dst_y / ratio));
    free(reply);
    // The server gives the client area; pos() is the frame's corner, which Qt keeps at the same distance.
    return client - (window->geometry().topLeft() - window->pos());
}

void Korvo_WindowPosition::syncWithWindowSystem(QWidget *window)
{
    const QPoint actual = onScreen(window);
    if (window && actual != window->pos())
        window->move(actual);
}
