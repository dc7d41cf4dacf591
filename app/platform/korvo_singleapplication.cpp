#include "korvo_singleapplication.h"

#include "korvo_instancelock.h"

#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>
#include <QTimer>
#include <QWidget>

QString Korvo_SingleApplication::channelName(const QString &applicationId)
{
    return Korvo_InstanceLock::channelName(applicationId);
}

Korvo_SingleApplication::Korvo_SingleApplication(int &argc, char **argv, const QString &applicationId)
    : QApplication(argc, argv)
    , m_applicationId(applicationId)
{
    Korvo_InstanceLock::removeUnreadableLock(applicationId);
    m_lockFile = new QLockFile(Korvo_InstanceLock::lockFilePath(applicationId));
    // A lock left by a crashed instance is stale (its process is gone) and taken over by tryLock.
    m_lockFile->setStaleLockTime(0);
    if (!m_lockFile->tryLock(0)) {
        m_running = m_lockFile->error() == QLockFile::LockFailedError;
        return;
    }
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    m_server->setMaxPendingConnections(MaxConnections);
    connect(m_server, &QLocalServer::newConnection, this, &Korvo_SingleApplication::onNewConnection);
    listen();
    // An accept that fails (no file descriptors left) makes Qt close the server and remove its socket:
    // look now and then, and listen again.
    auto *watch = new QTimer(this);
    connect(watch, &QTimer::timeout, this, [this]() {
        if (!m_server->isListening())
            listen();
    });
    watch->start(ListenCheckMs);
}

void Korvo_SingleApplication::listen()
{
    const QString address = Korvo_InstanceLock::socketPath(m_applicationId);
    QLocalServer::removeServer(address); // a socket left behind by a crashed instance
    m_server->listen(address);
}

Korvo_SingleApplication::~Korvo_SingleApplication()
{
    if (m_server) {
        m_server->close();
        delete m_server;
        m_server = nullptr;
    }
    delete m_lockFile;
}

bool Korvo_SingleApplication::sendMessage(const QString &message, int timeoutMs)
{
    if (!m_running)
        return false;
    QElapsedTimer clock;
    clock.start();
    QLocalSocket socket;
    // The first instance may hold the lock a moment before it listens.
    for (;;) {
        socket.connectToServer(Korvo_InstanceLock::socketPath(m_applicationId));
        if (socket.waitForConnected(int(qMax<qint64>(1, timeoutMs - clock.elapsed()))))
            break;
        if (clock.elapsed() >= timeoutMs)
            return false;
        QThread::msleep(50);
    }
    const QByteArray bytes = message.toUtf8();
    QByteArray frame;
    QDataStream out(&frame, QIODevice::WriteOnly);
    out << bytes;
    socket.write(frame);
    if (!socket.waitForBytesWritten(int(qMax<qint64>(1, timeoutMs - clock.elapsed()))))
        return false;
    // The receiver answers once it has read the whole message, so this process may end safely.
    const bool acknowledged = socket.waitForReadyRead(int(qMax<qint64>(1, timeoutMs - clock.elapsed())));
    socket.disconnectFromServer();
    return acknowledged;
}

void Korvo_SingleApplication::setActivationWindow(QWidget *window, bool activateOnMessage)
{
    m_activationWindow = window;
    m_activateOnMessage = activateOnMessage;
}

void Korvo_SingleApplication::activateWindow()
{
    if (!m_activationWindow)
        return;
    m_activationWindow->setWindowState(m_activationWindow->windowState() & ~Qt::WindowMinimized);
    m_activationWindow->show();
    m_activationWindow->raise();
    m_activationWindow->activateWindow();
}

void Korvo_SingleApplication::onNewConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // Each connection costs a file descriptor: past a few at once the oldest goes (the newest is the
        // one most likely to be a real second start), and an idle one goes after a few seconds, so that a
        // flood of connections can neither use the descriptors up nor keep a real start out.
        m_open.removeAll(nullptr);
        while (m_open.size() >= MaxConnections) {
            QPointer<QLocalSocket> oldest = m_open.takeFirst();
            if (oldest) {
                oldest->abort();
                oldest->deleteLater();
            }
        }
        m_open.append(socket);
        QTimer::singleShot(IdleConnectionMs, socket, [socket]() {
            socket->abort();
            socket->deleteLater();
        });
        connect(socket, &QLocalSocket::readyRead, this, [this, socket]() { readMessage(socket); });
    }
}

void Korvo_SingleApplication::readMessage(QLocalSocket *socket)
{
    // The frame is a 32-bit length and the message: one announcing more than a message can be is
    // refused before anything waits for it.
    if (socket->bytesAvailable() >= 4) {
        QDataStream peek(socket->peek(4));
        quint32 length = 0;
        peek >> length;
        if (length != 0xFFFFFFFFu && length > MaxMessageBytes) {
            socket->abort();
            socket->deleteLater();
            return;
        }
    }
    QDataStream in(socket);
    in.startTransaction();
    QByteArray bytes;
    in >> bytes;
    if (!in.commitTransaction())
        return; // wait for the rest
    socket->write("ack");
    socket->flush();
    const QString message = QString::fromUtf8(bytes);
    if (m_activateOnMessage)
        activateWindow();
    emit messageReceived(message);
}
