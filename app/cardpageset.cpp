#include "cardpageset.h"

QWidget *CardPageSet::pageFor(int pageIndex, bool hasLed, bool hasLcd) const
{
    switch (pageIndex) {
    case PageMonitor:
        return monitorPage;
    case PageOverClocking:
        return overClockingPage;
    case PageLed:
        return hasLed ? ledPage : fixedInfoPage;
    case PageLcd:
        return hasLcd ? lcdPage : fixedInfoPage;
    case PageFixedInfo:
        return fixedInfoPage;
    case PageBoardTemp:
        return boardPage;
    default:
        return nullptr;
    }
}

QWidget *CardPageSet::circleWidgetFor(int pageIndex, bool hasLed) const
{
    if (pageIndex == PageLed && hasLed)
        return colorPalette;
    return circleBox;
}
