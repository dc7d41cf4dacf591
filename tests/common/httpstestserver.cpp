#include "httpstestserver.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSemaphore>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <atomic>

namespace {

constexpr int ProcessTimeoutMs = 20000;
constexpr int StartTimeoutMs = 30000;

/// A TLS connection on the stalling listener's thread: answers the first request with headers and half a
/// body, then nothing more.
class PartialResponder : public QObject
{
public:
    PartialResponder(QSslSocket *socket, HttpsTestServer::Stall mode)
        : QObject(socket)
        , m_socket(socket)
        , m_mode(mode)
    {
        QObject::connect(socket, &QSslSocket::readyRead, this, [this] { onReadyRead(); });
    }

private:
    void onReadyRead()
    {
        m_request += m_socket->readAll();
        if (m_answered || !m_request.contains("\r\n\r\n"))
            return;
        m_answered = true;
        if (m_mode == HttpsTestServer::Stall::Endless) {
            m_socket->write("HTTP/1.1 200 OK\r\nContent-Length: 1000000000000\r\n\r\n");
            // Refilled whenever the client has taken what was sent.
            QObject::connect(m_socket, &QSslSocket::encryptedBytesWritten, this, [this] {
                if (m_socket->bytesToWrite() < 256 * 1024)
                    m_socket->write(QByteArray(256 * 1024, 'e'));
            });
            m_socket->write(QByteArray(256 * 1024, 'e'));
            return;
        }
        if (m_mode == HttpsTestServer::Stall::Trickle) {
            m_socket->write("HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n");
            auto *drip = new QTimer(this);
            QObject::connect(drip, &QTimer::timeout, this, [this] {
                m_socket->write("t");
                m_socket->flush();
            });
            drip->start(200);
            return;
        }
        m_socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: 4096\r\n\r\n");
        m_socket->write(QByteArray(2048, ' '));
        m_socket->flush();
    }

    QSslSocket *m_socket;
    HttpsTestServer::Stall m_mode;
    QByteArray m_request;
    bool m_answered = false;
};

/// The listener of a StallingListener; lives on its thread.
class StallingTcpServer : public QTcpServer
{
public:
    StallingTcpServer(HttpsTestServer::Stall mode, const QSslCertificate &certificate, const QSslKey &key,
        std::atomic<int> *accepted)
        : m_mode(mode)
        , m_certificate(certificate)
        , m_key(key)
        , m_accepted(accepted)
    {
    }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        ++*m_accepted;
        if (m_mode == HttpsTestServer::Stall::AcceptOnly) {
            auto *socket = new QTcpSocket(this);
            socket->setSocketDescriptor(descriptor);
            return; // kept open, never read from or written to
        }
        auto *socket = new QSslSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        socket->setLocalCertificate(m_certificate);
        socket->setPrivateKey(m_key);
        socket->setPeerVerifyMode(QSslSocket::VerifyNone);
        new PartialResponder(socket, m_mode);
        socket->startServerEncryption();
    }

private:
    HttpsTestServer::Stall m_mode;
    QSslCertificate m_certificate;
    QSslKey m_key;
    std::atomic<int> *m_accepted;
};

} // namespace

/// A listener on its own thread, so that it keeps its connections even while the test's thread blocks.
class StallingListener : public QThread
{
public:
    StallingListener(HttpsTestServer::Stall mode, const QSslCertificate &certificate, const QSslKey &key)
        : m_mode(mode)
        , m_certificate(certificate)
        , m_key(key)
    {
    }

    ~StallingListener() override
    {
        quit();
        wait();
    }

    /// Starts the thread; the port once it listens, 0 when it could not.
    quint16 listen()
    {
        start();
        m_ready.acquire();
        return m_port;
    }

    int accepted() const { return m_accepted.load(); }

protected:
    void run() override
    {
        StallingTcpServer server(m_mode, m_certificate, m_key, &m_accepted);
        const bool listening = server.listen(QHostAddress::LocalHost, 0);
        m_port = listening ? server.serverPort() : 0;
        m_ready.release();
        if (listening)
            exec();
    }

private:
    HttpsTestServer::Stall m_mode;
    QSslCertificate m_certificate;
    QSslKey m_key;
    QSemaphore m_ready;
    quint16 m_port = 0;
    std::atomic<int> m_accepted { 0 };
};

