#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>

#include <mutex>

class QTcpServer;
class QTcpSocket;

/// A small HTTP server for Prometheus: GET /metrics answers the last
/// exposition handed to it, never by touching the cards. Any other path is
/// 404, any other method 405. A request must arrive whole within the request
/// deadline and within MaxRequestBytes, or the connection is closed; a slow or
/// idle client never holds the event loop, so sampling goes on.
class MetricsServer : public QObject
{
    Q_OBJECT

public:
    static constexpr int MaxRequestBytes = 8192;
    static constexpr int DefaultRequestDeadlineMs = 5000;
    static constexpr int MaxConnections = 1024;

    explicit MetricsServer(QObject *parent = nullptr);
    ~MetricsServer() override;

    bool listen(const QHostAddress &address, quint16 port);
    quint16 port() const;
    QString errorString() const;
    /// The exposition the next scrapes answer.
    void setBody(const QByteArray &body);
    void setRequestDeadlineMs(int ms) { m_deadlineMs = ms; }
    int openConnections() const { return m_open; }
    int scrapes() const { return m_scrapes; }

private:
    void accept();
    void serve(QTcpSocket *socket);
    void answer(
        QTcpSocket *socket, const QByteArray &status, const QByteArray &extraHeaders, const QByteArray &body);

    QTcpServer *m_server;
    QByteArray m_body;
    int m_deadlineMs = DefaultRequestDeadlineMs;
    int m_open = 0;
    int m_scrapes = 0;
};
