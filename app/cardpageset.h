#pragma once

#include "pageindex.h"

#include <QPointer>
#include <QWidget>

/// The widgets made for one card, as guarded non-owning pointers: Qt parenthood places them in the window,
/// and the card's session deletes them while the card's controller still exists. A page whose view is not
/// part of the program yet stays null, and every user of the set copes with that.
struct CardPageSet
{
    QPointer<QWidget> monitorPage;
    QPointer<QWidget> overClockingPage;
    QPointer<QWidget> ledPage;
    QPointer<QWidget> lcdPage;
    QPointer<QWidget> circleBox;
    QPointer<QWidget> colorPalette;
    QPointer<QWidget> fixedInfoPage;
    QPointer<QWidget> boardPage;

    /// The page rolled into the page area for a page index; null for the home state. A card without the
    /// device of the LED or LCD page gets the fixed information page instead.
    QWidget *pageFor(int pageIndex, bool hasLed, bool hasLcd) const;
    /// What the circle area shows for a page index: the colour palette beside the LED page, else the gauge.
    QWidget *circleWidgetFor(int pageIndex, bool hasLed) const;
    /// The page area's pages in the order they are added to it.
    QList<QWidget *> pageAreaPages() const;
    /// Every widget of the set that exists, pages and circle-area widgets alike.
    QList<QWidget *> allWidgets() const;
};
