#include "korvo_downloadfile.h"

#include "manifestpaths.h"
#include "progresspercent.h"
#include "updatelayout.h"
#include "updatersleep.h"
#include "updateserver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace {

/// What the reply may hold before it waits for the disk: the archive streams, it is never held whole.
constexpr qint64 ReadBufferBytes = 256 * 1024;

} // namespace

Korvo_DownloadFile::Korvo_DownloadFile(const QString &programFolder, QObject *parent)
    : QObject(parent)
    , m_manager(new QNetworkAccessManager(this))
    , m_programFolder(QDir::cleanPath(QDir(programFolder).absolutePath()))
    , m_stallTimer(new QTimer(this))
    , m_stepTimer(new QTimer(this))
{
    m_stallTimer->setSingleShot(true);
    m_stallTimer->setInterval(DefaultStallTimeoutMs);
    connect(m_stallTimer, &QTimer::timeout, this, &Korvo_DownloadFile::onStalled);
    // The pause before each entry runs as a timer: the window keeps painting meanwhile.
    m_stepTimer->setSingleShot(true);
    connect(m_stepTimer, &QTimer::timeout, this, &Korvo_DownloadFile::fetchCurrent);
}

Korvo_DownloadFile::~Korvo_DownloadFile()
{
    stopDownload();
}

bool Korvo_DownloadFile::setServerAddress(const QString &address)
{
    if (m_busy)
        return false;
    m_baseUrl = address;
    return true;
}

bool Korvo_DownloadFile::setFiles(const ManifestFileList &files)
{
    if (m_busy)
        return false;
    m_files = files;
    m_total = files.size();
    m_index = 0;
    return true;
}

bool Korvo_DownloadFile::startDownload()
{
    if (m_busy)
        return false;
    m_busy = true;
    m_stepTimer->start(UpdaterSleep::scaled(200));
    return true;
}

void Korvo_DownloadFile::setStallTimeoutMs(int ms)
{
    m_stallTimer->setInterval(ms);
}

QString Korvo_DownloadFile::archivePath(const ManifestFileInfo &entry) const
{
    ManifestPaths::Resolved resolved;
    if (!ManifestPaths(m_programFolder).resolve(entry, &resolved))
        return QString();
    return resolved.archive;
}

void Korvo_DownloadFile::fetchCurrent()
{
    if (m_index >= m_files.size()) {
        // Nothing may report on this download any more: the install that follows can take minutes.
        m_stallTimer->stop();
        m_busy = false;
        emit downloadResult(true);
        return;
    }
    const ManifestFileInfo &entry = m_files.at(m_index);
    const QString archive = archivePath(entry);
    const QUrl url(ManifestPaths::archiveUrl(m_baseUrl, entry.FileVersion));
    const QString scheme = url.scheme().toLower();
    // Only the web: a manifest must not make the updater read local files or other schemes as archives.
    if (archive.isEmpty() || !url.isValid()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        fail();
        return;
    }
    if (!QDir().mkpath(QDir(m_programFolder).filePath(QLatin1String(UpdateLayout::TempFolder)))) {
        fail();
        return;
    }
    // A stale archive or partial file goes first, a link (dangling ones too) as a link; one that cannot go
    // fails the download. The partial file is then made new, so nothing planted meanwhile is written
    // through.
    const auto clear = [](const QString &path) {
        const QFileInfo info(path);
        return !(info.exists() || info.isSymLink()) || QFile::remove(path);
    };
    if (!clear(archive) || !clear(archive + partialSuffix())) {
        fail();
        return;
    }
    m_file = new QFile(archive + partialSuffix(), this);
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        fail();
        return;
    }
    m_writeFailed = false;
    m_received = 0;
    m_archiveClock.start();
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    if (url.scheme() == QLatin1String("https"))
        request.setSslConfiguration(UpdateServer::sslConfiguration());
    m_reply = m_manager->get(request);
    m_reply->setReadBufferSize(ReadBufferBytes);
    connect(m_reply, &QNetworkReply::finished, this, &Korvo_DownloadFile::httpFinished);
    connect(m_reply, &QNetworkReply::readyRead, this, &Korvo_DownloadFile::httpReadyRead);
    connect(m_reply, &QNetworkReply::errorOccurred, this, &Korvo_DownloadFile::httpError);
    connect(m_reply, &QNetworkReply::sslErrors, this, &Korvo_DownloadFile::sslErrors);
    m_stallTimer->start();
}

