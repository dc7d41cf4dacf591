#pragma once

#include "manifestfileinfo.h"

#include <QElapsedTimer>
#include <QList>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QSslError>

class QFile;
class QNetworkAccessManager;
class QTimer;

/// The downloading worker, on the GUI thread: fetches the archive of every entry, one after the other,
/// into "temp/<FileVersion>.zip". Each archive streams to a partial file that becomes the archive only
/// when the server answered 200 and every byte reached the disk. A transfer fails, so that no server can
/// keep the updater waiting forever or fill the disk, when: no data comes for the stall timeout; less than
/// 1 KiB a second has come on average after the first 30 s; the archive (announced or received) passes
/// 256 MiB; or a write fails.
class Korvo_DownloadFile : public QObject
{
    Q_OBJECT

public:
    static constexpr int DefaultStallTimeoutMs = 60000;
    static constexpr qint64 DefaultMaxArchiveBytes = 256 * 1024 * 1024;
    static constexpr int DefaultRateGraceMs = 30000;
    static constexpr qint64 MinBytesPerSecond = 1024;

    explicit Korvo_DownloadFile(const QString &programFolder, QObject *parent = nullptr);
    ~Korvo_DownloadFile() override;

    /// The three refuse (false) while a download runs.
    bool setServerAddress(const QString &address);
    bool setFiles(const ManifestFileList &files);
    bool startDownload();

    bool isBusy() const { return m_busy; }
    void setStallTimeoutMs(int ms);
    /// Lower bounds for tests: the largest archive, and how long a transfer runs before its rate counts.
    void setMaxArchiveBytes(qint64 bytes) { m_maxArchiveBytes = bytes; }
    void setRateGraceMs(int ms) { m_rateGraceMs = ms; }
    /// The archive and the partial file of an entry, below the program folder.
    QString archivePath(const ManifestFileInfo &entry) const;
    static QString partialSuffix() { return QStringLiteral(".part"); }

signals:
    void downloadChanged(int completed);
    void downloadResult(bool ok);

public slots:
    void httpFinished();
    void httpReadyRead();
    void httpError(QNetworkReply::NetworkError code);
    void sslErrors(const QList<QSslError> &errors);
    /// Aborts a running download and deletes its partial file; no result is reported.
    void stopDownload();

private:
    void fetchCurrent();
    void fail();
    void dropReply();
    void dropPartialFile();
    bool replyIsOk() const;
    bool finishArchive();
    void onStalled();
    bool isTooSlow() const;

    ManifestFileList m_files;
    QNetworkAccessManager *m_manager = nullptr;
    QPointer<QNetworkReply> m_reply;
    QFile *m_file = nullptr;
    int m_total = 100;
    int m_index = 0;
    QString m_baseUrl;
    bool m_busy = false;

    const QString m_programFolder;
    QTimer *m_stallTimer = nullptr;
    QTimer *m_stepTimer = nullptr;
    bool m_writeFailed = false;
    qint64 m_received = 0; ///< bytes of the current archive
    QElapsedTimer m_archiveClock; ///< since the current archive's request
    qint64 m_maxArchiveBytes = DefaultMaxArchiveBytes;
    int m_rateGraceMs = DefaultRateGraceMs;
};
