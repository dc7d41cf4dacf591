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

signals:
    void sendNvCardInfo(NvCardBaseInfo nvCardBaseInfo);
    void sendBoardTempCompleteInfo(BoardTempCompleteInfo boardTempInfo);
    void sendNVCardFixedInfo(NvInfo);

private:
    bool runCycle() override;
    int sleepIntervalMs() const override { return m_interval; }

    int m_interval = DefaultIntervalMs; ///< guarded by m_mutex
    CardSampler m_sampler; ///< the cycle and its sticky range flags; guarded by m_mutex
};
