#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

/// Where everything of the main window goes for a window size: a pure function, so that the layout can be
/// checked without a window.
struct MainWindowLayout
{
    QRect cardSelector;
    QRect btnGpuFixedInfo;
    QRect btnAdjust;
    QRect btnMonitor;
    QRect btnBoardTemp;
    QRect btnHighPerformance;
    QRect btnSetting;
    QRect btnMinimize;
    QRect btnClose;
    /// The circle area at home (centred) and its x when a page is open.
    QRect circleHome;
    int circleLeftX = 0;
    QRect pageArea;
    /// The two tab buttons' positions; the tabs are right-aligned to their "on" images.
    QPoint firstTab;
    QPoint secondTab;

    /// The layout for a window of the given size, with the tab images' widths (off and on).
    static MainWindowLayout forSize(
        QSize window, int firstOffWidth, int firstOnWidth, int secondOffWidth, int secondOnWidth);

    /// The x the "on" images of the two tabs are drawn at.
    static constexpr int FirstTabRight = 406;
    static constexpr int SecondTabRight = 486;
};
