#include "korvo_sendcolortoled.h"

#include "gpucontroller.h"

Korvo_SendColorToLed::TemperatureColor Korvo_SendColorToLed::colorForTemperature(int celsius)
{
    if (celsius < 50)
        return { QColor(0, 255, 0), 4 };
    if (celsius <= 63)
        return { QColor(255, 255, 0), 4 };
    if (celsius <= 67)
        return { QColor(255, 0, 0), 4 };
    // Faster breathing once the card runs hot.
    return { QColor(255, 0, 0), 2 };
}

Korvo_SendColorToLed::Korvo_SendColorToLed(GpuController *controller, QObject *parent)
    : Korvo_WorkerThread(controller, parent)
{
}

Korvo_SendColorToLed::~Korvo_SendColorToLed()
{
    shutDown();
}

void Korvo_SendColorToLed::startSampling()
{
    CycleLock lock(this);
    // No temperature colour is black, so the first cycle always sends.
    m_lastColor = QColor(0, 0, 0);
    startLocked();
}

void Korvo_SendColorToLed::stopSampling()
{
    requestStop();
}

QColor Korvo_SendColorToLed::lastColor() const
{
    CycleLock lock(this);
    return m_lastColor;
}

bool Korvo_SendColorToLed::runCycle()
{
    ThermalReading thermal;
    m_controller->readThermal(thermal);
    const TemperatureColor target = colorForTemperature(thermal.currentC);
    // Parameter B alone changing (64-67 to above 67) is not worth a send.
    if (target.color.rgb() == m_lastColor.rgb())
        return true;
    m_lastColor = target.color;
    const std::uint8_t payload[3] = { static_cast<std::uint8_t>(target.color.red()),
        static_cast<std::uint8_t>(target.color.green()), static_cast<std::uint8_t>(target.color.blue()) };
    return m_controller->sendLedCommand(
        payload, 3, BreathCommand, BreathParameterA, target.parameterB, false);
}
