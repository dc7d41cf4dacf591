#include "cardpageset.h"

#include "korvo_boardinfomainwidget.h"
#include "korvo_colorpalettebox.h"
#include "korvo_gpufixedinfo.h"
#include "korvo_gpuinfocirclebox.h"
#include "korvo_lcdcontrollorwidget.h"
#include "korvo_ledcontrolwidget.h"
#include "korvo_nvcardinfowidget.h"
#include "korvo_overclockingwidget.h"

namespace {

QList<QWidget *> existing(std::initializer_list<QWidget *> widgets)
{
    QList<QWidget *> present;
    for (QWidget *widget : widgets) {
        if (widget)
            present.append(widget);
    }
    return present;
}

} // namespace

QWidget *CardPageSet::pageFor(int pageIndex, bool hasLed, bool hasLcd) const
{
    switch (pageIndex) {
    case PageMonitor:
        return monitorPage;
    case PageOverClocking:
        return overClockingPage;
    case PageLed:
        return hasLed ? static_cast<QWidget *>(ledPage) : fixedInfoPage;
    case PageLcd:
        return hasLcd ? static_cast<QWidget *>(lcdPage) : fixedInfoPage;
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
    return existing({ monitorPage, overClockingPage, ledPage, lcdPage, fixedInfoPage, boardPage });
}

QList<QWidget *> CardPageSet::circleAreaWidgets() const
{
    return existing({ circleBox, colorPalette });
}
