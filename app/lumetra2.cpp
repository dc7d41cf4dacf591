#include "lumetra2.h"

#include "cardscanner.h"
#include "cardsessionbuilder.h"
#include "korvo_autostart.h"
#include "korvo_backgroundeffects.h"
#include "korvo_boardinfomainwidget.h"
#include "korvo_colorpalettebox.h"
#include "korvo_combobox.h"
#include "korvo_gpufixedinfo.h"
#include "korvo_gpuinfocirclebox.h"
#include "korvo_lcdcontrollorwidget.h"
#include "korvo_ledcontrolwidget.h"
#include "korvo_messagebox.h"
#include "korvo_messagebox1.h"
#include "korvo_nvcardinfowidget.h"
#include "korvo_overclockingwidget.h"
#include "korvo_sendnvcardinfothread.h"
#include "korvo_settingparentwidget.h"
#include "korvo_updatelogwidget.h"
#include "lumetra2stylesheet.h"
#include "rollstackwidget.h"
#include "toptabs.h"
#include "updatecontroller.h"
#include "workermetatypes.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>

const char *const Lumetra2::AutoStartName = "_Lumetra2";

namespace {

const char *const IconPath = ":/images/images/icon.png";
const QPoint BackgroundEffectsPos(7, 27);
const char *const TabStyle = "QPushButton{background-color:rgba(0,0,0,0);border:0px solid rgba(0,0,0,0);"
                             "color:rgba(255,255,255,255);}";

// What a start at log-on needs from this start's environment to find the same driver and cards.
QStringList driverEnvironment()
{
    QStringList environment;
    for (const char *name : { "LUMETRA_NVAPI_LIBRARY", "LUMETRA_SIM_CARDS" }) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty())
            environment << QLatin1String(name) + QLatin1Char('=') + value;
    }
    return environment;
}

QPushButton *makeButton(QWidget *parent, const char *objectName, bool checkable)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(QLatin1String(objectName));
    button->setCheckable(checkable);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

Lumetra2::Lumetra2(QWidget *parent)
    : QDialog(parent)
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("Lumetra2Class"));
    setWindowModality(Qt::NonModal);
    resize(600, 435);
    setStyleSheet(QString());
    setWindowTitle(QCoreApplication::translate("Lumetra2Class", "Lumetra2"));
    QMetaObject::connectSlotsByName(this);

    setStyleSheet(lumetra2StyleSheet());
    m_background.load(QStringLiteral(":/images/images/background.png"));
    if (!m_background.isNull())
        resize(m_background.size());
    else
        resize(800, 507);

    registerWorkerMetaTypes();
    createWidgets();
    m_cards = CardScanner::scan();

    m_store.load();
    m_store.getGeneralSetting(m_generalSetting);
    m_store.getUpdateSetting(m_updateSetting);
    m_texts.fill(LanguageTexts::languageForSetting(m_generalSetting.Language));
    applyMainTexts();

    buildCardPages();

    if (!m_cards.isEmpty()) {
        m_currentCard = 0;
        applyBackgroundEffectsRule();
        applyHighPerformanceRule();
        applyBoardTempButtonRule();
        if (QWidget *circle = m_sessions.front()->pages().circleBox)
            m_circleArea->setCurrentWidget(circle);
        updateTopButtons(m_cards.first());
    }

    connect(m_btnMonitor, &QPushButton::clicked, this, &Lumetra2::onBtnMonitorClicked);
    connect(m_btnAdjust, &QPushButton::clicked, this, &Lumetra2::onBtnAdjustClicked);
    connect(m_btnGpuFixedInfo, &QPushButton::clicked, this, &Lumetra2::onBtnGpuFixedClicked);
    connect(m_btnBoardTemp, &QPushButton::clicked, this, &Lumetra2::onBtnBoardTempInfoClicked);
    connect(m_btnSetting, &QPushButton::released, this, &Lumetra2::onBtnSettingClick);
    connect(m_btnClose, &QPushButton::released, this, &Lumetra2::onBtnCloseClick);
    connect(m_btnMinimize, &QPushButton::released, this, &Lumetra2::onBtnMinimizeClick);
    connect(m_gpuCombox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
        &Lumetra2::onGpuComboxCurrentIndexChanged);
    connect(m_btnHighPerformance, &QPushButton::clicked, this, &Lumetra2::onBtnHighPerformanceClicked);
    connect(m_settingParent, &Korvo_SettingParentWidget::languageChanged, this,
        &Lumetra2::onSettingWidgetLanguageChanged);
    connect(m_settingParent, &Korvo_SettingParentWidget::pageEffectChanged, this,
        &Lumetra2::onSettingWidgetPageEffectChanged);
    connect(m_settingParent, &Korvo_SettingParentWidget::refreshTimeChanged, this,
        &Lumetra2::onSettingWidgetRefreshTimeChanged);

    m_circleMoveTimer = new QTimer(this);
    m_circleMoveTimer->setInterval(CircleStepIntervalMs);
    connect(m_circleMoveTimer, &QTimer::timeout, this, &Lumetra2::onMoveCircleWidgetTimerTimeout);

    createTray();
    connect(m_settingParent, &Korvo_SettingParentWidget::detectUpdate, this, &Lumetra2::manualDetectUpdate);
    createUpdateCheck();
    checkUpdateOnStart();
}

