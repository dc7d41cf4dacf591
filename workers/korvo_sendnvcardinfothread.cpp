#include "korvo_sendnvcardinfothread.h"

#include "gpucontroller.h"

Korvo_SendNvCardInfoThread::Korvo_SendNvCardInfoThread(GpuController *controller, QObject *parent)
    : Korvo_WorkerThread(controller, parent)
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
    // The order of the readings is the order the extremes are recorded in.
    CardInfoAssembler::Readings readings;
    m_controller->readMemoryInfo(readings.memory);
    m_controller->readThermal(readings.thermal);
    m_controller->readCurrentClocks(readings.clocks);
    m_controller->readCooler(readings.cooler);
    m_controller->readUsage(readings.usage);
    ExtremesTable extremes;
    m_controller->readExtremes(extremes);
    emit sendNvCardInfo(m_assembler.assemble(readings, extremes));

    NvInfo fixed;
    m_controller->readFixedInfo(fixed);
    emit sendNVCardFixedInfo(fixed);

    BoardTemperatures board;
    m_controller->readBoardTemperatures(board);
    m_controller->readExtremes(extremes);
    emit sendBoardTempCompleteInfo(CardInfoAssembler::assembleBoard(board, extremes));
    return true;
}
