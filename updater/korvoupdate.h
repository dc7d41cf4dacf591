#pragma once

#include "manifestfileinfo.h"
#include "updatemanifest.h"
#include "updatertexts.h"

#include <QDialog>
#include <QStringList>

#include <functional>

class Korvo_CheckoutFileThread;
class Korvo_DecompressionFileThread;
class Korvo_DownloadFile;
class QLabel;
class QProgressBar;
class QTimer;

/// The updater's small window: runs the three phases (checking, downloading, extracting), shows their
/// progress and an animated status text, asks Retry or Cancel when a phase fails, and starts the main
/// program again when all is done. While a phase runs the window cannot be closed, so no worker is ever
/// torn down half-way through an install.
class KorvoUpdate : public QDialog
{
    Q_OBJECT

public:
    enum UpdatePhase { Checking = 0, Downloading = 1, Extracting = 2 };

    /// Starts a program detached: path, arguments, working folder. Replaced by tests.
    using Launcher = std::function<bool(const QString &, const QStringList &, const QString &)>;

    KorvoUpdate(const UpdaterTexts &texts, const QString &programFolder, QWidget *parent = nullptr);
    ~KorvoUpdate() override;

    /// Hands the manifest's files to the checking worker and starts it.
    void startChecking(const UpdateManifest &manifest);
    void setLauncher(Launcher launcher);

    int phase() const { return m_phase; }
    bool isPhaseRunning() const { return m_phaseRunning; }
    QProgressBar *progressBar() const { return m_progressBar; }
    QLabel *statusLabel() const { return m_statusLabel; }
    QTimer *statusTimer() const { return m_statusTimer; }
    Korvo_CheckoutFileThread *checkoutWorker() const { return m_checkout; }
    Korvo_DownloadFile *downloadWorker() const { return m_download; }
    Korvo_DecompressionFileThread *decompressionWorker() const { return m_decompression; }

    /// The process-wide counter of the status dots.
    static void resetDotCounter();

public slots:
    void checkoutChanged(int completedCount);
    void checkoutResult(bool ok);
    void onDisplayStatusTimerTimeout();
    /// Closing the window while the archives download stops the download and starts the main program
    /// again; false (nothing done) in any other phase.
    bool cancelDownload();
    void onDownloadChanged(int completed);
    void downloadResult(bool ok);
    void decompressionResult(bool ok);
    void onDecompressionFileChanged(int completed);
    /// Esc: ignored while a phase runs.
    void reject() override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void buildWindow();
    void connectWorkers();
    void enterPhase(UpdatePhase phase);
    /// The failure box of a phase; true for Retry.
    bool askRetry(const QString &text);
    void startDownloadPhase();
    void startExtractPhase();
    void restartMainProgram();
    void finish();

    UpdaterTexts m_texts;
    int m_phase = Checking;
    UpdateManifest m_manifest;
    Korvo_CheckoutFileThread *m_checkout = nullptr;
    Korvo_DownloadFile *m_download = nullptr;
    Korvo_DecompressionFileThread *m_decompression = nullptr;
    QTimer *m_statusTimer = nullptr;
    QProgressBar *m_progressBar = nullptr;
    QLabel *m_statusLabel = nullptr;

    const QString m_programFolder;
    ManifestFileList m_toFetch;
    bool m_phaseRunning = false;
    Launcher m_launcher;
};