Lumetra2::~Lumetra2()
{
    // Every card's threads stop and its widgets go while its controller still exists; the sessions go
    // before QObject deletes the remaining children.
    m_sessions.clear();
}

CardSession *Lumetra2::session(int i) const
{
    if (i < 0 || i >= int(m_sessions.size()))
        return nullptr;
    return m_sessions[std::size_t(i)].get();
}

const CardPageSet *Lumetra2::currentPages() const
{
    const CardSession *current = session(m_currentCard);
    return current ? &current->pages() : nullptr;
}

void Lumetra2::createWidgets()
{
    // Made first so that it lies behind everything else; shown only for the series that has it.
    m_backgroundEffects = new Korvo_BackgroundEffects(this);
    m_backgroundEffects->setObjectName(QStringLiteral("backgroundEffects"));
    m_backgroundEffects->hide();
    m_circleArea = new QStackedWidget(this);
    m_circleArea->setObjectName(QStringLiteral("circleArea"));
    m_pageArea = new RollStackWidget(this);
    m_pageArea->setObjectName(QStringLiteral("pageArea"));
    m_pageArea->disableRoll();
    m_pageArea->hide();
    m_gpuCombox = new Korvo_ComboBox(this);
    m_gpuCombox->setObjectName(QStringLiteral("cmb_Gpu"));

    m_btnClose = makeButton(this, "btnClose", false);
    m_btnSetting = makeButton(this, "btnSetting", false);
    m_btnMinimize = makeButton(this, "btnMinimize", false);
    m_btnMonitor = makeButton(this, "btnMonitor", true);
    m_btnAdjust = makeButton(this, "btnAdjust", true);
    m_btnGpuFixedInfo = makeButton(this, "btnGpuFixedInfo", true);
    m_btnBoardTemp = makeButton(this, "btnBoardTemp", true);
    m_btnHighPerformance = makeButton(this, "btnHighPerformance", true);
    m_btnHighPerformance->hide();
    m_btnBoardTemp->hide();

    m_firstOff.load(QStringLiteral(":/images/images/TopButton/first_off.png"));
    m_firstOn.load(QStringLiteral(":/images/images/TopButton/first_on.png"));
    m_secondOff.load(QStringLiteral(":/images/images/TopButton/second_off.png"));
    m_secondOn.load(QStringLiteral(":/images/images/TopButton/second_on.png"));
    m_btnFirstTab = makeButton(this, "btnFirstTab", true);
    m_btnFirstTab->resize(m_firstOff.size());
    m_btnFirstTab->setStyleSheet(QLatin1String(TabStyle));
    m_btnSecondTab = makeButton(this, "btnSecondTab", true);
    m_btnSecondTab->resize(m_secondOff.size());
    m_btnSecondTab->setStyleSheet(QLatin1String(TabStyle));

    m_navigation
        = { m_btnMonitor, m_btnAdjust, m_btnFirstTab, m_btnGpuFixedInfo, m_btnSecondTab, m_btnBoardTemp };
}

void Lumetra2::createTray()
{
    hide();
    m_trayIcon = new QSystemTrayIcon(QIcon(QLatin1String(IconPath)), this);
    m_trayIcon->setToolTip(QStringLiteral("Lumetra2"));
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, &Lumetra2::onActivatedSysTrayIcon);
    m_showAction = new QAction(m_mainTexts.trayDisplay, this);
    m_showAction->setObjectName(QStringLiteral("show"));
    m_exitAction = new QAction(m_mainTexts.trayExit, this);
    m_exitAction->setObjectName(QStringLiteral("exit"));
    connect(m_showAction, &QAction::triggered, this, &Lumetra2::onShowMainAction);
    connect(m_exitAction, &QAction::triggered, this, &Lumetra2::onExitAppAction);
    m_trayMenu = new QMenu(this);
    QFont menuFont = m_trayMenu->font();
    menuFont.setFamily(QStringLiteral("微软雅黑"));
    m_trayMenu->setFont(menuFont);
    m_trayMenu->setMinimumWidth(150);
    m_trayMenu->addAction(m_showAction);
    m_trayMenu->addSeparator();
    m_trayMenu->addAction(m_exitAction);
    m_trayIcon->setContextMenu(m_trayMenu);
    m_trayIcon->setVisible(true);
}

