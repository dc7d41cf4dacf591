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

class CircleSlide;
class HighPerformanceSwitch;
class Korvo_BackgroundEffects;
class Korvo_ComboBox;
class Korvo_SettingParentWidget;
class QPushButton;
class QStackedWidget;
class MainWindowTray;
class RollStackWidget;
class TopTabButtons;
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
    QSystemTrayIcon *trayIcon() const;
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
    /// Out of sight but reachable: into the tray, or minimised where there is no tray to come back from.
    void hideToTray();

public slots:
    void onBtnMonitorClicked(bool bChecked);
    void onBtnAdjustClicked(bool bChecked);
    void onBtnLEDClicked(bool bChecked);
    void onBtnLCDClicked(bool bChecked);
    void onGpuComboxCurrentIndexChanged(int index);
    void onBtnCloseClick();
    void onActivatedSysTrayIcon(QSystemTrayIcon::ActivationReason reason);
    void onShowMainAction();
    void onExitAppAction();
    void onMoveCircleWidgetTimerTimeout();
    void onSettingWidgetLanguageChanged();
    void onSettingWidgetRefreshTimeChanged();
    void onSettingWidgetPageEffectChanged();
    /// The manual update check, started by the settings page's detect button.
    void manualDetectUpdate();

protected:
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
    void buildCardPages();
    /// The card's session, built first if it is not yet.
    CardSession *ensureSession(int index);
    void buildRemainingCards();
    void buildNextCard();
    /// Gives each card's colour palette the circle area's size.
    void sizePalettes();
    const CardIdentity *currentCardIdentity() const;
    const CardPageSet *currentPages() const;
    /// What follows the shown card: the tabs, the background effects and the two switches.
    void applyCardRules();
    /// Opens a page with its navigation button: the page index, then the exclusive group and the slide.
    void openPage(PageIndex index, QPushButton *button);
    /// The same for the LED or LCD tab, which also closes the settings.
    void openTabPage(PageIndex index, QPushButton *tab);
    /// The board-temperature button: shown only for a card whose board sensors answered at start-up.
    void applyBoardTempButtonRule();
    void applyMainTexts();
    void readSettingsContainer();
    void showFromTray();

    GeneralSettingRecord m_generalSetting;
    UpdateSettingRecord m_updateSetting;
    LanguageTexts m_texts;
    QPixmap m_background;
    /// Declared after the widgets' owners are set up and destroyed before QObject deletes the children: each
    /// session stops its card's threads and deletes the card's widgets while the card's controller exists.
    /// One per card, by index; null until the card's pages are built.
    std::vector<std::unique_ptr<CardSession>> m_sessions;
    bool m_remainingCardsStarted = false;
    QList<CardIdentity> m_cards;
    int m_currentCard = 0;
    CircleSlide *m_circleSlide = nullptr;
    HighPerformanceSwitch *m_highPerformance = nullptr;
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
    TopTabButtons *m_tabs = nullptr;
    QPushButton *m_btnSetting = nullptr;
    QPushButton *m_btnClose = nullptr;
    QPushButton *m_btnMinimize = nullptr;
    QList<QPushButton *> m_navigation;
    Korvo_SettingParentWidget *m_settingParent = nullptr;
    MainWindowTray *m_tray = nullptr;
    UpdateController *m_update = nullptr;
    Lang_MainWindow m_mainTexts;
    MainWindowLayout m_layout;
    /// The overclocking warning asks once per run.
    bool m_adjustWarningPending = true;
    bool m_saved = false;
};
