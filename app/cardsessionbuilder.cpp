#include "cardsessionbuilder.h"

#include "configstore.h"
#include "createbreathcircleandwavecirclethread.h"
#include "korvo_boardinfomainwidget.h"
#include "korvo_colorpalettebox.h"
#include "korvo_gpufixedinfo.h"
#include "korvo_gpuinfocirclebox.h"
#include "korvo_lcdcontrollorwidget.h"
#include "korvo_ledcontrolwidget.h"
#include "korvo_nvcardinfowidget.h"
#include "korvo_overclockingwidget.h"
#include "korvo_sendnvcardinfothread.h"
#include "languagetexts.h"
#include "settingvalues.h"

namespace {

// Every widget of the card is the session's to delete, named after its role and the card's index.
template <class Widget> Widget *adopt(CardSession &session, Widget *widget, const char *role)
{
    widget->setObjectName(QLatin1String(role) + QString::number(session.identity().index));
    session.adoptWidget(widget);
    return widget;
}

void buildCircleBox(CardSession &session, QWidget *parent)
{
    // The image thread is the card's: the session stops it before the card's widgets and controller go.
    auto *imageThread = session.adoptThread(std::make_unique<CreateBreathCircleAndWaveCircleThread>());
    auto *circleBox = adopt(session, new Korvo_GpuInfoCircleBox(imageThread, parent), "circleBox");
    QObject::connect(session.sampler(), &Korvo_SendNvCardInfoThread::sendNvCardInfo, circleBox,
        &Korvo_GpuInfoCircleBox::recvNvCardInfo, Qt::QueuedConnection);
    session.onLanguage<Korvo_GpuInfoCircleBox>(circleBox, [](auto &box, const LanguageTexts &texts) {
        box.setLanguage(texts.breathCircle(), texts.language());
    });
    session.pages().circleBox = circleBox;
}

// Only a card whose LCD answered the probe gets the page and its feeder: on another maker's board the LCD's
// address may be an EEPROM, and the feeder writes to it every second.
void buildLcdPage(CardSession &session, const CardSessionBuilder::Context &context)
{
    const CardIdentity &card = session.identity();
    if (!card.hasLcd)
        return;
    LcdRecord record;
    if (context.general.ApplyLastParamOnStart && context.store)
        context.store->getLcdRecord(card.fullName, card.subsystemId, record);
    auto *page = adopt(
        session, new Korvo_LCDControllorWidget(session.lcdFeeder(), record, context.pageParent), "lcdPage");
    if (Korvo_GpuInfoCircleBox *circleBox = session.pages().circleBox) {
        QObject::connect(circleBox, &Korvo_GpuInfoCircleBox::setLcdDisplayMode, page,
            &Korvo_LCDControllorWidget::setLCDCurrentDisplayMode);
    }
    session.onLanguage<Korvo_LCDControllorWidget>(page, [](auto &lcd, const LanguageTexts &texts) {
        lcd.setLanguageTexts(texts.lcdControl(), texts.language());
    });
    session.onStore<Korvo_LCDControllorWidget>(page, [card](const auto &lcd, ConfigStore &store) {
        store.setLcdRecord(card.fullName, card.subsystemId, lcd.currentLcdRecord());
    });
    session.pages().lcdPage = page;
}

// The monitor page (from the stored selection when last settings apply), the board page and the fixed
// information panel, each fed by its own record of the card's sampler.
void buildMonitorPages(CardSession &session, const CardSessionBuilder::Context &context)
{
    const CardIdentity &card = session.identity();
    quint32 selection = 0;
    if (!(context.general.ApplyLastParamOnStart && context.store
            && context.store->getSelectOption(card.fullName, card.subsystemId, selection)))
        selection = 0;
    auto *monitorPage = adopt(session,
        new Korvo_NvCardInfoWidget(session.controller(), int(selection), context.pageParent), "monitorPage");
    auto *boardPage = adopt(session, new Korvo_BoardInfoMainWidget(context.pageParent), "boardPage");
    auto *fixedInfoPage = adopt(session, new Korvo_GpuFixedInfo(context.pageParent), "fixedInfoPage");

    Korvo_SendNvCardInfoThread *sampler = session.sampler();
    QObject::connect(sampler, &Korvo_SendNvCardInfoThread::sendNvCardInfo, monitorPage,
        &Korvo_NvCardInfoWidget::recvNvCardInfo, Qt::QueuedConnection);
    QObject::connect(sampler, &Korvo_SendNvCardInfoThread::sendNVCardFixedInfo, fixedInfoPage,
        &Korvo_GpuFixedInfo::recvGpuFixedInfo, Qt::QueuedConnection);
    QObject::connect(sampler, &Korvo_SendNvCardInfoThread::sendBoardTempCompleteInfo, boardPage,
        &Korvo_BoardInfoMainWidget::recvBoardTempCompleteInfo, Qt::QueuedConnection);

    session.onLanguage<Korvo_NvCardInfoWidget>(monitorPage, [](auto &page, const LanguageTexts &texts) {
        page.setLanguageTexts(texts.monitorPage(), texts.language());
    });
    session.onLanguage<Korvo_BoardInfoMainWidget>(boardPage, [](auto &page, const LanguageTexts &texts) {
        page.setLanguageTexts(texts.boardTemp(), texts.language());
    });
    session.onLanguage<Korvo_GpuFixedInfo>(fixedInfoPage, [](auto &page, const LanguageTexts &texts) {
        page.setLanguageTexts(texts.fixedInfo(), texts.language());
    });
    session.onStore<Korvo_NvCardInfoWidget>(monitorPage, [card](const auto &page, ConfigStore &store) {
        store.setSelectOption(card.fullName, card.subsystemId, quint32(page.selectionMask()));
    });

    session.pages().monitorPage = monitorPage;
    session.pages().boardPage = boardPage;
    session.pages().fixedInfoPage = fixedInfoPage;
}

// The overclocking page runs the card's fan curve thread and feeds the card's gauge while a row is dragged.
void buildOverClockingPage(CardSession &session, const CardSessionBuilder::Context &context)
{
    const CardIdentity &card = session.identity();
    AdjustRecord stored;
    const bool hasRecord = context.general.ApplyLastParamOnStart && context.store
        && context.store->getAdjustRecord(card.fullName, card.subsystemId, stored);
    auto *page = adopt(session,
        hasRecord ? new Korvo_OverClockingWidget(
            session.controller(), session.fanCurveThread(), stored, context.pageParent, session.startUp())
                  : new Korvo_OverClockingWidget(
                      session.controller(), session.fanCurveThread(), context.pageParent, session.startUp()),
        "overClockingPage");
    if (Korvo_GpuInfoCircleBox *circleBox = session.pages().circleBox) {
        QObject::connect(page, &Korvo_OverClockingWidget::adjustChanged, circleBox,
            &Korvo_GpuInfoCircleBox::setAdjustInfo);
        QObject::connect(page, &Korvo_OverClockingWidget::closeDisplayAdjustInfo, circleBox,
            &Korvo_GpuInfoCircleBox::closeDisplayInfo);
    }
    session.onLanguage<Korvo_OverClockingWidget>(page, [](auto &tuning, const LanguageTexts &texts) {
        tuning.setLanguageTexts(texts.overClocking(), texts.language());
    });
    session.onStore<Korvo_OverClockingWidget>(page, [card](const auto &tuning, ConfigStore &store) {
        // A page closed before it read the card knows nothing new: the stored record stays as it was.
        if (!tuning.isCardStateReady())
            return;
        AdjustRecord record;
        tuning.saveAdjustRecord(record);
        store.setAdjustRecord(card.fullName, card.subsystemId, record);
    });
    session.pages().overClockingPage = page;
}

// The LED page and its palette, only for a card whose lighting controller answered the probe. The page
// drives the session's LED sender for "State-Display"; the session stops it before the page goes.
void buildLightingPages(CardSession &session, const CardSessionBuilder::Context &context)
{
    const CardIdentity &card = session.identity();
    if (!card.hasLed)
        return;
    LedRecord record;
    const bool stored = context.general.ApplyLastParamOnStart && context.store
        && context.store->getLedRecord(card.fullName, card.subsystemId, record);
    auto *ledPage = adopt(session,
        stored ? new Korvo_LEDControlWidget(
            session.controller(), session.ledSender(), record, context.pageParent, session.startUp())
               : new Korvo_LEDControlWidget(
                   session.controller(), session.ledSender(), context.pageParent, session.startUp()),
        "ledPage");
    auto *palette = adopt(session, new Korvo_ColorPaletteBox(context.pageParent), "colorPalette");
    QObject::connect(ledPage, &Korvo_LEDControlWidget::colorButtonHasDoubleClick, palette,
        &Korvo_ColorPaletteBox::adjustColor);
    QObject::connect(palette, &Korvo_ColorPaletteBox::colorChanged, ledPage,
        &Korvo_LEDControlWidget::setCurrentBindColorCircleButtonColor);
    palette->setEnabled(ledPage->colourControlsEnabled());
    QObject::connect(
        ledPage, &Korvo_LEDControlWidget::colourControlsEnabledChanged, palette, &QWidget::setEnabled);
    session.onLanguage<Korvo_LEDControlWidget>(ledPage, [](auto &led, const LanguageTexts &texts) {
        led.setLanguageTexts(texts.ledControl(), texts.language());
    });
    session.onStore<Korvo_LEDControlWidget>(ledPage, [card](const auto &led, ConfigStore &store) {
        store.setLedRecord(card.fullName, card.subsystemId, led.currentLedRecord());
    });
    session.pages().ledPage = ledPage;
    session.pages().colorPalette = palette;
}

} // namespace