void Lumetra2::applyMainTexts()
{
    m_mainTexts = m_texts.mainWindow();
    m_btnMonitor->setText(m_mainTexts.monitor);
    m_btnAdjust->setText(m_mainTexts.adjust);
    m_btnBoardTemp->setText(m_mainTexts.boardTemp);
    m_btnHighPerformance->setText(m_mainTexts.highPerformanceSwitch);
}

void Lumetra2::buildCardPages()
{
    CardSessionBuilder::Context context;
    context.pageParent = this;
    context.store = &m_store;
    context.general = m_generalSetting;
    context.texts = &m_texts;
    for (int i = 0; i < m_cards.size(); ++i) {
        const CardIdentity &card = m_cards.at(i);
        m_sessions.push_back(CardSessionBuilder::build(card, context));
        placeCardWidgets(*m_sessions.back());
        connectOverClockingPage(*m_sessions.back());
        m_gpuCombox->addItem(QIcon(), card.shortName, card.index);
        applyLanguage(i);
    }
    createSettingsContainer();
}

void Lumetra2::createSettingsContainer()
{
    m_settingParent = new Korvo_SettingParentWidget(m_generalSetting, m_updateSetting, this);
    m_settingParent->hide();
    m_settingParent->setLanguageTexts(m_texts.settings(), m_texts.language());
}

void Lumetra2::readSettingsContainer()
{
    m_settingParent->readSettings(m_generalSetting, m_updateSetting);
}

void Lumetra2::placeCardWidgets(const CardSession &session)
{
    for (QWidget *page : session.pages().pageAreaPages())
        m_pageArea->addPage(page);
    for (QWidget *circle : { session.pages().circleBox.data(), session.pages().colorPalette.data() }) {
        if (circle)
            m_circleArea->addWidget(circle);
    }
}

void Lumetra2::connectOverClockingPage(const CardSession &cardSession)
{
    auto *page = qobject_cast<Korvo_OverClockingWidget *>(cardSession.pages().overClockingPage.data());
    if (!page)
        return;
    // The switch shows the selected card: another card's page changing its mode must not move it.
    connect(page, &Korvo_OverClockingWidget::highPerformanceModeChanged, this, [this, page](bool bEnable) {
        const CardPageSet *pages = currentPages();
        if (pages && pages->overClockingPage == page)
            onHighPerformanceModeChanged(bEnable);
    });
}

Korvo_OverClockingWidget *Lumetra2::currentOverClockingPage() const
{
    const CardPageSet *pages = currentPages();
    return pages ? qobject_cast<Korvo_OverClockingWidget *>(pages->overClockingPage.data()) : nullptr;
}

void Lumetra2::applyLanguage(int card)
{
    // Each page takes its sub-record of m_texts with m_texts.language() once it exists.
    const CardSession *cardSession = session(card);
    if (!cardSession)
        return;
    const CardPageSet &pages = cardSession->pages();
    if (auto *lcdPage = qobject_cast<Korvo_LCDControllorWidget *>(pages.lcdPage.data()))
        lcdPage->setLanguageTexts(m_texts.lcdControl(), m_texts.language());
    if (auto *circleBox = qobject_cast<Korvo_GpuInfoCircleBox *>(pages.circleBox.data()))
        circleBox->setLanguage(m_texts.breathCircle(), m_texts.language());
    if (auto *ledPage = qobject_cast<Korvo_LEDControlWidget *>(pages.ledPage.data()))
        ledPage->setLanguageTexts(m_texts.ledControl(), m_texts.language());
    if (auto *overClocking = qobject_cast<Korvo_OverClockingWidget *>(pages.overClockingPage.data()))
        overClocking->setLanguageTexts(m_texts.overClocking(), m_texts.language());
    applyMonitorPagesLanguage(pages);
}

