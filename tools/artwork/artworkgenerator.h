#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

/// Draws every image of the program at its fixed size and lists them, with the fonts, in lumetra.qrc.
class ArtworkGenerator
{
public:
    explicit ArtworkGenerator(const QString &resourcesDir);

    bool generateAll();
    QString report() const { return m_report.join(QLatin1Char('\n')) + QLatin1Char('\n'); }

private:
    bool save(const char *resourcePath, const QImage &image);
    bool writeQrc();

    void mainWindow();
    void tabs();
    void toolButtons();
    void infoButton();
    void highPerformanceSwitch();
    void indicators();
    void resetButton();
    void messageBox();
    void sliders();
    void settingPage();
    void effects();
    void icon();

    QString m_resourcesDir;
    QStringList m_files;
    QStringList m_report;
    bool m_ok = true;
};
