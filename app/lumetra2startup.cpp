#include "lumetra2startup.h"

#include "configstore.h"
#include "installtransaction.h"
#include "korvo_instancelock.h"
#include "korvo_messagebox.h"
#include "korvo_processmemory.h"
#include "korvo_quitsignals.h"
#include "korvo_singleapplication.h"
#include "languagetexts.h"
#include "lumetra2.h"
#include "lumetrafonts.h"
#include "lumetraresources.h"
#include "programfolders.h"
#include "updatecontroller.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QIcon>
#include <QPointer>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTimer>

#include <memory>

// The updater waits on the same lock, so the id lives with the lock.
const char *const Lumetra2Startup::ApplicationId = Korvo_InstanceLock::MainProgramId;
const char *const Lumetra2Startup::ShowMessage = "show";

namespace {

QPointer<Lumetra2> s_mainWindow;

constexpr Qt::WindowFlags StartupBoxFlags = Qt::CustomizeWindowHint | Qt::WindowTitleHint;
// Long enough for the window's first frames (and the cards' start-up) to have drawn their text.
constexpr int FontPagesReleaseDelayMs = 2000;

/// Said once, when the settings file could not be read and was kept aside: in both languages, since the
/// language setting went with the file.
void showDamagedSettingsNotice(const QString &keptFile)
{
    LanguageTexts chinese;
    chinese.fill(Chinese);
    LanguageTexts english;
    english.fill(English);
    const QString kept = QFileInfo(keptFile).fileName();
    Korvo_MessageBox box(MsgBoxOneButton, QString(),
        chinese.mainWindow().damagedSettings.arg(kept) + QStringLiteral("\r\n")
            + english.mainWindow().damagedSettings.arg(kept),
        Chinese, nullptr, StartupBoxFlags);
    UpdateController::fitToText(box);
    box.exec();
}

/// The settings folder of a package-managed program is made on first start, readable by its user alone.
bool makeFolder(const QString &folder)
{
    if (QFileInfo(folder).isDir())
        return true;
    return QDir().mkpath(folder)
        && QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace

void Lumetra2Startup::chooseGraphicsIntegration()
{
    // Set, even to empty, means someone chose: leave it.
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
}

Lumetra2Startup::Lumetra2Startup(Korvo_SingleApplication &application)
    : m_application(application)
{
}

QString Lumetra2Startup::programFolder() const
{
    return m_programFolder.isEmpty() ? ProgramFolders::runningSettingsFolder() : m_programFolder;
}

Lumetra2 *Lumetra2Startup::mainWindow()
{
    return s_mainWindow.data();
}

int Lumetra2Startup::run()
{
    if (m_application.isRunning()) {
        m_application.sendMessage(QLatin1String(ShowMessage), ShowTimeoutMs);
        return 0;
    }
    initLumetraResources();

    // A package's settings folder is made on first start; a program folder must be there already.
    const bool packageManaged = m_programFolder.isEmpty() && ProgramFolders::runningIsPackageManaged();
    if ((packageManaged && !makeFolder(programFolder())) || !QDir::setCurrent(programFolder())) {
        Korvo_MessageBox box(MsgBoxOneButton, QString(),
            QStringLiteral("未知错误发生") + QStringLiteral("\r\nAn unknown error has occurred"), Chinese,
            nullptr, StartupBoxFlags);
        box.setYesButtonText(QStringLiteral("确定") + QStringLiteral("/Comfirm"));
        box.exec();
        return 0;
    }

    // An install that a killed updater left half done is finished or undone here too: nothing else starts
    // the updater when the program is what it broke. Not while an updater runs: the install is its own.
    // A package's files are the package manager's: there is no install of ours to finish.
    if (!packageManaged && !Korvo_InstanceLock::isHeld(QLatin1String(Korvo_InstanceLock::UpdaterId)))
        InstallTransaction::recover(programFolder());

    auto store = std::make_unique<ConfigStore>();
    store->load();
    store->recordStartDate();
    store->save();

    GeneralSettingRecord general;
    store->getGeneralSetting(general);
    auto texts = std::make_unique<LanguageTexts>();
    const LanguageType language = LanguageTexts::languageForSetting(general.Language);
    texts->fill(language);

    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/images/icon.png")));
    registerLumetraFonts();
    installLumetraFontSubstitutions();
    auto font = std::make_unique<QFont>();
    font->setFamily(QStringLiteral("微软雅黑"));
    QApplication::setFont(*font);
    if (store->keptBrokenFile())
        showDamagedSettingsNotice(store->brokenFileName());

    // Only the main window's own exit paths end the program; closing a dialog while the window is in the
    // tray must not.
    QApplication::setQuitOnLastWindowClosed(false);
    auto window = std::make_unique<Lumetra2>();
    window->setWindowTitle(QStringLiteral("LumetraII"));
    m_application.setActivationWindow(window.get(), true);
    window->setWindowOpacity(1.0);
    window->setAttribute(Qt::WA_TranslucentBackground);
    window->setWindowFlags(Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint);

    if (window->cardCount() <= 0) {
        Korvo_MessageBox box(
            MsgBoxOneButton, QString(), texts->noCardFound(), language, nullptr, StartupBoxFlags);
        box.exec();
        m_application.setActivationWindow(nullptr);
        return 0;
    }

    s_mainWindow = window.get();
    // Log-out, shutdown, kill, Ctrl+C and a closed terminal leave like the tray's exit entry, saving
    // everything. A request that comes while the start-up hint runs its own loop also ends the program's loop
    // before it starts.
    bool quitRequested = false;
    const auto leave = [&quitRequested, &window]() {
        quitRequested = true;
        window->onExitAppAction();
    };
    Korvo_QuitSignals quitSignals;
    QObject::connect(&quitSignals, &Korvo_QuitSignals::quitRequested, window.get(), leave);
    QObject::connect(&m_application, &QGuiApplication::commitDataRequest, window.get(), leave);
    if (general.MinimizeOnStart) {
        // Hidden with only the tray icon; where there is no tray the window waits minimised instead.
        if (!QSystemTrayIcon::isSystemTrayAvailable())
            window->showMinimized();
    } else {
        window->show();
        window->promptHighPerformance();
    }
    // Scanning the embedded fonts and laying out the first frames reads most of the fonts' pages once;
    // once the window is up they are handed back, and drawing reads in again the few glyphs it needs.
    QTimer::singleShot(FontPagesReleaseDelayMs, [] {
        for (const char *fontPath : { KuHeiFontPath, SpaceAgeFontPath, DigitalFontPath })
            Korvo_ProcessMemory::releaseResourcePages(QString::fromUtf8(fontPath));
    });
    const int result = quitRequested ? 0 : m_application.exec();

    m_application.setActivationWindow(nullptr);
    window.reset();
    font.reset();
    texts.reset();
    store.reset();
    return result;
}