void Lumetra2::applyMonitorPagesLanguage(const CardPageSet &pages)
{
    if (auto *monitorPage = qobject_cast<Korvo_NvCardInfoWidget *>(pages.monitorPage.data()))
        monitorPage->setLanguageTexts(m_texts.monitorPage(), m_texts.language());
    if (auto *boardPage = qobject_cast<Korvo_BoardInfoMainWidget *>(pages.boardPage.data()))
        boardPage->setLanguageTexts(m_texts.boardTemp(), m_texts.language());
    if (auto *fixedInfoPage = qobject_cast<Korvo_GpuFixedInfo *>(pages.fixedInfoPage.data()))
        fixedInfoPage->setLanguageTexts(m_texts.fixedInfo(), m_texts.language());
}

void Lumetra2::applyBoardTempButtonRule()
{
    // Only a card whose board sensors answered has anything to show on the board page; a board page left
    // open for another card closes with the switch.
    const bool sensors
        = m_currentCard >= 0 && m_currentCard < m_cards.size() && m_cards.at(m_currentCard).hasBoardSensors;
    m_btnBoardTemp->setVisible(sensors);
    if (!sensors && m_btnBoardTemp->isChecked()) {
        m_btnBoardTemp->setChecked(false);
        selectPage(m_btnBoardTemp);
    }
}

bool Lumetra2::isCircleMoving() const
{
    return m_circleMoveTimer->isActive();
}

void Lumetra2::selectPage(QPushButton *button)
{
    QList<QPushButton *> checked;
    for (QPushButton *b : qAsConst(m_navigation)) {
        if (b->isChecked())
            checked.append(b);
    }
    if (checked.isEmpty()) {
        m_pageArea->hide();
        m_pageArea->resetRoll();
        m_circleMovingLeft = false;
        if (const CardPageSet *pages = currentPages(); pages && pages->circleBox)
            m_circleArea->setCurrentWidget(pages->circleBox);
        m_circleMoveTimer->start();
        m_backgroundEffects->startEffect(false);
        m_pageIndex = PageHome;
        return;
    }
    // An exclusive group that can also be all off.
    for (QPushButton *b : qAsConst(checked)) {
        if (b != button)
            b->setChecked(false);
    }
    m_circleMovingLeft = true;
    m_pageArea->show();
    m_circleMoveTimer->start();
    m_backgroundEffects->startEffect(true);
}

void Lumetra2::onMoveCircleWidgetTimerTimeout()
{
    if (m_circleMovingLeft) {
        m_circleX -= CircleStepPx;
        if (m_circleX <= m_layout.circleLeftX) {
            m_circleX = m_layout.circleLeftX;
            m_circleMoveTimer->stop();
            m_pageArea->setRollEnabled(true);
            showCurrentPage();
        }
    } else {
        m_circleX += CircleStepPx;
        if (m_circleX >= m_layout.circleHome.x()) {
            m_circleX = m_layout.circleHome.x();
            m_circleMoveTimer->stop();
        }
    }
    m_circleArea->move(m_circleX, m_circleY);
}

void Lumetra2::showCurrentPage()
{
    const CardPageSet *pages = currentPages();
    if (!pages)
        return;
    const CardPageSet &set = *pages;
    const int selected = m_gpuCombox->currentIndex();
    const CardIdentity &card
        = m_cards.at(selected >= 0 && selected < m_cards.size() ? selected : m_currentCard);
    if (QWidget *circle = set.circleWidgetFor(m_pageIndex, card.hasLed))
        m_circleArea->setCurrentWidget(circle);
    if (m_pageIndex == PageHome)
        return;
    if (m_pageArea->isRollEnabled()) {
        if (QWidget *page = set.pageFor(m_pageIndex, card.hasLed, card.hasLcd))
            m_pageArea->rollTo(page);
    }
    update();
}

void Lumetra2::updateTopButtons(const CardIdentity &card)
{
    for (QPushButton *tab : { m_btnFirstTab, m_btnSecondTab }) {
        disconnect(tab, &QPushButton::clicked, this, &Lumetra2::onBtnLEDClicked);
        disconnect(tab, &QPushButton::clicked, this, &Lumetra2::onBtnLCDClicked);
    }
    m_ledTab = nullptr;
    m_lcdTab = nullptr;
    const TopTabs tabs = TopTabs::forCard(card.hasLed, card.hasLcd);
    const QList<QPair<QPushButton *, TopTabs::Tab>> assignments
        = { { m_btnFirstTab, tabs.first }, { m_btnSecondTab, tabs.second } };
    for (const auto &assignment : assignments) {
        QPushButton *button = assignment.first;
        const TopTabs::Tab &tab = assignment.second;
        button->setVisible(tab.visible);
        if (!tab.visible)
            continue;
        button->setText(tab.text);
        if (tab.page == PageLed) {
            m_ledTab = button;
            connect(button, &QPushButton::clicked, this, &Lumetra2::onBtnLEDClicked);
        } else {
            m_lcdTab = button;
            connect(button, &QPushButton::clicked, this, &Lumetra2::onBtnLCDClicked);
        }
    }
    update();
}

