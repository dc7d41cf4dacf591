#include "korvoupdate.h"

#include "korvo_checkoutfilethread.h"
#include "korvo_decompressionfilethread.h"
#include "korvo_downloadfile.h"
#include "korvo_messagebox.h"
#include "lookkit.h"
#include "programnames.h"
#include "updatelayout.h"
#include "updatersleep.h"
#include "windowdrag.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace {

int s_dotCounter = 0; // the status dots run on across phases, as one process-wide count

const char *const ProgressStyle
    = "QProgressBar {\n\tborder: 1px solid  rgb(0,0,0);\n    border-radius: 0px;\n"
      "   background-color: #FFFFFF;\n\tcolor: rgb(0, 0, 0);\n}\n \n"
      "QProgressBar::chunk {\n   background-color: %1;\n"
      "   width: 20px;\n}\n \nQProgressBar {\n   text-align: center;\n}";

bool startDetached(const QString &program, const QStringList &arguments, const QString &folder)
{
    return QProcess::startDetached(program, arguments, folder);
}

} // namespace

void KorvoUpdate::resetDotCounter()
{
    s_dotCounter = 0;
}

KorvoUpdate::KorvoUpdate(const UpdaterTexts &texts, const QString &programFolder, QWidget *parent)
    : QDialog(parent)
    , m_texts(texts)
    , m_checkout(new Korvo_CheckoutFileThread(programFolder, this))
    , m_download(new Korvo_DownloadFile(programFolder, this))
    , m_decompression(new Korvo_DecompressionFileThread(programFolder, this))
    , m_statusTimer(new QTimer(this))
    , m_programFolder(QDir::cleanPath(QDir(programFolder).absolutePath()))
    , m_launcher(startDetached)
{
    buildWindow();
    connectWorkers();
    // A click on a button must not nudge the window: the drag starts past the system's drag distance.
    new WindowDrag(this, QApplication::startDragDistance());
}

KorvoUpdate::~KorvoUpdate()
{
    // Stop the threads before the widgets they report to go away.
    m_checkout->shutDown();
    m_decompression->shutDown();
    m_download->stopDownload();
}

void KorvoUpdate::buildWindow()
{
    resize(453, 58);
    setWindowTitle(QStringLiteral("KorvoUpdate"));
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint);
    setWindowOpacity(1.0);
    setAttribute(Qt::WA_TranslucentBackground);

    m_progressBar = new QProgressBar(this);
    m_progressBar->setGeometry(10, 6, 431, 16);
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_progressBar->setStyleSheet(QString::fromLatin1(ProgressStyle).arg(LookKit::css(LookKit::accent())));

    m_statusLabel = new QLabel(this);
    m_statusLabel->setGeometry(200, 30, 241, 21);
    m_statusLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_statusLabel->setStyleSheet(QStringLiteral("color: rgb(255, 255, 255);"));

    m_statusTimer->setInterval(500);
    connect(m_statusTimer, &QTimer::timeout, this, &KorvoUpdate::onDisplayStatusTimerTimeout);
}

void KorvoUpdate::connectWorkers()
{
    connect(m_checkout, &Korvo_CheckoutFileThread::checkoutChanged, this, &KorvoUpdate::checkoutChanged,
        Qt::QueuedConnection);
    connect(m_checkout, &Korvo_CheckoutFileThread::checkoutResult, this, &KorvoUpdate::checkoutResult,
        Qt::QueuedConnection);
    connect(m_download, &Korvo_DownloadFile::downloadChanged, this, &KorvoUpdate::onDownloadChanged);
    connect(m_download, &Korvo_DownloadFile::downloadResult, this, &KorvoUpdate::downloadResult);
    connect(m_decompression, &Korvo_DecompressionFileThread::decompressionChanged, this,
        &KorvoUpdate::onDecompressionFileChanged, Qt::QueuedConnection);
    connect(m_decompression, &Korvo_DecompressionFileThread::decompressionResult, this,
        &KorvoUpdate::decompressionResult, Qt::QueuedConnection);
}

void KorvoUpdate::setLauncher(Launcher launcher)
{
    m_launcher = std::move(launcher);
}

void KorvoUpdate::enterPhase(UpdatePhase phase)
{
    m_phase = phase;
    m_phaseRunning = true;
    m_progressBar->setValue(0);
    const QString text = phase == Checking ? m_texts.checking
        : phase == Downloading             ? m_texts.downloading
                                           : m_texts.extracting;
    m_statusLabel->setText(text);
}

