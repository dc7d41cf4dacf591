#pragma once

#include "circlegeometry.h"
#include "gpurecords.h"
#include "lang_breathcircle.h"
#include "languagetype.h"
#include "lcddisplaymode.h"

#include <QImage>
#include <QPointer>
#include <QVector>
#include <QWidget>

class CreateBreathCircleAndWaveCircleThread;
class Korvo_CircleButton;
class QTimer;

/// The circular gauge of the main window: one live quantity of the card (core clock, temperature or used
/// memory) with its highest and lowest value, over an animated background that its image thread renders.
/// Three ring segments pick the quantity; while a tuning slider moves, an adjustment overlay replaces the
/// read-out and fades back when the overclocking page says the adjustment is over.
class Korvo_GpuInfoCircleBox : public QWidget
{
    Q_OBJECT

public:
    enum DisplayMode { ModeClock = 0, ModeTemperature = 1, ModeMemory = 2 };

    static constexpr int FadeIntervalMs = 20;
    static constexpr int FadeStep = 10;

    /// The image thread belongs to the card's session, which outlives the gauge's use of it; the gauge
    /// holds it by a guarded pointer and puts both effects off.
    explicit Korvo_GpuInfoCircleBox(
        CreateBreathCircleAndWaveCircleThread *imageThread, QWidget *parent = nullptr);

    /// The LCD page that shows the same quantity as a display mode.
    static LCDDisplayMode lcdModeFor(int displayMode);

    int displayMode() const { return m_displayMode; }
    int fadeValue() const { return m_fadeValue; }
    bool isFading() const;
    const CircleGeometry &geometryForSide() const { return m_geometry; }
    Lang_BreathCircle texts() const { return m_texts; }
    Korvo_CircleButton *clockButton() const { return m_btnClock; }
    Korvo_CircleButton *memoryButton() const { return m_btnMemory; }
    Korvo_CircleButton *temperatureButton() const { return m_btnTemperature; }
    CreateBreathCircleAndWaveCircleThread *imageThread() const;
    QImage backgroundImage() const { return m_background; }
    NvCardBaseInfo lastSample() const { return m_sample; }

signals:
    void setLcdDisplayMode(LCDDisplayMode lcdDisplayMode);

public slots:
    void setAdjustInfo(QString currentValue, QString changedValue, int changedSize);
    void closeDisplayInfo();
    void recvNvCardInfo(NvCardBaseInfo nvCardBaseInfo);
    void setEnableBreathingCircle(bool b);
    void setEnableWave(bool b);
    void setLanguage(Lang_BreathCircle lang, LanguageType langType);

private slots:
    void btnFreClock_MouseClick();
    void btnTemperature_MouseClick();
    void btnMemory_MouseClick();
    void onTimer1Timerout();
    void recvBkImg(QImage image);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void pickMode(int mode);
    void paintReadout(QPainter &painter) const;
    void paintOverlay(QPainter &painter) const;
    void startAnimation();
    void refreshFonts();
    /// What the texts show has changed: draw them again.
    void textChanged();
    QRect textArea() const;
    void paintTexts(QPainter &painter) const;

    QPointer<CreateBreathCircleAndWaveCircleThread> m_thread;
    Korvo_CircleButton *m_btnClock = nullptr;
    Korvo_CircleButton *m_btnMemory = nullptr;
    Korvo_CircleButton *m_btnTemperature = nullptr;
    QTimer *m_fadeTimer = nullptr;
    CircleGeometry m_geometry;
    int m_displayMode = ModeClock;
    QString m_currentValue = QStringLiteral("00");
    QString m_changedValue = QStringLiteral("00");
    int m_changedSize = 0;
    int m_fadeValue = 255;
    NvCardBaseInfo m_sample;
    QImage m_background;
    bool m_waveWanted = true;
    Lang_BreathCircle m_texts;
    LanguageType m_language = Chinese;
    // Built when the size, the language or the widget's font changes, not in each of 50 paints a second.
    QFont m_valueFont;
    QFont m_rowFont;
    QFont m_overlayFont;
    /// What a new frame can change, by how far the ring glows (in steps of RegionStep pixels); the rest
    /// of the gauge stays as painted.
    static constexpr int RegionStep = 4;
    QRegion animatedRegionFor(int glowReach);
    QVector<QRegion> m_animatedRegions;
    int m_lastGlowReach = 0;
    QImage m_textLayer;
    QRect m_textRect;
    bool m_textLayerValid = false;
};