bool Lumetra2::currentCardQualifies() const
{
    return m_currentCard >= 0 && m_currentCard < m_cards.size()
        && m_cards.at(m_currentCard).qualifiesForHighPerformance();
}

void Lumetra2::applyHighPerformanceRule()
{
    if (!currentCardQualifies()) {
        m_btnHighPerformance->hide();
        return;
    }
    m_btnHighPerformance->show();
    // Checked follows the overclocking page's mode; without the page the preset cannot be on.
    const Korvo_OverClockingWidget *page = currentOverClockingPage();
    m_btnHighPerformance->setChecked(page && page->isHighPerformanceMode());
}

void Lumetra2::applyBackgroundEffectsRule()
{
    const bool korvo = m_currentCard >= 0 && m_currentCard < m_cards.size()
        && m_cards.at(m_currentCard).series == CardIdentity::KorvoSeries;
    m_backgroundEffects->setVisible(korvo);
}

void Lumetra2::promptHighPerformance()
{
    if (!m_highPerformancePromptPending || !currentCardQualifies())
        return;
    m_highPerformancePromptPending = false;
    bool doNotPrompt = false;
    m_store.getNotPromptHPS(doNotPrompt);
    if (m_btnHighPerformance->isChecked() || doNotPrompt)
        return;
    Korvo_MessageBox1 box(MsgBoxDontShowAgain, QString(), m_mainTexts.highPerformanceHint, m_texts.language(),
        this, Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    box.setYOffset(-20);
    if (box.exec() == MsgBoxResultConfirmDontShowAgain)
        m_store.setNotPromptHPS(true);
}

void Lumetra2::onBtnMonitorClicked(bool bChecked)
{
    Q_UNUSED(bChecked);
    m_pageIndex = PageMonitor;
    selectPage(m_btnMonitor);
}

void Lumetra2::onBtnAdjustClicked(bool bChecked)
{
    if (bChecked && m_adjustWarningPending) {
        Korvo_MessageBox box(MsgBoxYesNo, QString(), m_mainTexts.adjustWarning, m_texts.language(), this);
        if (box.exec() != MsgBoxResultYes) {
            m_btnAdjust->setChecked(false);
            return;
        }
        m_adjustWarningPending = false;
    }
    m_pageIndex = PageOverClocking;
    selectPage(m_btnAdjust);
}

void Lumetra2::onBtnLEDClicked(bool bChecked)
{
    Q_UNUSED(bChecked);
    m_pageIndex = PageLed;
    // The tab labelled "LED", also when the slot is called directly rather than through a click.
    selectPage(m_ledTab);
    if (m_settingParent->isOpen())
        m_settingParent->setShowSettingWidget(false);
    update();
}

void Lumetra2::onBtnLCDClicked(bool bChecked)
{
    Q_UNUSED(bChecked);
    m_pageIndex = PageLcd;
    selectPage(m_lcdTab);
    if (m_settingParent->isOpen())
        m_settingParent->setShowSettingWidget(false);
    update();
}

void Lumetra2::onBtnGpuFixedClicked(bool bChecked)
{
    Q_UNUSED(bChecked);
    m_pageIndex = PageFixedInfo;
    selectPage(m_btnGpuFixedInfo);
}

void Lumetra2::onBtnBoardTempInfoClicked(bool bChecked)
{
    Q_UNUSED(bChecked);
    m_pageIndex = PageBoardTemp;
    selectPage(m_btnBoardTemp);
}

void Lumetra2::onBtnHighPerformanceClicked(bool checked)
{
    // Without the overclocking page there is no mode to switch: the click must not leave the switch lying.
    Korvo_OverClockingWidget *page = currentOverClockingPage();
    if (!page) {
        m_btnHighPerformance->setChecked(!checked);
        return;
    }
    if (checked != page->isHighPerformanceMode())
        page->setHighPerformanceMode(checked);
    m_btnHighPerformance->setChecked(page->isHighPerformanceMode());
}

void Lumetra2::onHighPerformanceModeChanged(bool bEnable)
{
    m_btnHighPerformance->setChecked(bEnable);
}

void Lumetra2::onGpuComboxCurrentIndexChanged(int index)
{
    if (index < 0 || index >= m_cards.size())
        return;
    m_currentCard = index;
    updateTopButtons(m_cards.at(index));
    showCurrentPage();
    applyBackgroundEffectsRule();
    applyHighPerformanceRule();
    applyBoardTempButtonRule();
    promptHighPerformance();
}

void Lumetra2::onBtnSettingClick()
{
    m_settingParent->raise();
    m_settingParent->setShowSettingWidget(!m_settingParent->isOpen());
}

bool Lumetra2::confirmExit()
{
    Korvo_MessageBox box(MsgBoxYesNo, QString(), m_mainTexts.exitQuestion, m_texts.language(), this);
    return box.exec() == MsgBoxResultYes;
}

void Lumetra2::onBtnCloseClick()
{
    if (!confirmExit())
        return;
    close();
    QCoreApplication::quit();
}

void Lumetra2::createUpdateCheck()
{
    UpdateController::Window window;
    window.widget = this;
    window.updateSetting = [this] { return m_updateSetting; };
    window.languageSetting = [this] { return m_generalSetting.Language; };
    window.texts = [this]() -> const LanguageTexts & { return m_texts; };
    window.closeAndQuit = [this] {
        close();
        QCoreApplication::quit();
    };
    m_update = new UpdateController(m_store, window, QString(), this);
    connect(m_update, &UpdateController::updateLogRequested, this, &Lumetra2::showUpdateLog);
}

void Lumetra2::showUpdateLog()
{
    // Without a parent, so that it stays up while the window is in the tray; it deletes itself on close.
    auto *log = new Korvo_UpdateLogWidget(m_texts.language());
    log->setAttribute(Qt::WA_QuitOnClose, false);
    // Shown once the event loop runs, after the main window: otherwise the window, mapped later, covers it.
    QTimer::singleShot(0, log, [log] {
        log->show();
        log->raise();
        log->activateWindow();
    });
}

void Lumetra2::checkUpdateOnStart()
{
    m_update->checkUpdateOnStart(QCoreApplication::arguments());
}

void Lumetra2::manualDetectUpdate()
{
    m_update->manualDetectUpdate();
}

void Lumetra2::onDownloadUpdateFileFinished(bool resut)
{
    m_update->onDownloadUpdateFileFinished(resut);
}

void Lumetra2::onDownloadUpdateFileFinished1(bool ok)
{
    m_update->onDownloadUpdateFileFinished1(ok);
}

void Lumetra2::onBtnMinimizeClick()
{
    hideToTray();
}

void Lumetra2::hideToTray()
{
    if (QSystemTrayIcon::isSystemTrayAvailable())
        hide();
    else
        showMinimized();
}

void Lumetra2::hideEvent(QHideEvent *event)
{
    // A dialog re-centres itself on every show unless it was moved: the place it had when hidden stays, also
    // when the window system and not a drag put it there.
    if (!event->spontaneous())
        move(pos());
    QDialog::hideEvent(event);
}

void Lumetra2::showFromTray()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    promptHighPerformance();
}

