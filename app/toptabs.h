#pragma once

#include "pageindex.h"

#include <QString>

/// What the two tabs along the top edge mean for a card: the first tab takes the LED page when the card has a
/// lighting controller, else the LCD page; the second tab is the LCD page beside an LED tab.
struct TopTabs
{
    struct Tab
    {
        bool visible = false;
        QString text;
        PageIndex page = PageHome;
    };

    Tab first;
    Tab second;

    static TopTabs forCard(bool hasLed, bool hasLcd);
};
