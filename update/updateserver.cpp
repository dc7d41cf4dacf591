#include "updateserver.h"

#include "updatelayout.h"

#include <QNetworkRequest>
#include <QSslCertificate>
#include <QUrl>

QString UpdateServer::baseUrl()
{
    QString base = qEnvironmentVariable("LUMETRA_UPDATE_SERVER");
    if (base.isEmpty())
        base = QLatin1String(UpdateLayout::DefaultServer);
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base;
}

QString UpdateServer::manifestUrl()
{
    return baseUrl() + QLatin1Char('/') + QLatin1String(UpdateLayout::ServerFolder) + QLatin1Char('/')
        + QLatin1String(UpdateLayout::ManifestName);
}

QSslConfiguration UpdateServer::sslConfiguration()
{
    QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
    const QString caFile = qEnvironmentVariable("LUMETRA_UPDATE_CA_FILE");
    if (!caFile.isEmpty()) {
        const QList<QSslCertificate> extra
            = QSslCertificate::fromPath(caFile, QSsl::Pem, QSslCertificate::PatternSyntax::FixedString);
        ssl.setCaCertificates(ssl.caCertificates() + extra);
    }
    ssl.setPeerVerifyMode(QSslSocket::VerifyPeer);
    return ssl;
}

QNetworkRequest UpdateServer::request(const QUrl &url, int timeoutMs)
{
    QNetworkRequest request(url);
    request.setSslConfiguration(sslConfiguration());
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(timeoutMs);
    return request;
}