void Lumetra2::onActivatedSysTrayIcon(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Trigger)
        showFromTray();
}

void Lumetra2::onShowMainAction()
{
    showFromTray();
}

void Lumetra2::onExitAppAction()
{
    close();
    QCoreApplication::quit();
}

void Lumetra2::onSettingWidgetLanguageChanged()
{
    readSettingsContainer();
    const LanguageType language = LanguageTexts::languageForSetting(m_generalSetting.Language);
    if (language == m_texts.language())
        return;
    m_texts.fill(language);
    applyMainTexts();
    m_settingParent->setLanguageTexts(m_texts.settings(), m_texts.language());
    m_showAction->setText(m_mainTexts.trayDisplay);
    m_exitAction->setText(m_mainTexts.trayExit);
    for (int i = 0; i < int(m_sessions.size()); ++i)
        applyLanguage(i);
}

void Lumetra2::onSettingWidgetRefreshTimeChanged()
{
    readSettingsContainer();
    const int intervalMs = CardSessionBuilder::refreshIntervalMs(m_generalSetting.RefreshTimeOfMonitor);
    for (const auto &session : m_sessions)
        session->sampler()->setInterval(intervalMs);
}

void Lumetra2::onSettingWidgetPageEffectChanged()
{
    readSettingsContainer();
    for (const auto &cardSession : m_sessions)
        CardSessionBuilder::applyPageEffects(*cardSession, m_generalSetting.PageEffects);
}

