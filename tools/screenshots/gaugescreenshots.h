#pragma once

#include <QString>

/// Puts the circle gauge where the main window has it, over the window's background and behind it the
/// background effects, and saves it in each of its three modes and with the adjustment overlay, in both
/// languages (gauge_<language>_<view>.png).
class GaugeScreenshots
{
public:
    explicit GaugeScreenshots(const QString &outputDir);

    bool run();

private:
    QString m_outputDir;
};
