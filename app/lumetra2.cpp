#include "lumetra2.h"

#include "cardcommandsequence.h"
#include "cardscanner.h"
#include "cardsessionbuilder.h"
#include "circleslide.h"
#include "highperformanceswitch.h"
#include "korvo_backgroundeffects.h"
#include "korvo_colorpalettebox.h"
#include "korvo_combobox.h"
#include "korvo_messagebox.h"
#include "korvo_overclockingwidget.h"
#include "korvo_sendnvcardinfothread.h"
#include "korvo_settingparentwidget.h"
#include "korvo_updatelogwidget.h"
#include "lumetra2stylesheet.h"
#include "mainwindowtray.h"
#include "programautostart.h"
#include "programfolders.h"
#include "rollstackwidget.h"
#include "settingvalues.h"
#include "toptabbuttons.h"
#include "updatecontroller.h"
#include "windowdrag.h"
#include "workermetatypes.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>

namespace {

const QPoint BackgroundEffectsPos(7, 27);

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
    setObjectName(QStringLiteral("Lumetra2Class"));
    setWindowModality(Qt::NonModal);
    setWindowTitle(QStringLiteral("Lumetra2"));
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
    // The other cards' pages, and every card's start-up commands with their pauses, come on the first turns
    // of the loop, after show(): the window maps without waiting for them, and the cards' pauses run side
    // by side.
    QTimer::singleShot(0, this, &Lumetra2::buildRemainingCards);

    if (CardSession *first = session(0)) {
        if (QWidget *circle = first->pages().circleWidgetFor(PageHome, false))
            m_circleArea->setCurrentWidget(circle);
        applyCardRules();
    }

