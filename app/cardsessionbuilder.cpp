#include "cardsessionbuilder.h"

#include "configstore.h"
#include "createbreathcircleandwavecirclethread.h"
#include "korvo_colorpalettebox.h"
#include "korvo_gpuinfocirclebox.h"
#include "korvo_ledcontrolwidget.h"
#include "korvo_sendnvcardinfothread.h"

namespace {

const char *const AdvancedPageEffects = "advanced";

void buildCircleBox(CardSession &session, QWidget *parent)
{
    // The image thread is the card's: the session stops it before the card's widgets and controller go.
    auto *imageThread = session.adoptThread(std::make_unique<CreateBreathCircleAndWaveCircleThread>());
    auto *circleBox = new Korvo_GpuInfoCircleBox(imageThread, parent);
    circleBox->setObjectName(QStringLiteral("circleBox%1").arg(session.identity().index));
    QObject::connect(session.sampler(), &Korvo_SendNvCardInfoThread::sendNvCardInfo, circleBox,
        &Korvo_GpuInfoCircleBox::recvNvCardInfo, Qt::QueuedConnection);
    session.pages().circleBox = circleBox;
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
    auto *ledPage = stored
        ? new Korvo_LEDControlWidget(session.controller(), session.ledSender(), record, context.pageParent)
        : new Korvo_LEDControlWidget(session.controller(), session.ledSender(), context.pageParent);
    ledPage->setObjectName(QStringLiteral("ledPage%1").arg(card.index));
    auto *palette = new Korvo_ColorPaletteBox(context.pageParent);
    palette->setObjectName(QStringLiteral("colorPalette%1").arg(card.index));
    QObject::connect(ledPage, &Korvo_LEDControlWidget::colorButtonHasDoubleClick, palette,
        &Korvo_ColorPaletteBox::adjustColor);
    QObject::connect(palette, &Korvo_ColorPaletteBox::colorChanged, ledPage,
        &Korvo_LEDControlWidget::setCurrentBindColorCircleButtonColor);
    session.pages().ledPage = ledPage;
    session.pages().colorPalette = palette;
}

} // namespace

std::unique_ptr<CardSession> CardSessionBuilder::build(const CardIdentity &card, const Context &context)
{
    auto session = std::make_unique<CardSession>(card);
    // Pages join here as their views land: each gets the session's controller and workers, its stored
    // record, and its sampler connections (queued: the sampler emits with its cycle lock held).
    buildCircleBox(*session, context.pageParent);
    buildLightingPages(*session, context);
    applyPageEffects(*session, context.general.PageEffects);
    session->sampler()->startSampling();
    return session;
}

void CardSessionBuilder::applyPageEffects(CardSession &session, const QString &pageEffects)
{
    auto *circleBox = qobject_cast<Korvo_GpuInfoCircleBox *>(session.pages().circleBox.data());
    if (!circleBox)
        return;
    const bool advanced = pageEffects == QLatin1String(AdvancedPageEffects);
    circleBox->setEnableBreathingCircle(advanced && session.identity().modelCode != 0);
    circleBox->setEnableWave(advanced);
}
