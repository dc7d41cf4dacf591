#pragma once

#include "pageindex.h"

#include <QList>
#include <QPointer>

class Korvo_BoardInfoMainWidget;
class Korvo_ColorPaletteBox;
class Korvo_GpuFixedInfo;
class Korvo_GpuInfoCircleBox;
class Korvo_LCDControllorWidget;
class Korvo_LEDControlWidget;
class Korvo_NvCardInfoWidget;
class Korvo_OverClockingWidget;
class QWidget;

/// The widgets made for one card, as guarded non-owning pointers of their own types: Qt parenthood places
/// them in the window and the card's session deletes them. A card without a device has no page for it (no
/// LED page without a lighting controller), and every user of the set copes with a null page.
struct CardPageSet
{
    QPointer<Korvo_NvCardInfoWidget> monitorPage;
    QPointer<Korvo_OverClockingWidget> overClockingPage;
    QPointer<Korvo_LEDControlWidget> ledPage;
    QPointer<Korvo_LCDControllorWidget> lcdPage;
    QPointer<Korvo_GpuInfoCircleBox> circleBox;
    QPointer<Korvo_ColorPaletteBox> colorPalette;
    QPointer<Korvo_GpuFixedInfo> fixedInfoPage;
    QPointer<Korvo_BoardInfoMainWidget> boardPage;

    /// The page rolled into the page area for a page index; null for the home state. A card without the
    /// device of the LED or LCD page gets the fixed information page instead.
    QWidget *pageFor(int pageIndex, bool hasLed, bool hasLcd) const;
    /// What the circle area shows for a page index: the colour palette beside the LED page, else the gauge.
    QWidget *circleWidgetFor(int pageIndex, bool hasLed) const;
    /// The page area's pages in the order they are added to it.
    QList<QWidget *> pageAreaPages() const;
    /// The circle area's widgets: the gauge, then the palette where the card has one.
    QList<QWidget *> circleAreaWidgets() const;
};