HttpsTestServer::HttpsTestServer() = default;

HttpsTestServer::~HttpsTestServer()
{
    stop();
}

void HttpsTestServer::stop()
{
    m_stall.reset();
    if (m_server.state() != QProcess::NotRunning) {
        m_server.terminate();
        if (!m_server.waitForFinished(5000)) {
            m_server.kill();
            m_server.waitForFinished(5000);
        }
    }
    m_port = 0;
}

void HttpsTestServer::addRedirect(const QString &fromPath, const QString &toUrl)
{
    m_redirects.append({ fromPath, toUrl });
}

QString HttpsTestServer::baseUrl() const
{
    if (m_port == 0)
        return {};
    return QStringLiteral("https://127.0.0.1:%1").arg(m_port);
}

QString HttpsTestServer::notFoundUrl() const
{
    return baseUrl() + QStringLiteral("/no-such-file-here.xml");
}

QString HttpsTestServer::caFile() const
{
    return m_work.filePath(QStringLiteral("ca.pem"));
}

int HttpsTestServer::stalledConnections() const
{
    return m_stall ? m_stall->accepted() : 0;
}

void HttpsTestServer::exportEnvironment() const
{
    qputenv("LUMETRA_UPDATE_SERVER", baseUrl().toUtf8());
    qputenv("LUMETRA_UPDATE_CA_FILE", QFile::encodeName(caFile()));
}

void HttpsTestServer::clearEnvironment()
{
    qunsetenv("LUMETRA_UPDATE_SERVER");
    qunsetenv("LUMETRA_UPDATE_CA_FILE");
}

bool HttpsTestServer::runOpenssl(const QStringList &arguments)
{
    QProcess openssl;
    openssl.setWorkingDirectory(m_work.path());
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"), arguments);
    if (!openssl.waitForFinished(ProcessTimeoutMs) || openssl.exitStatus() != QProcess::NormalExit
        || openssl.exitCode() != 0) {
        m_error
            = QStringLiteral("openssl %1 failed: %2 %3")
                  .arg(arguments.value(0), openssl.errorString(), QString::fromLocal8Bit(openssl.readAll()));
        return false;
    }
    return true;
}

