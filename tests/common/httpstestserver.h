#pragma once

#include <QProcess>
#include <QSslCertificate>
#include <QSslKey>
#include <QString>
#include <QTemporaryDir>
#include <QThread>

#include <memory>

class StallingListener;

/// A real HTTPS web server on 127.0.0.1 for a test's lifetime. In its own temporary folder it makes a
/// throwaway certificate authority and a server certificate for 127.0.0.1 and localhost with the openssl
/// command, then serves a document root with lighttpd on a free port; the destructor stops the server.
///
/// A client trusts the server only when it trusts caFile(): the program takes that file from
/// LUMETRA_UPDATE_CA_FILE and the server's address from LUMETRA_UPDATE_SERVER (exportEnvironment()).
/// Any path that is not a file under the document root answers 404 (notFoundUrl()).
///
/// Instead of serving files the fixture can stand for a server that hangs: startStalled() listens with
/// the same certificate and either accepts connections and never answers (not even the TLS handshake), or
/// completes the handshake, reads the request, sends the headers and part of the body and then stays
/// silent.
class HttpsTestServer
{
public:
    enum class Stall {
        AcceptOnly, ///< accepts the TCP connection, never sends a byte
        PartialBody, ///< sends status, headers and half of the body, then nothing more
        Endless, ///< announces 10^12 bytes and sends as fast as the client takes them
        Trickle, ///< announces 1 MB and sends one byte every 200 ms
    };

    HttpsTestServer();
    ~HttpsTestServer();
    HttpsTestServer(const HttpsTestServer &) = delete;
    HttpsTestServer &operator=(const HttpsTestServer &) = delete;

    /// Makes the certificates when they do not exist yet and starts lighttpd serving documentRoot. False,
    /// with errorString(), when openssl or lighttpd fail or the server does not come up within seconds.
    bool start(const QString &documentRoot);
    /// Makes the certificates when needed and starts a listener that hangs as the mode says.
    bool startStalled(Stall mode);
    /// Ends the server (also done by the destructor).
    void stop();

    /// A redirect of this URL path (as "/a/b.xml") to the given absolute URL, answered with 301; only
    /// before start().
    void addRedirect(const QString &fromPath, const QString &toUrl);

    /// "https://127.0.0.1:<port>", no trailing slash; empty before a start.
    QString baseUrl() const;
    /// A URL on this server that answers 404.
    QString notFoundUrl() const;
    quint16 port() const { return m_port; }
    /// The PEM file of the throwaway certificate authority that signed the server's certificate.
    QString caFile() const;
    /// The temporary folder that holds the certificates, configuration and logs.
    QString workFolder() const { return m_work.path(); }
    QString errorString() const { return m_error; }
    /// Connections the stalling listener accepted so far.
    int stalledConnections() const;

    /// Sets LUMETRA_UPDATE_SERVER to baseUrl() and LUMETRA_UPDATE_CA_FILE to caFile() for this process
    /// (and the processes it starts).
    void exportEnvironment() const;
    /// Removes both variables again.
    static void clearEnvironment();

private:
    bool makeCertificates();
    bool runOpenssl(const QStringList &arguments);
    bool writeConfig(const QString &documentRoot);
    bool waitUntilListening();
    static quint16 freePort();

    QTemporaryDir m_work;
    QProcess m_server;
    std::unique_ptr<StallingListener> m_stall;
    QList<QPair<QString, QString>> m_redirects;
    quint16 m_port = 0;
    bool m_haveCertificates = false;
    QString m_error;
};
