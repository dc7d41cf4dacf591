#pragma once

#include <QString>

/// Puts the overclocking page where the main window shows it, beside the circle gauge in its left place,
/// against the card the driver library reports (the simulated card under make-screenshots.sh), and saves
/// the sliders with the gauge's adjustment overlay during a drag, and the fan curve editor, in both
/// languages (tuning_<language>_<view>.png).
class TuningScreenshots
{
public:
    explicit TuningScreenshots(const QString &outputDir);

    bool run();

private:
    QString m_outputDir;
};
