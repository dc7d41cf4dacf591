#pragma once

#include "korvo_workerthread.h"
#include "lcddisplaymode.h"

/// Keeps the card's LCD supplied: one frame per step, with the page switched
/// automatically after a period or on request. Reports every frame the loop
/// sends through sendDataToLCDResult.
class Korvo_SendNvInfoToLCDThread : public Korvo_WorkerThread
{
    Q_OBJECT

public:
    static constexpr int StepIntervalMs = 1000;
    static constexpr int DefaultAutoSwitchMs = 10000;
    static constexpr unsigned MaxAutoSwitchSeconds = 30;

    explicit Korvo_SendNvInfoToLCDThread(GpuController *controller, QObject *parent = nullptr);
    ~Korvo_SendNvInfoToLCDThread() override;

    /// Starts the thread unless it runs already.
    void startSampling();

    /// The page after `mode` in the switching cycle 0x10, 0x80, 0x40, 0x20.
    static LCDDisplayMode nextDisplayMode(LCDDisplayMode mode);

    LCDDisplayMode currentDisplayMode() const;
    bool isAutoSwitch() const;
    int autoSwitchPeriodMs() const;
    int elapsedMs() const;
    bool isLCDEnabled() const;

public slots:
    /// With bAuto, restarts the current page's time and sets the period to
    /// `time` seconds, counted as 1 to 30.
    void setAutoSwitch(bool bAuto, unsigned time);
    /// Next page, only while automatic switching is off.
    void manualSwitch();
    /// Disabling makes the loop send one last frame that turns the panel off,
    /// then stop; enabling again takes startSampling as well.
    void setEnableLCD(bool enabled);
    /// Shows `mode` at once: one frame from the caller's thread, not signalled.
    void setLCDCurrentDisplayMode(LCDDisplayMode mode);

signals:
    /// Whether the last frame reached the LCD. Emitted on the worker's thread
    /// with its cycle lock held: connect with Qt::QueuedConnection, since a
    /// direct receiver that calls back into the worker would deadlock.
    void sendDataToLCDResult(bool bSuccess);

private:
    bool runCycle() override;
    int sleepIntervalMs() const override { return m_stepInterval; }
    bool sendFrameLocked();

    /// All guarded by m_mutex.
    int m_stepInterval = StepIntervalMs;
    int m_elapsed = 0;
    bool m_autoSwitch = true;
    int m_autoSwitchPeriod = DefaultAutoSwitchMs;
    bool m_lcdEnabled = true;
    LCDDisplayMode m_displayMode = LcdPage80;
};
