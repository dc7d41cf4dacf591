#pragma once

#include "cardsampler.h"
#include "gpurecords.h"
#include "korvo_workerthread.h"

/// Samples one card at a fixed interval and publishes the live record, the
/// fixed record and the board sensors, all three on every cycle. The views'
/// only regular source of monitoring data; connect queued.
class Korvo_SendNvCardInfoThread : public Korvo_WorkerThread
{
    Q_OBJECT

public:
    static constexpr int DefaultIntervalMs = 1000;

    explicit Korvo_SendNvCardInfoThread(GpuController *controller, QObject *parent = nullptr);
    ~Korvo_SendNvCardInfoThread() override;

    /// Starts the thread unless it runs already; waits for a running cycle.
    void startSampling();
    /// The pause between two cycles; waits for a running cycle.
    void setInterval(int ms);
    int interval() const;

    /// Every signal is emitted on the worker's thread while it holds its cycle
    /// lock: connect with Qt::QueuedConnection. A direct connection to a
    /// receiver that calls back into the worker would deadlock.
signals:
    /// The live readings with their extremes, once a cycle.
    void sendNvCardInfo(NvCardBaseInfo nvCardBaseInfo);
    /// The board's four sensors, once a cycle.
    void sendBoardTempCompleteInfo(BoardTempCompleteInfo boardTempInfo);
    /// The fixed information, once a cycle.
    void sendNVCardFixedInfo(NvInfo);

private:
    bool runCycle() override;
    int sleepIntervalMs() const override { return m_interval; }

    int m_interval = DefaultIntervalMs; ///< guarded by m_mutex
    CardSampler m_sampler; ///< the cycle and its sticky range flags; guarded by m_mutex
};
