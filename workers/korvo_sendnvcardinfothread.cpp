#include "korvo_sendnvcardinfothread.h"

Korvo_SendNvCardInfoThread::Korvo_SendNvCardInfoThread(GpuController *controller, QObject *parent)
    : Korvo_WorkerThread(controller, parent)
    , m_sampler(controller)
{
}

Korvo_SendNvCardInfoThread::~Korvo_SendNvCardInfoThread()
{
    shutDown();
}

void Korvo_SendNvCardInfoThread::startSampling()
{
    CycleLock lock(this);
    startLocked();
}

void Korvo_SendNvCardInfoThread::setInterval(int ms)
{
    CycleLock lock(this);
    m_interval = ms;
}

int Korvo_SendNvCardInfoThread::interval() const
{
    CycleLock lock(this);
    return m_interval;
}

bool Korvo_SendNvCardInfoThread::runCycle()
{
    // Each record goes out as soon as it is complete, before the next readings.
    CardSampler::Handlers handlers;
    handlers.live = [this](const NvCardBaseInfo &info) { emit sendNvCardInfo(info); };
    handlers.fixed = [this](const NvInfo &info) { emit sendNVCardFixedInfo(info); };
    handlers.board = [this](const BoardTempCompleteInfo &info) { emit sendBoardTempCompleteInfo(info); };
    m_sampler.sample(handlers);
    return true;
}
