#pragma once

#include <QPixmap>
#include <QPoint>
#include <QWidget>

class QTimer;

/// The decorative layer behind the main window's content for one card series: shaped by a mask image, with
/// a small logo at the top centre and a large emblem that slides to the centre when a page opens (and
/// vanishes three seconds later) and slides back out to the right when the user returns home.
class Korvo_BackgroundEffects : public QWidget
{
    Q_OBJECT

public:
    struct Timing
    {
        int moveIntervalMs = 15;
        int vanishDelayMs = 3000;
    };
    static constexpr int StepPx = 15;

    explicit Korvo_BackgroundEffects(QWidget *parent = nullptr);
    /// Tests shorten the three-second delay.
    Korvo_BackgroundEffects(const Timing &timing, QWidget *parent);

    /// Slides the emblem in (true) or out (false), from wherever it is now.
    void startEffect(bool in);

    QPoint emblemAPosition() const { return m_aPos; }
    QPoint emblemBPosition() const { return m_bPos; }
    bool isEmblemBHidden() const { return m_bHidden; }
    bool isMoving() const;
    bool isDelayRunning() const;
    int vanishDelayMs() const;
    int aStartX() const { return m_aStartX; }
    int aEndX() const { return m_aEndX; }
    int bStartX() const { return m_bStartX; }
    int bEndX() const { return m_bEndX; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private slots:
    void onMoveTimerTimeout();
    void onDelayTimerTimeout();

private:
    QSize m_maskSize;
    QPixmap m_centreLogo;
    QPixmap m_emblem;
    QTimer *m_moveTimer = nullptr;
    QTimer *m_delayTimer = nullptr;
    int m_aStartX = 0;
    int m_aEndX = 0;
    int m_bStartX = 0;
    int m_bEndX = 0;
    QPoint m_aPos;
    QPoint m_bPos;
    bool m_slideIn = true;
    bool m_bHidden = false;
};