    connect(m_btnMonitor, &QPushButton::clicked, this, &Lumetra2::onBtnMonitorClicked);
    connect(m_btnAdjust, &QPushButton::clicked, this, &Lumetra2::onBtnAdjustClicked);
    connect(m_btnGpuFixedInfo, &QPushButton::clicked, this,
        [this] { openPage(PageFixedInfo, m_btnGpuFixedInfo); });
    connect(m_btnBoardTemp, &QPushButton::clicked, this, [this] { openPage(PageBoardTemp, m_btnBoardTemp); });
    connect(m_btnSetting, &QPushButton::released, this, [this] {
        m_settingParent->raise();
        m_settingParent->setShowSettingWidget(!m_settingParent->isOpen());
    });
    connect(m_btnClose, &QPushButton::released, this, &Lumetra2::onBtnCloseClick);
    connect(m_btnMinimize, &QPushButton::released, this, &Lumetra2::hideToTray);
    connect(m_gpuCombox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
        &Lumetra2::onGpuComboxCurrentIndexChanged);
    connect(m_settingParent, &Korvo_SettingParentWidget::languageChanged, this,
        &Lumetra2::onSettingWidgetLanguageChanged);
    connect(m_settingParent, &Korvo_SettingParentWidget::pageEffectChanged, this,
        &Lumetra2::onSettingWidgetPageEffectChanged);
    connect(m_settingParent, &Korvo_SettingParentWidget::refreshTimeChanged, this,
        &Lumetra2::onSettingWidgetRefreshTimeChanged);

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

QSystemTrayIcon *Lumetra2::trayIcon() const
{
    return m_tray ? m_tray->icon() : nullptr;
}

const CardIdentity *Lumetra2::currentCardIdentity() const
{
    return m_currentCard >= 0 && m_currentCard < m_cards.size() ? &m_cards.at(m_currentCard) : nullptr;
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
    m_circleSlide = new CircleSlide(m_circleArea, this);
    connect(m_circleSlide, &CircleSlide::arrivedLeft, this, [this] {
        m_pageArea->setRollEnabled(true);
        showCurrentPage();
    });
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
    m_highPerformance = new HighPerformanceSwitch(m_btnHighPerformance, m_store, this);
    m_btnBoardTemp->hide();
    new WindowDrag(this);

    m_tabs = new TopTabButtons(this);
    connect(m_tabs, &TopTabButtons::ledClicked, this, &Lumetra2::onBtnLEDClicked);
    connect(m_tabs, &TopTabButtons::lcdClicked, this, &Lumetra2::onBtnLCDClicked);

    m_navigation
        = { m_btnMonitor, m_btnAdjust, m_tabs->first(), m_btnGpuFixedInfo, m_tabs->second(), m_btnBoardTemp };
}

void Lumetra2::createTray()
{
    hide();
    m_tray = new MainWindowTray(this);
    m_tray->setTexts(m_mainTexts.trayDisplay, m_mainTexts.trayExit);
    connect(m_tray, &MainWindowTray::activated, this, &Lumetra2::onActivatedSysTrayIcon);
    connect(m_tray, &MainWindowTray::showRequested, this, &Lumetra2::onShowMainAction);
    connect(m_tray, &MainWindowTray::exitRequested, this, &Lumetra2::onExitAppAction);
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
    // Every card is listed; only the selected card's pages are built before the window shows.
    m_sessions.resize(std::size_t(m_cards.size()));
    for (const CardIdentity &card : qAsConst(m_cards))
        m_gpuCombox->addItem(QIcon(), card.shortName, card.index);
    ensureSession(0);
    m_settingParent = new Korvo_SettingParentWidget(m_generalSetting, m_updateSetting, this);
    m_settingParent->hide();
    m_settingParent->setLanguageTexts(m_texts.settings(), m_texts.language());
}

CardSession *Lumetra2::ensureSession(int index)
{
    if (index < 0 || index >= m_cards.size())
        return nullptr;
    std::unique_ptr<CardSession> &slot = m_sessions[std::size_t(index)];
    if (slot)
        return slot.get();
    // Built with the settings and texts of now: a card built after a language change speaks the new one.
    CardSessionBuilder::Context context;
    context.pageParent = this;
    context.store = &m_store;
    context.general = m_generalSetting;
    context.texts = &m_texts;
    slot = CardSessionBuilder::build(m_cards.at(index), context);
    const CardPageSet &pages = slot->pages();
    for (QWidget *page : pages.pageAreaPages())
        m_pageArea->addPage(page);
    for (QWidget *circle : pages.circleAreaWidgets())
        m_circleArea->addWidget(circle);
    if (pages.overClockingPage)
        m_highPerformance->watch(pages.overClockingPage);
    if (pages.colorPalette && !m_layout.circleHome.isEmpty())
        pages.colorPalette->setPaletteSize(m_layout.circleHome.width());
    // The first card's commands wait for the loop like the others'.
    if (m_remainingCardsStarted)
        slot->startUp()->start();
    return slot.get();
}

void Lumetra2::buildRemainingCards()
{
    m_remainingCardsStarted = true;
    if (CardSession *first = session(0))
        first->startUp()->start();
    buildNextCard();
}

void Lumetra2::buildNextCard()
{
    // One card per turn of the loop, so that a click between two cards is answered.
    for (int i = 0; i < m_cards.size(); ++i) {
        if (!session(i)) {
            ensureSession(i);
            QTimer::singleShot(0, this, &Lumetra2::buildNextCard);
            return;
        }
    }
}

void Lumetra2::readSettingsContainer()
{
    m_settingParent->readSettings(m_generalSetting, m_updateSetting);
}

void Lumetra2::applyBoardTempButtonRule()
{
    // Only a card whose board sensors answered has anything to show on the board page; a board page left
    // open for another card closes with the switch.
    const CardIdentity *card = currentCardIdentity();
    const bool sensors = card && card->hasBoardSensors;
    m_btnBoardTemp->setVisible(sensors);
    if (!sensors && m_btnBoardTemp->isChecked()) {
        m_btnBoardTemp->setChecked(false);
        selectPage(m_btnBoardTemp);
    }
}

bool Lumetra2::isCircleMoving() const
{
    return m_circleSlide->isMoving();
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
        if (const CardPageSet *pages = currentPages(); pages && pages->circleWidgetFor(PageHome, false))
            m_circleArea->setCurrentWidget(pages->circleWidgetFor(PageHome, false));
        m_circleSlide->slideHome();
        m_backgroundEffects->startEffect(false);
        m_pageIndex = PageHome;
        return;
    }
    // An exclusive group that can also be all off.
    for (QPushButton *b : qAsConst(checked)) {
        if (b != button)
            b->setChecked(false);
    }
    m_pageArea->show();
    m_circleSlide->slideLeft();
    m_backgroundEffects->startEffect(true);
}