void Lumetra2::setAutoStart(bool on)
{
    // A refused write leaves the setting in config.xml only, as on a machine without the rights.
    const QString name = QLatin1String(AutoStartName);
    if (on)
        Korvo_AutoStart::writeEntry(name, QCoreApplication::applicationFilePath(), driverEnvironment());
    else
        Korvo_AutoStart::removeEntry(name);
}

void Lumetra2::closeEvent(QCloseEvent *event)
{
    // The window manager's close (Alt+F4, a title bar's button) asks as the close button does; the end of
    // the session and the program's own paths (close button, tray, signals) close without asking.
    if (event->spontaneous() && !m_saved && !qApp->isSavingSession() && !confirmExit()) {
        event->ignore();
        return;
    }
    if (!m_saved) {
        m_saved = true;
        readSettingsContainer();
        m_store.setGeneralSetting(m_generalSetting);
        m_store.setUpdateSetting(m_updateSetting);
        // Every card has its entry under its own name, even when ApplyLastParamOnStart is off.
        for (const CardIdentity &card : qAsConst(m_cards))
            m_store.ensureCard(card.fullName, card.subsystemId);
        for (const auto &cardSession : m_sessions) {
            const CardIdentity &card = cardSession->identity();
            if (auto *lcdPage
                = qobject_cast<Korvo_LCDControllorWidget *>(cardSession->pages().lcdPage.data()))
                m_store.setLcdRecord(card.fullName, card.subsystemId, lcdPage->currentLcdRecord());
        }
        storeMonitorSelections();
        saveAdjustRecords();
        storeLedRecords();
        setAutoStart(m_generalSetting.StartOnBoot);
        m_store.recordCloseDate();
        m_store.save();
    }
    if (m_trayIcon)
        m_trayIcon->hide();
    event->accept();
    // The program does not end when its last window closes (a log dialog closed while this window waits in
    // the tray must not end it unsaved): a close by the window system ends it here, like the exit entry.
    if (event->spontaneous())
        QCoreApplication::quit();
}

void Lumetra2::storeMonitorSelections()
{
    for (const auto &cardSession : m_sessions) {
        const auto *monitorPage
            = qobject_cast<const Korvo_NvCardInfoWidget *>(cardSession->pages().monitorPage.data());
        if (!monitorPage)
            continue;
        const CardIdentity &card = cardSession->identity();
        m_store.setSelectOption(card.fullName, card.subsystemId, quint32(monitorPage->selectionMask()));
    }
}

void Lumetra2::saveAdjustRecords()
{
    for (const auto &cardSession : m_sessions) {
        auto *page = qobject_cast<Korvo_OverClockingWidget *>(cardSession->pages().overClockingPage.data());
        if (!page)
            continue;
        const CardIdentity &card = cardSession->identity();
        AdjustRecord record;
        page->saveAdjustRecord(record);
        m_store.setAdjustRecord(card.fullName, card.subsystemId, record);
    }
}

void Lumetra2::storeLedRecords()
{
    for (std::size_t i = 0; i < m_sessions.size(); ++i) {
        const CardIdentity &card = m_sessions[i]->identity();
        if (auto *ledPage = qobject_cast<Korvo_LEDControlWidget *>(m_sessions[i]->pages().ledPage.data()))
            m_store.setLedRecord(card.fullName, card.subsystemId, ledPage->currentLedRecord());
    }
}

void Lumetra2::sizePalettes()
{
    // Every palette shares one ring image per size, so this renders at most once per window size.
    for (const auto &cardSession : m_sessions) {
        if (auto *palette = qobject_cast<Korvo_ColorPaletteBox *>(cardSession->pages().colorPalette.data()))
            palette->setPaletteSize(m_layout.circleHome.width());
    }
}

