#include "korvo_sendnvinfotolcdthread.h"

#include "cardprotocol.h"
#include "gpucontroller.h"

#include <algorithm>

Korvo_SendNvInfoToLCDThread::Korvo_SendNvInfoToLCDThread(GpuController *controller, QObject *parent)
    : Korvo_WorkerThread(controller, parent)
{
}

Korvo_SendNvInfoToLCDThread::~Korvo_SendNvInfoToLCDThread()
{
    shutDown();
}

void Korvo_SendNvInfoToLCDThread::startSampling()
{
    CycleLock lock(this);
    startLocked();
}

LCDDisplayMode Korvo_SendNvInfoToLCDThread::nextDisplayMode(LCDDisplayMode mode)
{
    return static_cast<LCDDisplayMode>(CardProtocol::nextLcdPage(mode));
}

LCDDisplayMode Korvo_SendNvInfoToLCDThread::currentDisplayMode() const
{
    CycleLock lock(this);
    return m_displayMode;
}

bool Korvo_SendNvInfoToLCDThread::isAutoSwitch() const
{
    CycleLock lock(this);
    return m_autoSwitch;
}

int Korvo_SendNvInfoToLCDThread::autoSwitchPeriodMs() const
{
    CycleLock lock(this);
    return m_autoSwitchPeriod;
}

int Korvo_SendNvInfoToLCDThread::elapsedMs() const
{
    CycleLock lock(this);
    return m_elapsed;
}

bool Korvo_SendNvInfoToLCDThread::isLCDEnabled() const
{
    CycleLock lock(this);
    return m_lcdEnabled;
}

void Korvo_SendNvInfoToLCDThread::setAutoSwitch(bool bAuto, unsigned time)
{
    CycleLock lock(this);
    m_autoSwitch = bAuto;
    if (!bAuto)
        return;
    m_elapsed = 0;
    const unsigned seconds = std::min(std::max(time, 1u), MaxAutoSwitchSeconds);
    m_autoSwitchPeriod = static_cast<int>(seconds) * 1000;
}

void Korvo_SendNvInfoToLCDThread::manualSwitch()
{
    CycleLock lock(this);
    if (!m_autoSwitch)
        m_displayMode = nextDisplayMode(m_displayMode);
}

void Korvo_SendNvInfoToLCDThread::setEnableLCD(bool enabled)
{
    CycleLock lock(this);
    m_lcdEnabled = enabled;
}

void Korvo_SendNvInfoToLCDThread::setLCDCurrentDisplayMode(LCDDisplayMode mode)
{
    CycleLock lock(this);
    if (!m_controller)
        return;
    m_displayMode = mode;
    m_elapsed = 0;
    // Under the mutex, so this frame and the loop's never interleave.
    sendFrameLocked();
}

bool Korvo_SendNvInfoToLCDThread::sendFrameLocked()
{
    // The frame carries the page itself: the program does the switching,
    // not the panel, so the panel's own switch-time code is never used.
    return m_controller->sendLcdFrame(m_lcdEnabled, false, m_autoSwitchPeriod / 1000, m_displayMode);
}

bool Korvo_SendNvInfoToLCDThread::runCycle()
{
    if (m_autoSwitch) {
        if (m_elapsed < m_autoSwitchPeriod) {
            m_elapsed += m_stepInterval;
        } else {
            m_displayMode = nextDisplayMode(m_displayMode);
            m_elapsed = 0;
        }
    }
    emit sendDataToLCDResult(sendFrameLocked());
    // A disabled panel got its switch-off frame just now; nothing more to send.
    return m_lcdEnabled;
}