void Lumetra2::onMoveCircleWidgetTimerTimeout()
{
    m_circleSlide->step();
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

void Lumetra2::promptHighPerformance()
{
    m_highPerformance->prompt(m_mainTexts.highPerformanceHint, m_texts.language());
}

void Lumetra2::onBtnMonitorClicked(bool bChecked)
{
    Q_UNUSED(bChecked);
    openPage(PageMonitor, m_btnMonitor);
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
    openPage(PageOverClocking, m_btnAdjust);
}

void Lumetra2::onBtnLEDClicked(bool bChecked)
{
    Q_UNUSED(bChecked);
    // The palette's ring renders aside while the circle slides over to it.
    if (const CardPageSet *pages = currentPages(); pages && pages->colorPalette)
        pages->colorPalette->prepareRing();
    // The tab labelled "LED", also when the slot is called directly rather than through a click.
    openTabPage(PageLed, m_tabs->ledTab());
}

void Lumetra2::onBtnLCDClicked(bool bChecked)
{
    Q_UNUSED(bChecked);
    openTabPage(PageLcd, m_tabs->lcdTab());
}

void Lumetra2::openPage(PageIndex index, QPushButton *button)
{
    m_pageIndex = index;
    selectPage(button);
}

void Lumetra2::openTabPage(PageIndex index, QPushButton *tab)
{
    openPage(index, tab);
    if (m_settingParent->isOpen())
        m_settingParent->setShowSettingWidget(false);
    update();
}

void Lumetra2::onGpuComboxCurrentIndexChanged(int index)
{
    if (index < 0 || index >= m_cards.size())
        return;
    // A card chosen before its turn came is built now.
    ensureSession(index);
    m_currentCard = index;
    showCurrentPage();
    applyCardRules();
    promptHighPerformance();
}

void Lumetra2::applyCardRules()
{
    const CardIdentity *card = currentCardIdentity();
    const CardPageSet *pages = currentPages();
    if (card)
        m_tabs->showCard(card->hasLed, card->hasLcd);
    m_backgroundEffects->setVisible(card && card->series == CardIdentity::KorvoSeries);
    m_highPerformance->showCard(
        card && card->showsHighPerformanceSwitch(), pages ? pages->overClockingPage.data() : nullptr);
    applyBoardTempButtonRule();
    update();
}

bool Lumetra2::confirmExit()
{
    Korvo_MessageBox box(MsgBoxYesNo, QString(), m_mainTexts.exitQuestion, m_texts.language(), this);
    return box.exec() == MsgBoxResultYes;
}

void Lumetra2::onBtnCloseClick()
{
    if (confirmExit())
        onExitAppAction();
}

void Lumetra2::createUpdateCheck()
{
    UpdateController::Window window;
    window.widget = this;
    window.updateSetting = [this] { return m_updateSetting; };
    window.languageSetting = [this] { return m_generalSetting.Language; };
    window.texts = [this]() -> const LanguageTexts & { return m_texts; };
    window.closeAndQuit = [this] { onExitAppAction(); };
    window.packageManaged = ProgramFolders::runningIsPackageManaged();
    m_update = new UpdateController(m_store, window, QString(), this);
    connect(m_update, &UpdateController::updateLogRequested, this,
        [this] { Korvo_UpdateLogWidget::showOnItsOwn(m_texts.language()); });
}

void Lumetra2::checkUpdateOnStart()
{
    m_update->checkUpdateOnStart(QCoreApplication::arguments());
}

void Lumetra2::manualDetectUpdate()
{
    m_update->manualDetectUpdate();
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
    m_tray->setTexts(m_mainTexts.trayDisplay, m_mainTexts.trayExit);
    for (const auto &cardSession : m_sessions) {
        if (cardSession)
            cardSession->applyLanguage(m_texts);
    }
}

void Lumetra2::onSettingWidgetRefreshTimeChanged()
{
    readSettingsContainer();
    const int intervalMs = SettingValues::refreshIntervalMs(m_generalSetting.RefreshTimeOfMonitor);
    for (const auto &cardSession : m_sessions) {
        if (cardSession)
            cardSession->sampler()->setInterval(intervalMs);
    }
}

void Lumetra2::onSettingWidgetPageEffectChanged()
{
    readSettingsContainer();
    for (const auto &cardSession : m_sessions) {
        if (cardSession)
            CardSessionBuilder::applyPageEffects(*cardSession, m_generalSetting.PageEffects);
    }
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
        // A card whose pages were not built yet keeps its stored records as they are.
        for (const auto &cardSession : m_sessions) {
            if (cardSession)
                cardSession->storeRecords(m_store);
        }
        ProgramAutoStart::apply(m_generalSetting.StartOnBoot);
        m_store.recordCloseDate();
        m_store.save();
    }
    if (m_tray)
        m_tray->hide();
    event->accept();
    // The program does not end when its last window closes (a log dialog closed while this window waits in
    // the tray must not end it unsaved): a close by the window system ends it here, like the exit entry.
    if (event->spontaneous())
        QCoreApplication::quit();
}

void Lumetra2::sizePalettes()
{
    // Every palette shares one ring image per size, rendered when a palette first shows.
    for (const auto &cardSession : m_sessions) {
        if (Korvo_ColorPaletteBox *palette = cardSession ? cardSession->pages().colorPalette : nullptr)
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
    m_tabs->paint(painter, m_layout);
}

void Lumetra2::resizeEvent(QResizeEvent *event)
{
    m_layout = m_tabs->layoutFor(size());
    m_gpuCombox->setGeometry(m_layout.cardSelector);
    m_btnGpuFixedInfo->setGeometry(m_layout.btnGpuFixedInfo);
    m_btnAdjust->setGeometry(m_layout.btnAdjust);
    m_btnMonitor->setGeometry(m_layout.btnMonitor);
    m_btnBoardTemp->setGeometry(m_layout.btnBoardTemp);
    m_btnHighPerformance->setGeometry(m_layout.btnHighPerformance);
    m_btnSetting->setGeometry(m_layout.btnSetting);
    m_btnMinimize->setGeometry(m_layout.btnMinimize);
    m_btnClose->setGeometry(m_layout.btnClose);
    m_pageArea->setGeometry(m_layout.pageArea);
    m_circleArea->setGeometry(m_layout.circleHome);
    m_circleSlide->setPlaces(m_layout.circleHome.topLeft(), m_layout.circleLeftX);
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
    m_tabs->place(m_layout, buttonFont);
    QDialog::resizeEvent(event);
}