bool Korvo_DownloadFile::replyIsOk() const
{
    return m_reply && m_reply->error() == QNetworkReply::NoError
        && m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 200;
}

void Korvo_DownloadFile::httpReadyRead()
{
    if (!m_reply)
        return;
    m_stallTimer->start(); // data came: the stall clock starts again
    if (!m_file || !m_file->isOpen() || m_writeFailed) {
        m_reply->readAll();
        return;
    }
    // An error page is not an archive: its body is never written.
    if (m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() != 200) {
        m_reply->readAll();
        return;
    }
    const qint64 announced = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
    const QByteArray chunk = m_reply->readAll();
    m_received += chunk.size();
    if (announced > m_maxArchiveBytes || m_received > m_maxArchiveBytes) {
        fail(); // no archive of ours is that large: it would only fill the disk
        return;
    }
    if (m_file->write(chunk) != chunk.size()) {
        m_writeFailed = true; // a full disk: the archive would be truncated, and reading on is pointless
        fail();
        return;
    }
    if (isTooSlow()) {
        fail(); // one byte now and then keeps the stall clock going, not the download
        return;
    }
}

bool Korvo_DownloadFile::isTooSlow() const
{
    const qint64 elapsedMs = m_archiveClock.elapsed();
    return elapsedMs > m_rateGraceMs && m_received * 1000 < MinBytesPerSecond * elapsedMs;
}

bool Korvo_DownloadFile::finishArchive()
{
    httpReadyRead(); // what arrived with the end of the reply
    if (!m_file || m_writeFailed || !m_file->flush())
        return false;
    const QString partial = m_file->fileName();
    m_file->close();
    if (m_file->error() != QFileDevice::NoError)
        return false;
    delete m_file;
    m_file = nullptr;
    QString archive = partial;
    archive.chop(partialSuffix().size());
    return QFile::rename(partial, archive);
}

void Korvo_DownloadFile::httpFinished()
{
    if (!m_reply || !m_file || !replyIsOk() || !finishArchive()) {
        if (m_busy)
            fail();
        return;
    }
    // After the last read, which restarted it.
    m_stallTimer->stop();
    dropReply();
    ++m_index;
    emit downloadChanged(ProgressPercent::of(m_index, m_total));
    m_stepTimer->start(UpdaterSleep::scaled(200));
}

void Korvo_DownloadFile::httpError(QNetworkReply::NetworkError)
{
    // The reply's finished() follows every error and reports it.
}

void Korvo_DownloadFile::sslErrors(const QList<QSslError> &)
{
    // Certificate errors are not ignored: the reply then fails and the download with it.
}

void Korvo_DownloadFile::onStalled()
{
    if (m_busy)
        fail();
}

void Korvo_DownloadFile::fail()
{
    m_stallTimer->stop();
    m_stepTimer->stop();
    dropReply();
    dropPartialFile();
    m_busy = false;
    emit downloadResult(false);
}

void Korvo_DownloadFile::dropReply()
{
    if (!m_reply)
        return;
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

void Korvo_DownloadFile::dropPartialFile()
{
    if (!m_file)
        return;
    m_file->close();
    m_file->remove();
    delete m_file;
    m_file = nullptr;
}

void Korvo_DownloadFile::stopDownload()
{
    m_stallTimer->stop();
    m_stepTimer->stop();
    dropReply();
    dropPartialFile();
    m_busy = false;
}
