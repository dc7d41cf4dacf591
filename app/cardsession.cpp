#include "cardsession.h"

#include "cardcommandsequence.h"
#include "gpucontroller.h"
#include "korvo_sendcolortoled.h"
#include "korvo_sendnvcardinfothread.h"
#include "korvo_sendnvinfotolcdthread.h"
#include "korvo_setuserdefinefanspeedthread.h"

#include <QWidget>

CardSession::CardSession(const CardIdentity &card, QObject *parent)
    : QObject(parent)
    , m_identity(card)
    , m_controller(std::make_unique<GpuController>())
{
    m_controller->selectGpu(card.index);
    m_sampler = std::make_unique<Korvo_SendNvCardInfoThread>(m_controller.get());
    m_startUp = std::make_unique<CardCommandSequence>();
}

CardSession::~CardSession()
{
    // What the pages queued and has not run yet is theirs, and they go.
    m_startUp.reset();
    // Threads that are not card workers (animations) go first; they never touch the card.
    m_otherThreads.clear();
    stopThreads();
    for (const QPointer<QWidget> &widget : qAsConst(m_widgets))
        delete widget.data();
    m_fanCurveThread.reset();
    m_ledSender.reset();
    m_lcdFeeder.reset();
    m_sampler.reset();
    m_controller.reset();
}

void CardSession::adoptWidget(QWidget *widget)
{
    m_widgets.append(widget);
}

void CardSession::applyLanguage(const LanguageTexts &texts) const
{
    for (const auto &apply : m_languageHooks)
        apply(texts);
}

void CardSession::storeRecords(ConfigStore &store) const
{
    for (const auto &hand : m_storeHooks)
        hand(store);
}

Korvo_SendNvInfoToLCDThread *CardSession::lcdFeeder()
{
    if (!m_lcdFeeder)
        m_lcdFeeder = std::make_unique<Korvo_SendNvInfoToLCDThread>(m_controller.get());
    return m_lcdFeeder.get();
}

Korvo_SendColorToLed *CardSession::ledSender()
{
    if (!m_ledSender)
        m_ledSender = std::make_unique<Korvo_SendColorToLed>(m_controller.get());
    return m_ledSender.get();
}

Korvo_SetUserDefineFanSpeedThread *CardSession::fanCurveThread()
{
    if (!m_fanCurveThread)
        m_fanCurveThread = std::make_unique<Korvo_SetUserDefineFanSpeedThread>(m_controller.get());
    return m_fanCurveThread.get();
}

QList<Korvo_WorkerThread *> CardSession::workers() const
{
    QList<Korvo_WorkerThread *> all;
    for (Korvo_WorkerThread *worker : std::initializer_list<Korvo_WorkerThread *> {
             m_fanCurveThread.get(), m_ledSender.get(), m_lcdFeeder.get(), m_sampler.get() }) {
        if (worker)
            all.append(worker);
    }
    return all;
}

void CardSession::stopThreads()
{
    for (Korvo_WorkerThread *worker : workers())
        worker->shutDown();
}
