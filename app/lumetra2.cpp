#include "lumetra2.h"

#include "gpucontroller.h"
#include "korvo_autostart.h"
#include "korvo_combobox.h"
#include "korvo_messagebox.h"
#include "korvo_messagebox1.h"
#include "korvo_sendnvcardinfothread.h"
#include "lumetra2stylesheet.h"
#include "rollstackwidget.h"
#include "toptabs.h"
#include "workermetatypes.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
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
const char *const TabStyle = "QPushButton{background-color:rgba(0,0,0,0);border:0px solid rgba(0,0,0,0);"
                             "color:rgba(255,255,255,255);}";
constexpr int FirstTabRight = 406;
constexpr int SecondTabRight = 486;
// The LCD probe: LCD on, automatic switching every 10 s, display mode 0x80.
constexpr int ProbeSwitchSeconds = 10;
constexpr std::uint8_t ProbeDisplayMode = 0x80;
// The lighting controller's capability probe.
constexpr std::uint8_t LedProbeCommand = 10;

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
    enumerateCards();

    m_store.load();
    m_store.getGeneralSetting(m_generalSetting);
    m_store.getUpdateSetting(m_updateSetting);
    m_texts.fill(LanguageTexts::languageForSetting(m_generalSetting.Language));
    applyMainTexts();

    buildCardPages();

    if (m_cardCount > 0 && !m_cards.isEmpty()) {
        m_currentCard = 0;
        applyHighPerformanceRule();
        if (QWidget *circle = m_pageSets.first().circleBox)
            m_circleArea->setCurrentWidget(circle);
        updateTopButtons(m_cards.first());
    }

    connect(m_btnMonitor, &QPushButton::clicked, this, &Lumetra2::onBtnMonitorClicked);
    connect(m_btnAdjust, &QPushButton::clicked, this, &Lumetra2::onBtnAdjustClicked);
    connect(m_btnGpuFixedInfo, &QPushButton::clicked, this, &Lumetra2::onBtnGpuFixedClicked);
    connect(m_btnSetting, &QPushButton::released, this, &Lumetra2::onBtnSettingClick);
    connect(m_btnClose, &QPushButton::released, this, &Lumetra2::onBtnCloseClick);
    connect(m_btnMinimize, &QPushButton::released, this, &Lumetra2::onBtnMinimizeClick);
    connect(m_gpuCombox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
        &Lumetra2::onGpuComboxCurrentIndexChanged);
    connect(m_btnHighPerformance, &QPushButton::clicked, this, &Lumetra2::onBtnHighPerformanceClicked);

    m_circleMoveTimer = new QTimer(this);
    m_circleMoveTimer->setInterval(CircleStepIntervalMs);
    connect(m_circleMoveTimer, &QTimer::timeout, this, &Lumetra2::onMoveCircleWidgetTimerTimeout);

    createTray();
}

Lumetra2::~Lumetra2()
{
    // The samplers go first: they use the controllers until they have stopped.
    for (CardPageSet &set : m_pageSets) {
        delete set.sampler;
        set.sampler = nullptr;
    }
    for (CardPageSet &set : m_pageSets) {
        delete set.controller;
        set.controller = nullptr;
    }
}

