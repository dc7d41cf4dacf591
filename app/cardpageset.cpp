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
    if (pageIndex == PageLed && hasLed && colorPalette)
        return colorPalette;
    return circleBox;
}

QList<QWidget *> CardPageSet::pageAreaPages() const
{
    QList<QWidget *> pages;
    for (QWidget *page : { monitorPage.data(), overClockingPage.data(), ledPage.data(), lcdPage.data(),
             fixedInfoPage.data(), boardPage.data() }) {
        if (page)
            pages.append(page);
    }
    return pages;
}

QList<QWidget *> CardPageSet::allWidgets() const
{
    QList<QWidget *> widgets = pageAreaPages();
    for (QWidget *widget : { circleBox.data(), colorPalette.data() }) {
        if (widget)
            widgets.append(widget);
    }
    return widgets;
}
