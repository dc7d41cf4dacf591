#include "toptabs.h"

namespace {

TopTabs::Tab tab(const char *text, PageIndex page)
{
    TopTabs::Tab t;
    t.visible = true;
    t.text = QLatin1String(text);
    t.page = page;
    return t;
}

} // namespace

TopTabs TopTabs::forCard(bool hasLed, bool hasLcd)
{
    TopTabs tabs;
    if (hasLed) {
        tabs.first = tab("LED", PageLed);
        if (hasLcd)
            tabs.second = tab("LCD", PageLcd);
    } else if (hasLcd) {
        tabs.first = tab("LCD", PageLcd);
    }
    return tabs;
}