std::unique_ptr<CardSession> CardSessionBuilder::build(const CardIdentity &card, const Context &context)
{
    auto session = std::make_unique<CardSession>(card);
    // A new page joins here and nowhere else: its build function makes it with the session's controller and
    // workers, its stored record and its sampler connections (queued: the sampler emits with its cycle lock
    // held), and registers its texts and its record with the session.
    buildCircleBox(*session, context.pageParent);
    buildLcdPage(*session, context);
    buildMonitorPages(*session, context);
    buildOverClockingPage(*session, context);
    buildLightingPages(*session, context);
    if (context.texts)
        session->applyLanguage(*context.texts);
    applyPageEffects(*session, context.general.PageEffects);
    session->sampler()->setInterval(SettingValues::refreshIntervalMs(context.general.RefreshTimeOfMonitor));
    session->sampler()->startSampling();
    return session;
}

void CardSessionBuilder::applyPageEffects(CardSession &session, const QString &pageEffects)
{
    Korvo_GpuInfoCircleBox *circleBox = session.pages().circleBox;
    if (!circleBox)
        return;
    const bool advanced = SettingValues::isAdvanced(pageEffects);
    circleBox->setEnableBreathingCircle(advanced && session.identity().modelCode != 0);
    circleBox->setEnableWave(advanced);
}