void Lumetra2::keyPressEvent(QKeyEvent *event)
{
    // Escape would reject the dialog, that is hide the window with no way back but the tray. Enter that a
    // number field passes on would press the dialog's default button (the LED page's Reset, say): the
    // field has already taken its number, as when it loses the focus, and nothing else may happen.
    const int key = event->key();
    if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Lumetra2::changeEvent(QEvent *event)
{
    // Without a tray the window comes back from the task bar instead: the hint waits for that moment.
    if (event->type() == QEvent::WindowStateChange) {
        auto *change = static_cast<QWindowStateChangeEvent *>(event);
        if ((change->oldState() & Qt::WindowMinimized) && !(windowState() & Qt::WindowMinimized)
            && isVisible())
            QTimer::singleShot(0, this, &Lumetra2::promptHighPerformance);
    }
    QDialog::changeEvent(event);
}

void Lumetra2::mousePressEvent(QMouseEvent *event)
{
    setFocus();
    m_dragging = true;
    m_dragGrip = event->pos();
    QDialog::mousePressEvent(event);
}

void Lumetra2::mouseReleaseEvent(QMouseEvent *event)
{
    m_dragging = false;
    QDialog::mouseReleaseEvent(event);
}

void Lumetra2::mouseMoveEvent(QMouseEvent *event)
{
    // The grip stays under the pointer. Both come from the pointer event, not from pos(): Qt can keep a
    // stale place for a window the window manager has just placed, and a drag from it threw the window into
    // the screen's corner.
    if (m_dragging && event->buttons() != Qt::NoButton && event->pos() != m_dragGrip)
        move(event->globalPos() - m_dragGrip);
    QDialog::mouseMoveEvent(event);
}

void Lumetra2::paintEvent(QPaintEvent *event)
{
    // Straight onto the window, clipped to what needs repainting: the gauge repaints its part of the
    // window 50 times a second, and a copy of the whole background for each frame was most of its cost.
    // The window is translucent, so what lies under the background is already cleared to transparent:
    // copying the background is the same as blending it, and cheaper.
    QPainter painter(this);
    if (testAttribute(Qt::WA_TranslucentBackground))
        painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (m_background.isNull())
        painter.fillRect(event->rect(), Qt::black);
    else
        painter.drawPixmap(event->rect(), m_background, event->rect());
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (m_btnFirstTab->isVisible()) {
        if (m_btnFirstTab->isChecked())
            painter.drawPixmap(MainWindowLayout::FirstTabRight, 0, m_firstOn);
        else
            painter.drawPixmap(m_layout.firstTab, m_firstOff);
    }
    if (m_btnSecondTab->isVisible()) {
        if (m_btnSecondTab->isChecked())
            painter.drawPixmap(MainWindowLayout::SecondTabRight, 0, m_secondOn);
        else
            painter.drawPixmap(m_layout.secondTab, m_secondOff);
    }
}

void Lumetra2::resizeEvent(QResizeEvent *event)
{
    m_layout = MainWindowLayout::forSize(
        size(), m_firstOff.width(), m_firstOn.width(), m_secondOff.width(), m_secondOn.width());
    m_gpuCombox->setGeometry(m_layout.cardSelector);
    m_btnGpuFixedInfo->setGeometry(m_layout.btnGpuFixedInfo);
    m_btnAdjust->setGeometry(m_layout.btnAdjust);
    m_btnMonitor->setGeometry(m_layout.btnMonitor);
    m_btnBoardTemp->setGeometry(m_layout.btnBoardTemp);
    m_btnHighPerformance->setGeometry(m_layout.btnHighPerformance);
    m_btnFirstTab->move(m_layout.firstTab);
    m_btnSecondTab->move(m_layout.secondTab);
    m_btnSetting->setGeometry(m_layout.btnSetting);
    m_btnMinimize->setGeometry(m_layout.btnMinimize);
    m_btnClose->setGeometry(m_layout.btnClose);
    m_circleX = m_layout.circleHome.x();
    m_circleY = m_layout.circleHome.y();
    m_pageArea->setGeometry(m_layout.pageArea);
    m_circleArea->setGeometry(m_layout.circleHome);
    m_backgroundEffects->move(BackgroundEffectsPos);
    if (m_settingParent)
        m_settingParent->move(width() - m_settingParent->width() - 29, 29);
    sizePalettes();

    QFont buttonFont = font();
    buttonFont.setWeight(63);
    buttonFont.setPixelSize(qMax(1, m_btnMonitor->height() * 3 / 4));
    for (QPushButton *button :
        { m_btnMonitor, m_btnAdjust, m_btnBoardTemp, m_btnHighPerformance, m_btnGpuFixedInfo })
        button->setFont(buttonFont);
    QFont tabFont = buttonFont;
    tabFont.setPixelSize(qMax(1, m_btnFirstTab->height() * 3 / 4));
    tabFont.setFamily(QStringLiteral("Space Age"));
    m_btnFirstTab->setFont(tabFont);
    m_btnSecondTab->setFont(tabFont);
    QDialog::resizeEvent(event);
}
