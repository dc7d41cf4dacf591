#pragma once

#include "korvo_workerthread.h"

#include <QColor>

#include <cstdint>

/// Lets the card's LEDs show the GPU temperature: reads it every interval and
/// sends a breathing command whenever the temperature's colour changes. A
/// command the card refuses ends the thread.
class Korvo_SendColorToLed : public Korvo_WorkerThread
{
    Q_OBJECT

public:
    static constexpr int IntervalMs = 1000;
    static constexpr std::uint8_t BreathCommand = 1;
    static constexpr std::uint8_t BreathParameterA = 50;

    /// The colour for a temperature and the command's parameter B.
    struct TemperatureColor
    {
        QColor color;
        std::uint8_t parameterB = 0;
    };
    static TemperatureColor colorForTemperature(int celsius);

    explicit Korvo_SendColorToLed(GpuController *controller, QObject *parent = nullptr);
    ~Korvo_SendColorToLed() override;

    /// Forgets the last colour, so that the first cycle sends, and starts the
    /// thread unless it runs already.
    void startSampling();
    /// Ends the thread at the end of its cycle or sleep.
    void stopSampling();

    QColor lastColor() const;

private:
    bool runCycle() override;
    int sleepIntervalMs() const override { return IntervalMs; }

    QColor m_lastColor; ///< guarded by m_mutex; invalid until the first start
};
