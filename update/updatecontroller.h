#pragma once

#include "settingsrecords.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class ConfigStore;
class Korvo_DownloadUpdateFileInfo;
class LanguageTexts;
class QDialog;
class QWidget;

/// The main window's side of updating: the automatic check at start, the settings page's detect button,
/// the decision what to do with a newer version, starting the updater, and finishing after the updater
/// restarted the program. It works on the window's ConfigStore and reads the current settings and texts
/// through the window when it needs them.
class UpdateController : public QObject
{
    Q_OBJECT

public:
    /// The restart marker the updater passes as argument 1.
    static const char *const RestartMarker;
    /// Argument 1 of the updater's command line; argument 2 is the Language setting.
    static const char *const UpdaterMarker;

    /// What the controller needs from its window.
    struct Window
    {
        QWidget *widget = nullptr; ///< parent of the message boxes; may be hidden
        std::function<UpdateSettingRecord()> updateSetting;
        std::function<QString()> languageSetting; ///< the Language value, such as "lang_ch"
        std::function<const LanguageTexts &()> texts;
        std::function<void()> closeAndQuit; ///< after the updater started: save, close, end the program
        /// The package manager installed the program: it never rewrites its own files, and a newer version
        /// is the package manager's to install.
        bool packageManaged = false;
    };

    /// programFolder: where temp/, the updater and config.xml lie (the current directory when empty).
    UpdateController(ConfigStore &store, Window window, const QString &programFolder = QString(),
        QObject *parent = nullptr);

    Korvo_DownloadUpdateFileInfo *downloader() const { return m_downloader; }
    QString programFolder() const { return m_folder; }

    /// The last step of the window's construction: after an updater restart (argument 1 is the marker)
    /// finish the update and ask for the log; otherwise run the automatic check when it is due.
    void checkUpdateOnStart(const QStringList &arguments);
    /// Starts the updater by its absolute path with the marker and the language; on success the window
    /// closes and the program ends, on failure the user is told and the program goes on.
    bool startUpdater();
    /// Makes a message box taller when its text needs more lines than its standard height shows.
    static void fitToText(QDialog &box);

public slots:
    /// The detect button: reports the download's result to the manual handler, even when the start-up
    /// check's download is the one still running.
    void manualDetectUpdate();
    /// The automatic check's result.
    void onDownloadUpdateFileFinished(bool resut);
    /// The manual check's result.
    void onDownloadUpdateFileFinished1(bool ok);

signals:
    /// After an updater restart, once the updater's new file is installed and temp/ emptied: show the log.
    void updateLogRequested();

private:
    void routeTo(void (UpdateController::*handler)(bool));
    /// False when the downloaded manifest does not read as one: the check failed.
    bool handleManifest(bool manual);
    int showMessage(int type, const QString &text);
    QString manifestPath() const;

    ConfigStore &m_store;
    Window m_window;
    QString m_folder;
    Korvo_DownloadUpdateFileInfo *m_downloader = nullptr;
};
