#pragma once

#include "languagetype.h"

#include <QString>

class QWidget;

/// Puts each message box on a real screen over a stand-in main window and saves what the screen shows,
/// then draws a sheet of every embedded image.
class Screenshotter
{
public:
    explicit Screenshotter(const QString &outputDir);

    bool run();

private:
    bool messageBoxes(LanguageType language);
    bool desktopMessageBox(LanguageType language);
    bool artworkSheet();
    bool windowPreview();
    bool grab(const QWidget *area, const QString &name);
    bool save(const class QImage &image, const QString &name);

    QString m_outputDir;
};
