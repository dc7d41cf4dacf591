#pragma once

#include "cardidentity.h"
#include "cardsession.h"
#include "configstore.h"
#include "lang_mainwindow.h"
#include "languagetexts.h"
#include "mainwindowlayout.h"
#include "pageindex.h"
#include "settingsrecords.h"

#include <QDialog>
#include <QList>
#include <QPixmap>
#include <QSystemTrayIcon>

#include <memory>
#include <vector>

class Korvo_BackgroundEffects;
class Korvo_ComboBox;
class Korvo_SettingParentWidget;
class Korvo_OverClockingWidget;
class QAction;
class QMenu;
class QPushButton;
class QStackedWidget;
class QTimer;
class RollStackWidget;
class UpdateController;

/// The program's only top-level window: a frameless translucent dialog painted from one background image,
/// with the card selector, the page buttons, the two tabs along the top edge, the settings, minimise and
/// close buttons, the circle area that slides left when a page opens and the page area that rolls pages in.
/// It holds one session per card (controller, workers, pages), shows one card at a time and writes config.xml
/// when it closes.
class Lumetra2 : public QDialog
{
    Q_OBJECT

public:
    static constexpr int CircleStepIntervalMs = 15;
    static constexpr int CircleStepPx = 10;
    /// The autostart entry's name.
    static const char *const AutoStartName;

    explicit Lumetra2(QWidget *parent = nullptr);
    ~Lumetra2() override;

    int cardCount() const { return m_cards.size(); }
    QList<CardIdentity> cards() const { return m_cards; }
    /// The session of card i (the card selector's order); null out of range.
    CardSession *session(int i) const;
    int currentCard() const { return m_currentCard; }
    int pageIndex() const { return m_pageIndex; }
    GeneralSettingRecord generalSettings() const { return m_generalSetting; }
    ConfigStore &store() { return m_store; }
    RollStackWidget *pageArea() const { return m_pageArea; }
    QStackedWidget *circleArea() const { return m_circleArea; }
    Korvo_BackgroundEffects *backgroundEffects() const { return m_backgroundEffects; }
    Korvo_ComboBox *cardSelector() const { return m_gpuCombox; }
    QSystemTrayIcon *trayIcon() const { return m_trayIcon; }
    Korvo_SettingParentWidget *settingsContainer() const { return m_settingParent; }
    UpdateSettingRecord updateSettings() const { return m_updateSetting; }
    const LanguageTexts &texts() const { return m_texts; }
    /// The update check: its downloader, and the request to show the log after an update.
    UpdateController *updateController() const { return m_update; }
    /// The last step of construction: finish an update after the updater's restart, else check when due.
    void checkUpdateOnStart();
    bool isCircleMoving() const;

