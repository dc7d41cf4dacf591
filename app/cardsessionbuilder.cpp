#include "cardsessionbuilder.h"

#include "createbreathcircleandwavecirclethread.h"
#include "korvo_gpuinfocirclebox.h"
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

} // namespace

std::unique_ptr<CardSession> CardSessionBuilder::build(const CardIdentity &card, const Context &context)
{
    auto session = std::make_unique<CardSession>(card);
    // Pages join here as their views land: each gets the session's controller and workers, its stored
    // record, and its sampler connections (queued: the sampler emits with its cycle lock held).
    buildCircleBox(*session, context.pageParent);
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
