#include "cardidentity.h"

#include "makerids.h"

const char *const CardIdentity::HighPerformanceModel = "GeForce GTX 1070 Ti";

namespace {

// "GTX 1070 Ti" becomes "<prefix>1070 Ti": the "GTX" and the blank after it are dropped.
QString seriesName(const QString &driverName, const QString &prefix)
{
    const int gtx = driverName.indexOf(QLatin1String("GTX"), 0, Qt::CaseSensitive);
    if (gtx < 0)
        return CardIdentity::geforceName(driverName);
    return prefix + driverName.mid(gtx + 4);
}

// Model code of the cards whose device id carries it in its two lowest bits.
int bitModelCode(std::uint32_t deviceId)
{
    if (deviceId & 0x1)
        return 1;
    if (deviceId & 0x2)
        return 2;
    return 0;
}

} // namespace

QString CardIdentity::geforceName(const QString &driverName)
{
    const int at = driverName.indexOf(QLatin1String("GeForce "), 0, Qt::CaseSensitive);
    return at < 0 ? driverName : driverName.mid(at);
}

CardIdentity CardIdentity::fromDriver(const QString &driverName, std::uint32_t subsystemId, int index)
{
    CardIdentity card;
    card.fullName = driverName;
    card.subsystemId = subsystemId;
    card.index = index;
    const std::uint32_t vendor = subsystemId & 0xFFFFu;
    const std::uint32_t device = subsystemId >> 16;
    if (vendor != MakerSubsystemVendorId) {
        card.series = ForeignSeries;
        card.shortName = geforceName(driverName);
        card.modelCode = 0;
    } else if ((device & 0xF000u) == 0x1000u) {
        card.series = KorvoSeries;
        card.shortName = seriesName(driverName, QStringLiteral("Korvo "));
        const int low = int(device & 0xFu);
        card.modelCode = (low == 1 || low == 2 || low >= 8) ? low : 0;
    } else if ((device & 0xF000u) == 0x2000u) {
        card.series = ThornaxSeries;
        card.shortName = seriesName(driverName, QStringLiteral("Thornax "));
        card.modelCode = bitModelCode(device);
    } else {
        card.series = 0;
        card.shortName = geforceName(driverName);
        card.modelCode = bitModelCode(device);
    }
    card.plainFullName = card.fullName;
    card.plainShortName = card.shortName;
    return card;
}

void CardIdentity::appendWithSuffixes(QList<CardIdentity> &cards, CardIdentity card)
{
    int sameShort = 0;
    int sameFull = 0;
    for (const CardIdentity &earlier : qAsConst(cards)) {
        if (earlier.plainShortName == card.plainShortName)
            ++sameShort;
        if (earlier.plainFullName == card.plainFullName && earlier.subsystemId == card.subsystemId)
            ++sameFull;
    }
    if (sameShort > 0)
        card.shortName = card.plainShortName + QLatin1Char(' ') + QString::number(sameShort);
    if (sameFull > 0)
        card.fullName = card.plainFullName + QLatin1Char(' ') + QString::number(sameFull);
    cards.append(card);
}

bool CardIdentity::showsHighPerformanceSwitch() const
{
    return fullName == QLatin1String(HighPerformanceModel) && series == KorvoSeries && modelCode > 7;
}