void KorvoUpdate::startChecking(const UpdateManifest &manifest)
{
    m_manifest = manifest;
    enterPhase(Checking);
    m_checkout->setFiles(m_manifest.files());
    m_checkout->startWorker();
}

void KorvoUpdate::startDownloadPhase()
{
    enterPhase(Downloading);
    m_download->setServerAddress(m_manifest.serverAddress());
    m_download->setFiles(m_toFetch);
    m_download->startDownload();
}

void KorvoUpdate::startExtractPhase()
{
    enterPhase(Extracting);
    m_decompression->setFiles(m_toFetch);
    m_decompression->startWorker();
}

bool KorvoUpdate::askRetry(const QString &text)
{
    m_phaseRunning = false;
    Korvo_MessageBox box(Korvo_MessageBox::TwoButtons, QString(), text, this);
    box.setFirstButtonText(m_texts.retry);
    box.setSecondButtonText(m_texts.cancel);
    return box.exec() == QDialog::Accepted;
}

void KorvoUpdate::checkoutChanged(int completedCount)
{
    m_progressBar->setValue(completedCount);
}

void KorvoUpdate::onDownloadChanged(int completed)
{
    m_progressBar->setValue(completed);
}

void KorvoUpdate::onDecompressionFileChanged(int completed)
{
    m_progressBar->setValue(completed);
}

void KorvoUpdate::checkoutResult(bool ok)
{
    if (ok) {
        m_toFetch = m_checkout->outOfDateFiles();
        startDownloadPhase();
        return;
    }
    if (!askRetry(m_texts.checkFailed)) {
        finish();
        return;
    }
    startChecking(m_manifest);
}

void KorvoUpdate::downloadResult(bool ok)
{
    // A result out of its phase (a late report while the install runs) is no download's result.
    if (m_phase != Downloading || !m_phaseRunning)
        return;
    if (ok) {
        startExtractPhase();
        return;
    }
    if (!askRetry(m_texts.downloadFailed)) {
        finish();
        return;
    }
    startDownloadPhase();
}

void KorvoUpdate::decompressionResult(bool ok)
{
    if (ok) {
        // The phase counts as running until the main program has been started and the window closes.
        QTimer::singleShot(UpdaterSleep::scaled(1000), this, &KorvoUpdate::restartMainProgram);
        return;
    }
    if (!askRetry(m_texts.extractFailed)) {
        finish();
        return;
    }
    startExtractPhase();
}

void KorvoUpdate::restartMainProgram()
{
    // By its absolute path: the updater never runs whatever a search path or the current folder offers.
    m_launcher(m_programFolder + QLatin1Char('/') + ProgramNames::mainProgram(),
        { QLatin1String(UpdateLayout::RestartMarker) }, m_programFolder);
    finish();
}

void KorvoUpdate::finish()
{
    m_phaseRunning = false;
    close();
}

void KorvoUpdate::onDisplayStatusTimerTimeout()
{
    if (s_dotCounter >= 4)
        s_dotCounter = 0;
    ++s_dotCounter;
    const QString text = m_phase == Checking ? m_texts.checking
        : m_phase == Downloading             ? m_texts.downloading
                                             : m_texts.extracting;
    m_statusLabel->setText(text + QString(s_dotCounter, QChar(0x00B7)));
}

void KorvoUpdate::reject()
{
    if (m_phaseRunning && !cancelDownload())
        return;
    QDialog::reject();
}

void KorvoUpdate::closeEvent(QCloseEvent *event)
{
    // Ending the program now could cut an install in half; a download has installed nothing and can go.
    if (m_phaseRunning && !cancelDownload()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

bool KorvoUpdate::cancelDownload()
{
    if (m_phase != Downloading || !m_phaseRunning)
        return false;
    m_download->stopDownload();
    m_phaseRunning = false;
    // Nothing was installed: the program the user left for the update runs again.
    m_launcher(m_programFolder + QLatin1Char('/') + ProgramNames::mainProgram(), {}, m_programFolder);
    return true;
}

void KorvoUpdate::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_statusTimer->start();
}

void KorvoUpdate::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    // Minimised, the window still counts as shown to Qt; hidden, nobody sees the dots.
    m_statusTimer->stop();
}

void KorvoUpdate::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(LookKit::accent(150), 2));
    painter.setBrush(QColor(0, 0, 0, 220));
    painter.drawRoundedRect(rect(), 5, 5);
}
