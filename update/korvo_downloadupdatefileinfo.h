#pragma once

#include <QObject>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;
class QSaveFile;

/// Downloads update_info.xml from the update server into temp/ of the program folder. One download at a
/// time: a start while one runs is ignored, and the running one reports to whoever listens when it ends.
/// Only a whole HTTP 200 answer over a verified connection, written completely, counts as downloaded; a
/// transfer that makes no progress for transferTimeoutMs() ends as failed, so a hung server never blocks
/// later checks.
class Korvo_DownloadUpdateFileInfo : public QObject
{
    Q_OBJECT

public:
    enum DownloadState { Idle = 0, Running = 1, Failed = 2, Done = 3 };
    static constexpr int DefaultTransferTimeoutMs = 30000;

    /// programFolder: where temp/ lies; the current directory when empty.
    explicit Korvo_DownloadUpdateFileInfo(
        const QString &programFolder = QString(), QObject *parent = nullptr);
    ~Korvo_DownloadUpdateFileInfo() override;

    void startDownload();

    int state() const { return m_state; }
    QString url() const { return m_url; }
    /// Another URL than the server's manifest URL (for tests).
    void setUrl(const QString &url) { m_url = url; }
    /// Absolute path of the downloaded manifest.
    QString localPath() const;
    int transferTimeoutMs() const { return m_transferTimeoutMs; }
    void setTransferTimeoutMs(int ms) { m_transferTimeoutMs = ms; }

signals:
    /// True only when the whole file was written.
    void downloadFinished(bool ok);

private slots:
    void httpFinished();
    void httpReadyRead();

private:
    void fail();
    void dropReply();
    void dropFile();

    QNetworkAccessManager *m_manager = nullptr;
    QNetworkReply *m_reply = nullptr;
    QSaveFile *m_file = nullptr;
    QString m_url;
    QString m_folder;
    int m_state = Idle;
    int m_transferTimeoutMs = DefaultTransferTimeoutMs;
    qint64 m_written = 0;
    bool m_writeFailed = false;
};
