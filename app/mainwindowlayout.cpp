#include "mainwindowlayout.h"

MainWindowLayout MainWindowLayout::forSize(
    QSize window, int firstOffWidth, int firstOnWidth, int secondOffWidth, int secondOnWidth)
{
    const int w = window.width();
    const int h = window.height();
    MainWindowLayout layout;
    layout.cardSelector = QRect(w / 2 - 150, h / 8, 300, 50);
    layout.btnGpuFixedInfo = QRect(280, 52, 20, 20);
    layout.btnAdjust = QRect(w - 150, 120, 80, 20);
    layout.btnMonitor = QRect(w - 235, 120, 80, 20);
    layout.btnBoardTemp = QRect(w - 235, 95, 80, 20);
    layout.btnHighPerformance = QRect(w - 320, 120, 80, 20);
    layout.firstTab = QPoint(firstOnWidth - firstOffWidth + FirstTabRight, 0);
    layout.secondTab = QPoint(secondOnWidth - secondOffWidth + SecondTabRight, 0);
    layout.btnSetting = QRect(w - 24, 62, 19, 19);
    layout.btnMinimize = QRect(w - 24, 92, 19, 19);
    layout.btnClose = QRect(w - 24, 122, 19, 19);

    const int circleSide = int(h * 0.94);
    layout.circleHome = QRect(w / 2 - circleSide / 2, h / 7, circleSide, circleSide);
    layout.circleLeftX = int((w - circleSide * 1.8) * 0.5);
    const int pageHeight = int(h * 0.58);
    const int pageWidth = int(pageHeight * 0.97);
    layout.pageArea = QRect(int(w - pageWidth * 0.25 * 5), int(h / 3.2), pageWidth, pageHeight);
    return layout;
}
