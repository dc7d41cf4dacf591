// lumetra-mapwatch [--tray] [--title NAME] [--timeout-ms N] -- PROGRAM [ARGS...]
//
// --timeout-ms 0 does not wait for a window at all (a program that starts hidden).
// Watches the X display for top-level windows being mapped, then starts PROGRAM. Prints one line
//     <pid> <milliseconds from the start to the first mapped window titled NAME, or -1>
// as soon as that window is mapped (or the timeout passes), then waits for PROGRAM and exits with its
// status. With --tray it also holds the system-tray selection of screen 0, so that a Qt program sees a
// tray (the icons it docks are not drawn: nobody looks at them under Xvfb).
#include <xcb/xcb.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double nowMs()
{
    timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

xcb_atom_t internAtom(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *reply
        = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    if (!reply)
        return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

std::string windowTitle(xcb_connection_t *c, xcb_window_t window, xcb_atom_t netWmName, xcb_atom_t utf8)
{
    for (const auto &[property, type] : { std::pair { netWmName, utf8 },
             std::pair { xcb_atom_t(XCB_ATOM_WM_NAME), xcb_atom_t(XCB_ATOM_STRING) } }) {
        xcb_get_property_reply_t *reply
            = xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, type, 0, 256), nullptr);
        if (!reply)
            continue;
        const int length = xcb_get_property_value_length(reply);
        std::string title(static_cast<const char *>(xcb_get_property_value(reply)), size_t(length));
        std::free(reply);
        if (!title.empty())
            return title;
    }
    return {};
}

/// Owns _NET_SYSTEM_TRAY_S0 with a window of our own, as a tray host does.
void holdTray(xcb_connection_t *c, xcb_screen_t *screen)
{
    const xcb_window_t owner = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, owner, screen->root, -1, -1, 1, 1, 0,
        XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    const xcb_atom_t selection = internAtom(c, "_NET_SYSTEM_TRAY_S0");
    xcb_set_selection_owner(c, owner, selection, XCB_CURRENT_TIME);
    // Tell clients that wait for a tray to appear.
    xcb_client_message_event_t event {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = screen->root;
    event.type = internAtom(c, "MANAGER");
    event.data.data32[0] = XCB_CURRENT_TIME;
    event.data.data32[1] = selection;
    event.data.data32[2] = owner;
    xcb_send_event(
        c, 0, screen->root, XCB_EVENT_MASK_STRUCTURE_NOTIFY, reinterpret_cast<const char *>(&event));
}

int usage()
{
    std::fprintf(
        stderr, "usage: lumetra-mapwatch [--tray] [--title NAME] [--timeout-ms N] -- PROGRAM [ARGS...]\n");
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    bool tray = false;
    std::string title = "LumetraII";
    int timeoutMs = 20000;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--tray")
            tray = true;
        else if (arg == "--title" && i + 1 < argc)
            title = argv[++i];
        else if (arg == "--timeout-ms" && i + 1 < argc)
            timeoutMs = std::atoi(argv[++i]);
        else if (arg == "--") {
            ++i;
            break;
        } else
            return usage();
    }
    if (i >= argc)
        return usage();

    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "lumetra-mapwatch: no X display\n");
        return 2;
    }
    xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, screen->root, XCB_CW_EVENT_MASK, &mask);
    if (tray)
        holdTray(c, screen);
    const xcb_atom_t netWmName = internAtom(c, "_NET_WM_NAME");
    const xcb_atom_t utf8 = internAtom(c, "UTF8_STRING");
    xcb_flush(c);

    const double start = nowMs();
    const pid_t pid = fork();
    if (pid < 0)
        return 2;
    if (pid == 0) {
        close(xcb_get_file_descriptor(c));
        execvp(argv[i], argv + i);
        std::perror("lumetra-mapwatch: exec");
        _exit(127);
    }

    double mappedMs = -1;
    pollfd fd { xcb_get_file_descriptor(c), POLLIN, 0 };
    while (mappedMs < 0 && timeoutMs > 0) {
        const double left = start + timeoutMs - nowMs();
        if (left <= 0 || waitpid(pid, nullptr, WNOHANG) == pid)
            break;
        if (poll(&fd, 1, int(left < 50 ? left : 50)) < 0 && errno != EINTR)
            break;
        while (xcb_generic_event_t *event = xcb_poll_for_event(c)) {
            if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
                const double at = nowMs();
                const auto *map = reinterpret_cast<xcb_map_notify_event_t *>(event);
                if (windowTitle(c, map->window, netWmName, utf8) == title)
                    mappedMs = at - start;
            }
            std::free(event);
        }
        if (xcb_connection_has_error(c))
            break;
    }
    std::printf("%d %.1f\n", int(pid), mappedMs);
    std::fflush(stdout);
    // Nobody reads further events: stop the server from queueing them for us.
    const uint32_t none = XCB_EVENT_MASK_NO_EVENT;
    xcb_change_window_attributes(c, screen->root, XCB_CW_EVENT_MASK, &none);
    xcb_flush(c);

    // Keep holding the tray while the program runs; it would see the tray vanish otherwise.
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
    xcb_disconnect(c);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
