#include "cardscanner.h"

#include "gpucontroller.h"

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
        CardIdentity::appendWithSuffixes(cards, card);
    }
    return cards;
}
