#pragma once

#include <QSslConfiguration>
#include <QString>

class QNetworkRequest;
class QUrl;

/// The update server as this run sees it: its base URL (LUMETRA_UPDATE_SERVER, else the program's
/// constant) and the certificate authorities trusted for it (the system's, plus the PEM file named by
/// LUMETRA_UPDATE_CA_FILE). Certificate errors are never ignored: the manifest decides which files get
/// installed, so it must come from the real server.
class UpdateServer
{
public:
    /// The base URL without a trailing "/".
    static QString baseUrl();
    /// The base URL followed by "/update_packets/Lumetra2_UpdateFiles/update_info.xml".
    static QString manifestUrl();
    /// The default TLS configuration with the extra authorities added; unreadable or empty files add none.
    static QSslConfiguration sslConfiguration();
    /// A GET request for url: the TLS configuration above, redirects followed only when they stay as safe
    /// (never from https to http), and the transfer aborted after timeoutMs without progress.
    static QNetworkRequest request(const QUrl &url, int timeoutMs);
};