void Lumetra2::createWidgets()
{
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

void Lumetra2::enumerateCards()
{
    GpuController scanner;
    m_cardCount = scanner.gpuCount();
    for (int i = 0; i < m_cardCount; ++i) {
        scanner.selectGpu(i);
        PciIdentifiers ids;
        scanner.readPciIdentifiers(ids);
        CardIdentity card = CardIdentity::fromDriver(scanner.readGpuName(), ids.subSystemId, i);
        // Both probes really send to the card: only a device that takes the write is there.
        const std::uint8_t none = 0;
        card.hasLed = scanner.sendLedCommand(&none, 0, LedProbeCommand, 0, 0, false);
        card.hasLcd = scanner.sendLcdFrame(true, true, ProbeSwitchSeconds, ProbeDisplayMode);
        CardIdentity::appendWithSuffixes(m_cards, card);
    }
}

void Lumetra2::buildCardPages()
{
    for (int i = 0; i < m_cards.size(); ++i) {
        const CardIdentity &card = m_cards.at(i);
        CardPageSet set;
        set.controller = new GpuController;
        set.controller->selectGpu(card.index);
        // The pages join here as their views become part of the program; each starts from the card's
        // stored record when ApplyLastParamOnStart is on.
        set.sampler = new Korvo_SendNvCardInfoThread(set.controller, this);
        set.sampler->startSampling();
        for (QWidget *page : { set.monitorPage, set.overClockingPage, set.ledPage, set.lcdPage,
                 set.fixedInfoPage, set.boardPage })
            m_pageArea->addPage(page);
        for (QWidget *circle : { set.circleBox, set.colorPalette }) {
            if (circle)
                m_circleArea->addWidget(circle);
        }
        m_pageSets.append(set);
        m_gpuCombox->addItem(QIcon(), card.shortName, card.index);
        applyLanguage(i);
    }
}

void Lumetra2::applyLanguage(int card)
{
    // Each page takes its sub-record of m_texts with m_texts.language() once it exists.
    Q_UNUSED(card);
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
        if (m_currentCard < m_pageSets.size() && m_pageSets.at(m_currentCard).circleBox)
            m_circleArea->setCurrentWidget(m_pageSets.at(m_currentCard).circleBox);
        m_circleMoveTimer->start();
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
}

void Lumetra2::onMoveCircleWidgetTimerTimeout()
{
    if (m_circleMovingLeft) {
        m_circleX -= CircleStepPx;
        if (m_circleX <= m_circleLeftX) {
            m_circleX = m_circleLeftX;
            m_circleMoveTimer->stop();
            m_pageArea->setRollEnabled(true);
            showCurrentPage();
        }
    } else {
        m_circleX += CircleStepPx;
        if (m_circleX >= m_circleHomeX) {
            m_circleX = m_circleHomeX;
            m_circleMoveTimer->stop();
        }
    }
    m_circleArea->move(m_circleX, m_circleY);
}

void Lumetra2::showCurrentPage()
{
    if (m_currentCard < 0 || m_currentCard >= m_pageSets.size())
        return;
    const CardPageSet &set = m_pageSets.at(m_currentCard);
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
    m_btnHighPerformance->setChecked(false);
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
    update();
}

void Lumetra2::onBtnLCDClicked(bool bChecked)
{
    Q_UNUSED(bChecked);
    m_pageIndex = PageLcd;
    selectPage(m_lcdTab);
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
    if (m_currentCard < 0 || m_currentCard >= m_pageSets.size()
        || !m_pageSets.at(m_currentCard).overClockingPage) {
        m_btnHighPerformance->setChecked(!checked);
        return;
    }
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
    applyHighPerformanceRule();
    promptHighPerformance();
}

void Lumetra2::onBtnSettingClick()
{
    // Opens and closes the settings container once it is part of the window.
}

void Lumetra2::onBtnCloseClick()
{
    Korvo_MessageBox box(MsgBoxYesNo, QString(), m_mainTexts.exitQuestion, m_texts.language(), this);
    if (box.exec() != MsgBoxResultYes)
        return;
    close();
    QCoreApplication::quit();
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
    const LanguageType language = LanguageTexts::languageForSetting(m_generalSetting.Language);
    if (language == m_texts.language())
        return;
    m_texts.fill(language);
    applyMainTexts();
    m_showAction->setText(m_mainTexts.trayDisplay);
    m_exitAction->setText(m_mainTexts.trayExit);
    for (int i = 0; i < m_pageSets.size(); ++i)
        applyLanguage(i);
}

void Lumetra2::onSettingWidgetRefreshTimeChanged()
{
    for (const CardPageSet &set : qAsConst(m_pageSets)) {
        if (set.sampler)
            set.sampler->setInterval(m_generalSetting.RefreshTimeOfMonitor * 1000);
    }
}

void Lumetra2::setAutoStart(bool on)
{
    // A refused write leaves the setting in config.xml only, as on a machine without the rights.
    const QString name = QLatin1String(AutoStartName);
    if (on)
        Korvo_AutoStart::writeEntry(name, QCoreApplication::applicationFilePath());
    else
        Korvo_AutoStart::removeEntry(name);
}

void Lumetra2::closeEvent(QCloseEvent *event)
{
    if (!m_saved) {
        m_saved = true;
        m_store.setGeneralSetting(m_generalSetting);
        m_store.setUpdateSetting(m_updateSetting);
        // Every card's records go back under its own name, even when ApplyLastParamOnStart is off; a page
        // that is not part of the window yet hands back what the store had for the card.
        for (const CardIdentity &card : qAsConst(m_cards)) {
            LedRecord led;
            AdjustRecord adjust;
            LcdRecord lcd;
            quint32 selectOption = 0;
            m_store.getLedRecord(card.fullName, card.subsystemId, led);
            m_store.getAdjustRecord(card.fullName, card.subsystemId, adjust);
            m_store.getLcdRecord(card.fullName, card.subsystemId, lcd);
            m_store.getSelectOption(card.fullName, card.subsystemId, selectOption);
            m_store.setLedRecord(card.fullName, card.subsystemId, led);
            m_store.setAdjustRecord(card.fullName, card.subsystemId, adjust);
            m_store.setLcdRecord(card.fullName, card.subsystemId, lcd);
            m_store.setSelectOption(card.fullName, card.subsystemId, selectOption);
        }
        setAutoStart(m_generalSetting.StartOnBoot);
        m_store.setLastCloseDate(QDate::currentDate());
        m_store.save();
    }
    if (m_trayIcon)
        m_trayIcon->hide();
    event->accept();
}

void Lumetra2::keyPressEvent(QKeyEvent *event)
{
    // Escape would reject the dialog, that is hide the window with no way back but the tray.
    if (event->key() == Qt::Key_Escape) {
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
    m_dragOffsetX = event->globalPos().x() - pos().x();
    m_dragOffsetY = event->globalPos().y() - pos().y();
    QDialog::mousePressEvent(event);
}

void Lumetra2::mouseReleaseEvent(QMouseEvent *event)
{
    m_dragging = false;
    QDialog::mouseReleaseEvent(event);
}

void Lumetra2::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging && event->buttons() != Qt::NoButton) {
        const QPoint target = event->globalPos() - QPoint(m_dragOffsetX, m_dragOffsetY);
        if (target.manhattanLength() > QApplication::startDragDistance()) {
            move(target);
            m_dragOffsetX = event->globalPos().x() - pos().x();
            m_dragOffsetY = event->globalPos().y() - pos().y();
        }
    }
    QDialog::mouseMoveEvent(event);
}

