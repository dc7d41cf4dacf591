#pragma once

/// Which page of the main window is open.
enum PageIndex : int {
    PageHome = 0,
    PageMonitor = 1,
    PageOverClocking = 2,
    PageLed = 3,
    PageLcd = 4,
    PageFixedInfo = 5,
    PageBoardTemp = 6,
};