bool HttpsTestServer::makeCertificates()
{
    if (m_haveCertificates)
        return true;
    if (!m_work.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return false;
    }
    const QStringList ecKey = { QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
        QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes") };
    QFile extensions(m_work.filePath(QStringLiteral("server.ext")));
    if (!extensions.open(QIODevice::WriteOnly)) {
        m_error = QStringLiteral("cannot write server.ext");
        return false;
    }
    extensions.write("subjectAltName=IP:127.0.0.1,DNS:localhost\n"
                     "basicConstraints=CA:FALSE\n"
                     "keyUsage=critical,digitalSignature,keyEncipherment\n"
                     "extendedKeyUsage=serverAuth\n");
    extensions.close();
    const bool made
        = runOpenssl(QStringList { QStringLiteral("req"), QStringLiteral("-x509") } + ecKey
              + QStringList { QStringLiteral("-keyout"), QStringLiteral("ca.key"), QStringLiteral("-out"),
                  QStringLiteral("ca.pem"), QStringLiteral("-days"), QStringLiteral("2"),
                  QStringLiteral("-subj"), QStringLiteral("/CN=Lumetra test CA"), QStringLiteral("-addext"),
                  QStringLiteral("basicConstraints=critical,CA:TRUE"), QStringLiteral("-addext"),
                  QStringLiteral("keyUsage=critical,keyCertSign,cRLSign") })
        && runOpenssl(QStringList { QStringLiteral("req"), QStringLiteral("-new") } + ecKey
            + QStringList { QStringLiteral("-keyout"), QStringLiteral("server.key"), QStringLiteral("-out"),
                QStringLiteral("server.csr"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1") })
        && runOpenssl({ QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
            QStringLiteral("server.csr"), QStringLiteral("-CA"), QStringLiteral("ca.pem"),
            QStringLiteral("-CAkey"), QStringLiteral("ca.key"), QStringLiteral("-CAcreateserial"),
            QStringLiteral("-out"), QStringLiteral("server.pem"), QStringLiteral("-days"),
            QStringLiteral("2"), QStringLiteral("-extfile"), QStringLiteral("server.ext") });
    m_haveCertificates = made;
    return made;
}

bool HttpsTestServer::writeConfig(const QString &documentRoot)
{
    QFile config(m_work.filePath(QStringLiteral("lighttpd.conf")));
    if (!config.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_error = QStringLiteral("cannot write lighttpd.conf");
        return false;
    }
    const auto quoted = [](const QString &text) { return QStringLiteral("\"%1\"").arg(text).toUtf8(); };
    config.write("server.document-root = " + quoted(documentRoot) + "\n");
    config.write("server.bind = \"127.0.0.1\"\n");
    config.write("server.port = " + QByteArray::number(m_port) + "\n");
    config.write("server.modules = (\"mod_openssl\", \"mod_redirect\")\n");
    config.write("server.errorlog = " + quoted(m_work.filePath(QStringLiteral("error.log"))) + "\n");
    config.write("ssl.engine = \"enable\"\n");
    config.write("ssl.pemfile = " + quoted(m_work.filePath(QStringLiteral("server.pem"))) + "\n");
    config.write("ssl.privkey = " + quoted(m_work.filePath(QStringLiteral("server.key"))) + "\n");
    config.write("mimetype.assign = (\".xml\" => \"text/xml\", \".zip\" => \"application/zip\", "
                 "\"\" => \"application/octet-stream\")\n");
    if (!m_redirects.isEmpty()) {
        QByteArrayList rules;
        for (const auto &redirect : m_redirects)
            rules.append(
                quoted(QLatin1Char('^') + QRegularExpression::escape(redirect.first) + QLatin1Char('$'))
                + " => " + quoted(redirect.second));
        config.write("url.redirect = (" + rules.join(", ") + ")\n");
        config.write("url.redirect-code = 301\n");
    }
    return true;
}

quint16 HttpsTestServer::freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

bool HttpsTestServer::waitUntilListening()
{
    const QDeadlineTimer deadline(StartTimeoutMs);
    while (!deadline.hasExpired()) {
        if (m_server.state() == QProcess::NotRunning)
            return false;
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, m_port);
        if (probe.waitForConnected(200))
            return true;
        // Also notices a server that exited (a module missing, the port taken) instead of probing on.
        if (m_server.waitForFinished(50))
            return false;
    }
    return false;
}

bool HttpsTestServer::start(const QString &documentRoot)
{
    stop();
    if (!makeCertificates())
        return false;
    // Another process may take the probed port before lighttpd binds it; a few tries settle that.
    for (int attempt = 0; attempt < 5; ++attempt) {
        m_port = freePort();
        if (m_port == 0 || !writeConfig(documentRoot))
            continue;
        m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_server.start(QStringLiteral("lighttpd"),
            { QStringLiteral("-D"), QStringLiteral("-f"), m_work.filePath(QStringLiteral("lighttpd.conf")) });
        if (!m_server.waitForStarted(ProcessTimeoutMs)) {
            m_error = QStringLiteral("lighttpd does not start: ") + m_server.errorString();
            m_port = 0;
            return false;
        }
        if (waitUntilListening())
            return true;
        stop();
    }
    QFile log(m_work.filePath(QStringLiteral("error.log")));
    log.open(QIODevice::ReadOnly);
    m_error = QStringLiteral("lighttpd did not come up: ") + QString::fromUtf8(log.readAll());
    m_port = 0;
    return false;
}

bool HttpsTestServer::startStalled(Stall mode)
{
    stop();
    if (!makeCertificates())
        return false;
    QFile certificateFile(m_work.filePath(QStringLiteral("server.pem")));
    QFile keyFile(m_work.filePath(QStringLiteral("server.key")));
    if (!certificateFile.open(QIODevice::ReadOnly) || !keyFile.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("cannot read the server certificate");
        return false;
    }
    const QSslCertificate certificate(&certificateFile, QSsl::Pem);
    const QSslKey key(&keyFile, QSsl::Ec, QSsl::Pem);
    if (certificate.isNull() || key.isNull()) {
        m_error = QStringLiteral("the server certificate or key does not load");
        return false;
    }
    m_stall = std::make_unique<StallingListener>(mode, certificate, key);
    m_port = m_stall->listen();
    if (m_port == 0) {
        m_stall.reset();
        m_error = QStringLiteral("cannot listen on 127.0.0.1");
        return false;
    }
    return true;
}
