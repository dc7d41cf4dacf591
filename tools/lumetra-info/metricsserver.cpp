#include "metricsserver.h"

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {
const char *const BufferProperty = "lumetraRequest";
constexpr char ContentType[] = "text/plain; version=0.0.4; charset=utf-8";
} // namespace

MetricsServer::MetricsServer(QObject *parent)
    : QObject(parent)
    , m_server(new QTcpServer(this))
{
    m_server->setMaxPendingConnections(MaxConnections);
    connect(m_server, &QTcpServer::newConnection, this, &MetricsServer::accept);
    // An accept error (too many open files) must not end the listening.
    connect(m_server, &QTcpServer::acceptError, this,
        [this](QAbstractSocket::SocketError) { m_server->resumeAccepting(); });
}

MetricsServer::~MetricsServer()
{
    // The sockets go with the listening server; they count themselves out while this object is whole.
    delete m_server;
}

bool MetricsServer::listen(const QHostAddress &address, quint16 port)
{
    return m_server->listen(address, port);
}

quint16 MetricsServer::port() const
{
    return m_server->serverPort();
}

QString MetricsServer::errorString() const
{
    return m_server->errorString();
}

void MetricsServer::setBody(const QByteArray &body)
{
    m_body = body;
}

void MetricsServer::accept()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        if (m_open >= MaxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++m_open;
        connect(socket, &QObject::destroyed, this, [this] { --m_open; });
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        // The whole request within the deadline: an idle or trickling client is dropped.
        // An answered client that does not take its answer goes one deadline later.
        QPointer<QTcpSocket> guarded(socket);
        const int deadline = m_deadlineMs;
        QTimer::singleShot(deadline, socket, [guarded, deadline] {
            if (!guarded)
                return;
            if (guarded->property(BufferProperty).toByteArray() != "answered") {
                guarded->abort();
                guarded->deleteLater();
                return;
            }
            QTimer::singleShot(deadline, guarded, [guarded] {
                if (guarded) {
                    guarded->abort();
                    guarded->deleteLater();
                }
            });
        });
        if (socket->bytesAvailable() > 0)
            serve(socket);
    }
}

void MetricsServer::serve(QTcpSocket *socket)
{
    QByteArray request = socket->property(BufferProperty).toByteArray();
    if (request == "answered") {
        socket->readAll();
        return;
    }
    request += socket->read(MaxRequestBytes + 1 - request.size());
    if (request.size() > MaxRequestBytes) {
        answer(socket, "431 Request Header Fields Too Large", QByteArray(), "request too large\n");
        return;
    }
    const int end = request.indexOf("\r\n\r\n");
    if (end < 0 && request.indexOf("\n\n") < 0) {
        socket->setProperty(BufferProperty, request);
        return;
    }
    const QList<QByteArray> line = request.left(request.indexOf('\n')).trimmed().split(' ');
    if (line.size() != 3 || !line[2].startsWith("HTTP/1.")) {
        answer(socket, "400 Bad Request", QByteArray(), "bad request\n");
        return;
    }
    const QByteArray &method = line[0];
    const QByteArray path = line[1].left(line[1].indexOf('?') < 0 ? line[1].size() : line[1].indexOf('?'));
    if (method != "GET") {
        answer(socket, "405 Method Not Allowed", "Allow: GET\r\n", "only GET\n");
        return;
    }
    if (path != "/metrics") {
        answer(socket, "404 Not Found", QByteArray(), "the metrics are at /metrics\n");
        return;
    }
    ++m_scrapes;
    answer(socket, "200 OK", QByteArray("Content-Type: ") + ContentType + "\r\n", m_body);
}

void MetricsServer::answer(
    QTcpSocket *socket, const QByteArray &status, const QByteArray &extraHeaders, const QByteArray &body)
{
    socket->setProperty(BufferProperty, QByteArray("answered"));
    QByteArray response = "HTTP/1.1 " + status + "\r\n" + extraHeaders;
    if (!extraHeaders.contains("Content-Type"))
        response += "Content-Type: text/plain; charset=utf-8\r\n";
    response += "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    socket->write(response);
    socket->disconnectFromHost();
}
