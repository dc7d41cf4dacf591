#include "cardscanner.h"

#include "cardprotocol.h"
#include "gpucontroller.h"

namespace {

// Unlike the LED and LCD probes this only reads: a sensor that answers has changed nothing on the card.
bool anyBoardSensorAnswers(GpuController &controller)
{
    for (const std::uint8_t address : CardProtocol::BoardSensorAddresses) {
        std::int32_t celsius = 0;
        if (controller.readBoardSensor(address, celsius))
            return true;
    }
    return false;
}

} // namespace

QList<CardIdentity> CardScanner::scan()
{
    QList<CardIdentity> cards;
    GpuController scanner;
    const int count = scanner.gpuCount();
    for (int i = 0; i < count; ++i) {
        scanner.selectGpu(i);
        PciIdentifiers ids;
        scanner.readPciIdentifiers(ids);
        CardIdentity card = CardIdentity::fromDriver(scanner.readGpuName(), ids.subSystemId, i);
        // Both probes really send to the card: only a device that takes the write is there. The lighting
        // controller goes first.
        card.hasLed = scanner.probeLightingController();
        card.hasLcd = scanner.probeLcd();
        card.hasBoardSensors = anyBoardSensorAnswers(scanner);
        CardIdentity::appendWithSuffixes(cards, card);
    }
    return cards;
}
