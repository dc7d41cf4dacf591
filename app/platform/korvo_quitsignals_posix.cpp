#include "korvo_quitsignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

// A signal may arrive between any two instructions, so its handler only writes the signal's number into a
// socket pair; the GUI thread reads it through a QSocketNotifier and does the real work there.

namespace {

constexpr int QuitSignals[] = { SIGTERM, SIGINT, SIGHUP };
constexpr int SignalCount = int(sizeof(QuitSignals) / sizeof(QuitSignals[0]));

int s_pipe[2] = { -1, -1 };
struct sigaction s_previous[SignalCount];

void onSignal(int number)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    // A full pipe already holds a pending request; losing this one changes nothing.
    [[maybe_unused]] const ssize_t written = ::write(s_pipe[0], &byte, 1);
    errno = savedErrno;
}

bool makeNonBlocking(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    return flags != -1 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != -1
        && ::fcntl(fd, F_SETFD, FD_CLOEXEC) != -1;
}

void closePipe()
{
    for (int &fd : s_pipe) {
        if (fd != -1)
            ::close(fd);
        fd = -1;
    }
}

} // namespace

Korvo_QuitSignals::Korvo_QuitSignals(QObject *parent)
    : QObject(parent)
{
    if (s_pipe[0] != -1)
        return; // another object already owns the handlers
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, s_pipe) != 0) {
        s_pipe[0] = s_pipe[1] = -1;
        return;
    }
    if (!makeNonBlocking(s_pipe[0]) || !makeNonBlocking(s_pipe[1])) {
        closePipe();
        return;
    }
    m_notifier = new QSocketNotifier(s_pipe[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &Korvo_QuitSignals::onSignalPending);

    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < SignalCount; ++i)
        ::sigaction(QuitSignals[i], &action, &s_previous[i]);
    m_active = true;
}

Korvo_QuitSignals::~Korvo_QuitSignals()
{
    if (!m_active)
        return;
    for (int i = 0; i < SignalCount; ++i)
        ::sigaction(QuitSignals[i], &s_previous[i], nullptr);
    delete m_notifier;
    m_notifier = nullptr;
    closePipe();
}

void Korvo_QuitSignals::onSignalPending()
{
    unsigned char byte = 0;
    int last = 0;
    while (::read(s_pipe[1], &byte, 1) == 1)
        last = byte;
    if (last != 0)
        emit quitRequested(last);
}
