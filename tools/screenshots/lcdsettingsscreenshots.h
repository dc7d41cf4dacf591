#pragma once

#include <QString>

/// The LCD page where the main window rolls its pages in, the settings page slid open at the window's top
/// right corner, and the update log over the window, in both languages
/// (lcd_<language>_<view>.png, settings_<language>.png, updatelog_<language>.png).
class LcdSettingsScreenshots
{
public:
    explicit LcdSettingsScreenshots(const QString &outputDir);

    bool run();

private:
    QString m_outputDir;
};
