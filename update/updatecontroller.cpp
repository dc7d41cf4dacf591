#include "updatecontroller.h"

#include "configstore.h"
#include "korvo_downloadupdatefileinfo.h"
#include "korvo_messagebox.h"
#include "languagetexts.h"
#include "programnames.h"
#include "programversion.h"
#include "updatedecision.h"
#include "updatefinisher.h"
#include "updatelayout.h"
#include "updatemanifest.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLayout>
#include <QProcess>

const char *const UpdateController::RestartMarker = UpdateLayout::RestartMarker;
const char *const UpdateController::UpdaterMarker = UpdateLayout::UpdaterMarker;

UpdateController::UpdateController(
    ConfigStore &store, Window window, const QString &programFolder, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_window(std::move(window))
    , m_folder(QDir(programFolder.isEmpty() ? QDir::currentPath() : programFolder).absolutePath())
    , m_downloader(new Korvo_DownloadUpdateFileInfo(m_folder, this))
{
}

QString UpdateController::manifestPath() const
{
    return m_downloader->localPath();
}

void UpdateController::routeTo(void (UpdateController::*handler)(bool))
{
    disconnect(m_downloader, &Korvo_DownloadUpdateFileInfo::downloadFinished, this, nullptr);
    connect(m_downloader, &Korvo_DownloadUpdateFileInfo::downloadFinished, this, handler);
}

void UpdateController::checkUpdateOnStart(const QStringList &arguments)
{
    // Only a program folder of its own is finished after an updater: a package's files are the package's.
    if (arguments.value(1) == QLatin1String(RestartMarker) && !m_window.packageManaged) {
        m_store.setLastUpdateDate(m_store.today());
        m_store.save();
        UpdateFinisher finisher(m_folder);
        finisher.installUpdater();
        finisher.emptyTempFolder();
        emit updateLogRequested();
        return;
    }
    QDate lastCheck;
    m_store.getLastCheckDate(lastCheck);
    if (!UpdateDecision::isCheckDue(lastCheck, m_window.updateSetting().CheckInterval, m_store.today()))
        return;
    routeTo(&UpdateController::onDownloadUpdateFileFinished);
    m_downloader->startDownload();
}

void UpdateController::manualDetectUpdate()
{
    routeTo(&UpdateController::onDownloadUpdateFileFinished1);
    m_downloader->startDownload();
}

void UpdateController::onDownloadUpdateFileFinished(bool resut)
{
    if (resut)
        handleManifest(false);
}

void UpdateController::onDownloadUpdateFileFinished1(bool ok)
{
    // The user asked: a check that could not be made says so (the background check stays silent).
    if (!ok || !handleManifest(true))
        showMessage(MsgBoxOneButton, m_window.texts().mainWindow().updateCheckFailed);
}

bool UpdateController::handleManifest(bool manual)
{
    UpdateManifest manifest;
    // A download that arrived but does not read as a manifest is a failed check: no date.
    if (!manifest.load(manifestPath()))
        return false;
    m_store.setLastCheckDate(m_store.today());
    m_store.save();

    const Lang_MainWindow &texts = m_window.texts().mainWindow();
    const auto outcome = UpdateDecision::decide(
        QLatin1String(ProgramVersion), manifest, m_window.updateSetting().UpdateMode, manual);
    if (outcome == UpdateDecision::NothingToDo)
        return true;
    if (outcome == UpdateDecision::AlreadyLatest) {
        UpdateFinisher(m_folder).emptyTempFolder();
        showMessage(MsgBoxOneButton, texts.latestVersion);
        return true;
    }
    // A newer version exists. An installed package never rewrites its own files: its package manager updates
    // it, whatever the update mode says.
    if (m_window.packageManaged) {
        showMessage(MsgBoxOneButton, texts.updateByPackageManager);
        return true;
    }
    if (outcome == UpdateDecision::TooOldToUpdate)
        showMessage(MsgBoxOneButton, texts.outdatedVersion);
    else if (outcome == UpdateDecision::UpdateNow
        || showMessage(MsgBoxYesNo, texts.updateQuestion) == MsgBoxResultYes)
        startUpdater();
    return true;
}

int UpdateController::showMessage(int type, const QString &text)
{
    Korvo_MessageBox box(type, QString(), text, m_window.texts().language(), m_window.widget,
        Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    // The window may wait hidden in the tray; closing its box must not count as closing the last window.
    box.setAttribute(Qt::WA_QuitOnClose, false);
    fitToText(box);
    return box.exec();
}

void UpdateController::fitToText(QDialog &box)
{
    // The English outdated-version text with the web site address needs more lines than the box's
    // standard height holds; the user must be able to read the address.
    QLayout *layout = box.layout();
    if (!layout)
        return;
    layout->activate();
    const int needed = layout->totalHeightForWidth(box.width());
    if (needed > box.height())
        box.resize(box.width(), needed);
}

bool UpdateController::startUpdater()
{
    // By its absolute path in the program folder: a search of PATH could start some other program.
    const QString updater = QDir(m_folder).filePath(ProgramNames::updater());
    const QFileInfo info(updater);
    const bool started = info.isFile() && info.isExecutable()
        && QProcess::startDetached(
            updater, { QLatin1String(UpdaterMarker), m_window.languageSetting() }, m_folder);
    if (!started) {
        showMessage(MsgBoxOneButton, m_window.texts().mainWindow().updaterStartFailed);
        return false;
    }
    if (m_window.closeAndQuit)
        m_window.closeAndQuit();
    return true;
}
