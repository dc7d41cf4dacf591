#pragma once

#include <QString>

/// The update check's four message boxes as the check shows them (sized to their text), in both
/// languages, saved as update_<language>_<name>.png.
class UpdateScreenshots
{
public:
    explicit UpdateScreenshots(const QString &outputDir);
    bool run();

private:
    QString m_outputDir;
};
