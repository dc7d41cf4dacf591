#include "cardsessionbuilder.h"

#include "korvo_sendnvcardinfothread.h"

std::unique_ptr<CardSession> CardSessionBuilder::build(const CardIdentity &card, const Context &context)
{
    Q_UNUSED(context);
    auto session = std::make_unique<CardSession>(card);
    // Pages join here as their views land: each gets the session's controller and workers, its stored
    // record, and its sampler connections (queued: the sampler emits with its cycle lock held).
    session->sampler()->startSampling();
    return session;
}
