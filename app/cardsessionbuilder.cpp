#include "cardsessionbuilder.h"

#include "configstore.h"
#include "createbreathcircleandwavecirclethread.h"
#include "korvo_gpuinfocirclebox.h"
#include "korvo_overclockingwidget.h"
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

// The overclocking page runs the card's fan curve thread and feeds the card's gauge while a row is dragged.
void buildOverClockingPage(CardSession &session, const CardSessionBuilder::Context &context)
{
    const CardIdentity &card = session.identity();
    AdjustRecord stored;
    const bool hasRecord = context.general.ApplyLastParamOnStart && context.store
        && context.store->getAdjustRecord(card.fullName, card.subsystemId, stored);
    auto *page = hasRecord
        ? new Korvo_OverClockingWidget(
            session.controller(), session.fanCurveThread(), stored, context.pageParent)
        : new Korvo_OverClockingWidget(session.controller(), session.fanCurveThread(), context.pageParent);
    page->setObjectName(QStringLiteral("overClockingPage%1").arg(card.index));
    if (auto *circleBox = qobject_cast<Korvo_GpuInfoCircleBox *>(session.pages().circleBox.data())) {
        QObject::connect(page, &Korvo_OverClockingWidget::adjustChanged, circleBox,
            &Korvo_GpuInfoCircleBox::setAdjustInfo);
        QObject::connect(page, &Korvo_OverClockingWidget::closeDisplayAdjustInfo, circleBox,
            &Korvo_GpuInfoCircleBox::closeDisplayInfo);
    }
    session.pages().overClockingPage = page;
}

} // namespace

std::unique_ptr<CardSession> CardSessionBuilder::build(const CardIdentity &card, const Context &context)
{
    auto session = std::make_unique<CardSession>(card);
    // Pages join here as their views land: each gets the session's controller and workers, its stored
    // record, and its sampler connections (queued: the sampler emits with its cycle lock held).
    buildCircleBox(*session, context.pageParent);
    buildOverClockingPage(*session, context);
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
