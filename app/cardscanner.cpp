#include "cardscanner.h"

#include "gpucontroller.h"

namespace {

// The LCD probe: LCD on, automatic switching every 10 s, display mode 0x80.
constexpr int ProbeSwitchSeconds = 10;
constexpr std::uint8_t ProbeDisplayMode = 0x80;
// The lighting controller's capability probe.
constexpr std::uint8_t LedProbeCommand = 10;

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
        // Both probes really send to the card: only a device that takes the write is there.
        const std::uint8_t none = 0;
        card.hasLed = scanner.sendLedCommand(&none, 0, LedProbeCommand, 0, 0, false);
        card.hasLcd = scanner.sendLcdFrame(true, true, ProbeSwitchSeconds, ProbeDisplayMode);
        CardIdentity::appendWithSuffixes(cards, card);
    }
    return cards;
}