    void selectPage(QPushButton *button);
    void showCurrentPage();
    /// The one-time hint at the high-performance button, for a card that has the preset.
    void promptHighPerformance();
    void setAutoStart(bool on);
    /// Out of sight but reachable: into the tray, or minimised where there is no tray to come back from.
    void hideToTray();

public slots:
    void onBtnMonitorClicked(bool bChecked);
    void onBtnAdjustClicked(bool bChecked);
    void onBtnLEDClicked(bool bChecked);
    void onBtnLCDClicked(bool bChecked);
    void onBtnGpuFixedClicked(bool bChecked);
    void onBtnBoardTempInfoClicked(bool bChecked);
    void onBtnHighPerformanceClicked(bool checked);
    void onHighPerformanceModeChanged(bool bEnable);
    void onGpuComboxCurrentIndexChanged(int index);
    void onBtnSettingClick();
    void onBtnCloseClick();
    void onBtnMinimizeClick();
    void onActivatedSysTrayIcon(QSystemTrayIcon::ActivationReason reason);
    void onShowMainAction();
    void onExitAppAction();
    void onMoveCircleWidgetTimerTimeout();
    void onSettingWidgetLanguageChanged();
    void onSettingWidgetRefreshTimeChanged();
    void onSettingWidgetPageEffectChanged();
    /// The manual update check, started by the settings page's detect button.
    void manualDetectUpdate();
    void onDownloadUpdateFileFinished(bool resut);
    void onDownloadUpdateFileFinished1(bool ok);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    /// The "Exit program?" question; true when the user confirms.
    bool confirmExit();
    void createWidgets();
    void createTray();
    void createUpdateCheck();
    /// The update log after an update, on its own and non-modal.
    void showUpdateLog();
    void buildCardPages();
    void placeCardWidgets(const CardSession &session);
    /// Hands each card's LED page record to the store (written at close).
    void storeLedRecords();
    /// Gives each card's colour palette the circle area's size.
    void sizePalettes();
    const CardPageSet *currentPages() const;
    void updateTopButtons(const CardIdentity &card);
    void applyLanguage(int card);
    void connectOverClockingPage(const CardSession &cardSession);
    Korvo_OverClockingWidget *currentOverClockingPage() const;
    /// Every card's overclocking values into the store, under the card's name and subsystem id.
    void saveAdjustRecords();
    void applyHighPerformanceRule();
    void applyBackgroundEffectsRule();
    /// The board-temperature button: shown only for a card whose board sensors answered at start-up.
    void applyBoardTempButtonRule();
    void applyMonitorPagesLanguage(const CardPageSet &pages);
    void storeMonitorSelections();
    void applyMainTexts();
    void createSettingsContainer();
    void readSettingsContainer();
    void showFromTray();
    bool currentCardQualifies() const;

    GeneralSettingRecord m_generalSetting;
    UpdateSettingRecord m_updateSetting;
    LanguageTexts m_texts;
    QPixmap m_background;
    QPixmap m_firstOff;
    QPixmap m_firstOn;
    QPixmap m_secondOff;
    QPixmap m_secondOn;
    bool m_dragging = false;
    QPoint m_dragGrip; ///< where in the window the drag took hold
    /// Declared after the widgets' owners are set up and destroyed before QObject deletes the children: each
    /// session stops its card's threads and deletes the card's widgets while the card's controller exists.
    std::vector<std::unique_ptr<CardSession>> m_sessions;
    QList<CardIdentity> m_cards;
    int m_currentCard = 0;
    QTimer *m_circleMoveTimer = nullptr;
    PageIndex m_pageIndex = PageHome;
    ConfigStore m_store;
    Korvo_BackgroundEffects *m_backgroundEffects = nullptr;
    QStackedWidget *m_circleArea = nullptr;
    RollStackWidget *m_pageArea = nullptr;
    Korvo_ComboBox *m_gpuCombox = nullptr;
    QPushButton *m_btnMonitor = nullptr;
    QPushButton *m_btnAdjust = nullptr;
    QPushButton *m_btnGpuFixedInfo = nullptr;
    QPushButton *m_btnBoardTemp = nullptr;
    QPushButton *m_btnHighPerformance = nullptr;
    QPushButton *m_btnFirstTab = nullptr;
    QPushButton *m_btnSecondTab = nullptr;
    /// Which tab is labelled "LED" and which "LCD" for the current card; null when the card has no such tab.
    QPushButton *m_ledTab = nullptr;
    QPushButton *m_lcdTab = nullptr;
    QPushButton *m_btnSetting = nullptr;
    QPushButton *m_btnClose = nullptr;
    QPushButton *m_btnMinimize = nullptr;
    QList<QPushButton *> m_navigation;
    Korvo_SettingParentWidget *m_settingParent = nullptr;
    QSystemTrayIcon *m_trayIcon = nullptr;
    UpdateController *m_update = nullptr;
    QMenu *m_trayMenu = nullptr;
    QAction *m_showAction = nullptr;
    QAction *m_exitAction = nullptr;
    Lang_MainWindow m_mainTexts;
    MainWindowLayout m_layout;
    int m_circleX = 0;
    int m_circleY = 0;
    bool m_circleMovingLeft = false;
    /// Once-per-run flags of the two dialogs that must not nag.
    bool m_adjustWarningPending = true;
    bool m_highPerformancePromptPending = true;
    bool m_saved = false;
};
