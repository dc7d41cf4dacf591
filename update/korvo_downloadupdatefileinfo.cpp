#include "korvo_downloadupdatefileinfo.h"

#include "updatelayout.h"
#include "updatemanifest.h"
#include "updateserver.h"

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSaveFile>

Korvo_DownloadUpdateFileInfo::Korvo_DownloadUpdateFileInfo(const QString &programFolder, QObject *parent)
    : QObject(parent)
    , m_manager(new QNetworkAccessManager(this))
    , m_url(UpdateServer::manifestUrl())
    , m_folder(programFolder.isEmpty() ? QDir::currentPath() : programFolder)
{
}

Korvo_DownloadUpdateFileInfo::~Korvo_DownloadUpdateFileInfo()
{
    dropFile();
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

QString Korvo_DownloadUpdateFileInfo::localPath() const
{
    return QDir(m_folder).filePath(QLatin1String(UpdateLayout::TempFolder) + QLatin1Char('/')
        + QLatin1String(UpdateLayout::ManifestName));
}

void Korvo_DownloadUpdateFileInfo::dropReply()
{
    if (!m_reply)
        return;
    m_reply->disconnect(this);
    m_reply->deleteLater();
    m_reply = nullptr;
}

void Korvo_DownloadUpdateFileInfo::dropFile()
{
    if (!m_file)
        return;
    // Not committed: nothing of an unfinished download reaches the manifest's name.
    m_file->cancelWriting();
    delete m_file;
    m_file = nullptr;
}

void Korvo_DownloadUpdateFileInfo::fail()
{
    dropReply();
    dropFile();
    m_state = Failed;
    emit downloadFinished(false);
}

void Korvo_DownloadUpdateFileInfo::startDownload()
{
    if (m_state == Running)
        return;
    m_state = Running;
    dropReply();
    dropFile();
    m_written = 0;
    m_writeFailed = false;

    const QString temp = QDir(m_folder).filePath(QLatin1String(UpdateLayout::TempFolder));
    if (!QDir().mkpath(temp)) {
        fail();
        return;
    }
    const QString path = localPath();
    // A link under the manifest's name goes as a link (QSaveFile would write its target), a dangling one too.
    const QFileInfo old(path);
    if ((old.exists() || old.isSymLink()) && !QFile::remove(path)) {
        fail();
        return;
    }
    m_file = new QSaveFile(path);
    if (!m_file->open(QIODevice::WriteOnly)) {
        fail();
        return;
    }
    m_reply = m_manager->get(UpdateServer::request(QUrl(m_url), m_transferTimeoutMs));
    connect(m_reply, &QNetworkReply::finished, this, &Korvo_DownloadUpdateFileInfo::httpFinished);
    connect(m_reply, &QIODevice::readyRead, this, &Korvo_DownloadUpdateFileInfo::httpReadyRead);
}

void Korvo_DownloadUpdateFileInfo::httpReadyRead()
{
    if (!m_file || !m_reply || m_writeFailed)
        return;
    const QByteArray data = m_reply->readAll();
    m_written += data.size();
    // Far larger than any manifest: stop instead of filling the disk.
    if (m_written > UpdateManifest::MaxFileBytes || m_file->write(data) != data.size()) {
        m_writeFailed = true;
        m_reply->abort();
    }
}

void Korvo_DownloadUpdateFileInfo::httpFinished()
{
    if (!m_reply || !m_file) {
        fail();
        return;
    }
    if (m_reply->error() == QNetworkReply::NoError)
        httpReadyRead();
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool complete = m_reply->error() == QNetworkReply::NoError && status == 200 && !m_writeFailed;
    if (!complete || !m_file->commit()) {
        fail();
        return;
    }
    delete m_file;
    m_file = nullptr;
    dropReply();
    m_state = Done;
    emit downloadFinished(true);
}
