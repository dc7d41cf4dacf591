#pragma once

#include <QApplication>
#include <QList>
#include <QPointer>
#include <QWidget>

class QLocalServer;
class QLocalSocket;
class QLockFile;

/// The application object of a program that runs once per user: the first instance holds a lock file and
/// listens on a local socket named from the application id and the user, both in the user's run-time
/// folder (a message is at most 4 KiB, a connection lasts at most 3 s, the newest 16 are kept); a later
/// instance finds the lock taken and can hand the first one a message instead of starting itself.
class Korvo_SingleApplication : public QApplication
{
    Q_OBJECT

public:
    Korvo_SingleApplication(int &argc, char **argv, const QString &applicationId);
    ~Korvo_SingleApplication() override;

    QString applicationId() const { return m_applicationId; }
    /// True when another instance with the same id holds the lock.
    bool isRunning() const { return m_running; }
    /// Delivers the message to the running instance; false when it could not be reached within the timeout.
    bool sendMessage(const QString &message, int timeoutMs = 5000);
    /// The window that every received message shows and activates (when activateOnMessage is set).
    void setActivationWindow(QWidget *window, bool activateOnMessage = true);
    QWidget *activationWindow() const { return m_activationWindow; }

    /// Brings the activation window back from hidden or minimised and gives it focus.
    void activateWindow();

    /// Where the lock and the socket of an id live; the real user keeps sessions of different users apart.
    static QString channelName(const QString &applicationId);

signals:
    void messageReceived(const QString &message);

private:
    void onNewConnection();
    void readMessage(QLocalSocket *socket);
    void listen();

    static constexpr int MaxConnections = 16;
    static constexpr int IdleConnectionMs = 3000;
    static constexpr quint32 MaxMessageBytes = 4096;
    static constexpr int ListenCheckMs = 2000;
    QList<QPointer<QLocalSocket>> m_open; ///< the connections, oldest first

    QString m_applicationId;
    QLockFile *m_lockFile = nullptr;
    QLocalServer *m_server = nullptr;
    QPointer<QWidget> m_activationWindow;
    bool m_activateOnMessage = false;
    bool m_running = false;
};
