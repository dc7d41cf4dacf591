#ifndef CARDPAGESET_H
#define CARDPAGESET_H

#include "pageindex.h"

class GpuController;
class Korvo_SendNvCardInfoThread;
class QWidget;

// The objects made for one card. The window owns the widgets through Qt parenthood and deletes the sampler
// and the controller itself. A page whose view is not part of the program yet stays null, and every user of
// the set copes with that.
struct CardPageSet
{
    QWidget *monitorPage = nullptr;
    QWidget *overClockingPage = nullptr;
    QWidget *ledPage = nullptr;
    QWidget *lcdPage = nullptr;
    QWidget *circleBox = nullptr;
    QWidget *colorPalette = nullptr;
    QWidget *fixedInfoPage = nullptr;
    Korvo_SendNvCardInfoThread *sampler = nullptr;
    GpuController *controller = nullptr;
    QWidget *boardPage = nullptr;

    // The page rolled into the page area for a page index; null for the home state. A card without the
    // device of the LED or LCD page gets the fixed information page instead.
    QWidget *pageFor(int pageIndex, bool hasLed, bool hasLcd) const;
    // What the circle area shows for a page index: the colour palette beside the LED page, else the gauge.
    QWidget *circleWidgetFor(int pageIndex, bool hasLed) const;
};

#endif // CARDPAGESET_H