void Lumetra2::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    QPixmap picture = m_background;
    if (picture.isNull()) {
        picture = QPixmap(size());
        picture.fill(Qt::black);
    }
    {
        QPainter tabs(&picture);
        if (m_btnFirstTab->isVisible()) {
            if (m_btnFirstTab->isChecked())
                tabs.drawPixmap(FirstTabRight, 0, m_firstOn);
            else
                tabs.drawPixmap(m_firstOn.width() - m_firstOff.width() + FirstTabRight, 0, m_firstOff);
        }
        if (m_btnSecondTab->isVisible()) {
            if (m_btnSecondTab->isChecked())
                tabs.drawPixmap(SecondTabRight, 0, m_secondOn);
            else
                tabs.drawPixmap(m_secondOn.width() - m_secondOff.width() + SecondTabRight, 0, m_secondOff);
        }
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture);
}

void Lumetra2::resizeEvent(QResizeEvent *event)
{
    const int w = width();
    const int h = height();
    m_gpuCombox->setGeometry(w / 2 - 150, h / 8, 300, 50);
    m_btnGpuFixedInfo->setGeometry(280, 52, 20, 20);
    m_btnAdjust->setGeometry(w - 150, 120, 80, 20);
    m_btnMonitor->setGeometry(w - 235, 120, 80, 20);
    m_btnBoardTemp->setGeometry(w - 235, 95, 80, 20);
    m_btnHighPerformance->setGeometry(w - 320, 120, 80, 20);
    m_btnFirstTab->move(m_firstOn.width() - m_firstOff.width() + FirstTabRight, 0);
    m_btnSecondTab->move(m_secondOn.width() - m_secondOff.width() + SecondTabRight, 0);
    m_btnSetting->setGeometry(w - 24, 62, 19, 19);
    m_btnMinimize->setGeometry(w - 24, 92, 19, 19);
    m_btnClose->setGeometry(w - 24, 122, 19, 19);

    m_circleWidth = int(h * 0.94);
    m_circleHeight = m_circleWidth;
    m_circleHomeX = w / 2 - m_circleWidth / 2;
    m_circleHomeY = h / 7;
    m_circleLeftX = int((w - m_circleWidth * 1.8) * 0.5);
    m_circleLeftY = h / 7;
    m_circleX = m_circleHomeX;
    m_circleY = m_circleHomeY;
    m_pageAreaHeight = int(h * 0.58);
    m_pageAreaWidth = int(m_pageAreaHeight * 0.97);
    m_pageAreaX = int(w - m_pageAreaWidth * 0.25 * 5);
    m_pageAreaY = int(h / 3.2);
    m_pageArea->setGeometry(m_pageAreaX, m_pageAreaY, m_pageAreaWidth, m_pageAreaHeight);
    m_circleArea->setGeometry(m_circleX, m_circleY, m_circleWidth, m_circleHeight);

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
