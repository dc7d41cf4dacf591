#pragma once

#include "breathwaveanimation.h"

#include <QImage>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>

#include <atomic>

/// Renders the gauge's animated background off the GUI thread, one frame every 20 ms while an effect is on,
/// and sends each finished frame to the gauge by a queued signal. It belongs to the card's session, which
/// destroys it before anything else of the card; the gauge only holds a guarded pointer to it.
class CreateBreathCircleAndWaveCircleThread : public QThread
{
    Q_OBJECT

public:
    static constexpr int FramePeriodMs = 20;

    explicit CreateBreathCircleAndWaveCircleThread(QObject *parent = nullptr);
    /// Stops the loop and waits for it: a frame takes milliseconds and makes no outside calls, and a
    /// QThread destroyed while running aborts the process.
    ~CreateBreathCircleAndWaveCircleThread() override;

    void setBreathingEnabled(bool enabled);
    void setWaveEnabled(bool enabled);
    void setWaveLevel(double level);
    /// A new image of a x a pixels for the next frame.
    void setImageSize(int a);
    /// The breathing ring starts one pixel inside x.
    void setRingInnerRadius(double x);
    /// The wave disc reaches one pixel beyond x.
    void setWaveRadius(double x);

    /// Starts the loop unless it runs. A loop that has just ended may still be finishing; it is waited for,
    /// since starting a QThread that still runs does nothing.
    void startIfStopped();
    /// The loop ends after the frame it is drawing, or at once when it is sleeping.
    void requestStop();

    bool isStopped() const;
    bool breathingEnabled() const;
    bool waveEnabled() const;
    double waveLevel() const;
    /// Frames rendered since construction.
    int framesRendered() const { return m_framesRendered.load(); }

signals:
    /// One finished frame. An image rather than a pixmap: only images may be painted off the GUI thread.
    void sendImage(QImage image);

protected:
    void run() override;

private:
    void takeFreeImage();

private:
    mutable QMutex m_mutex;
    QWaitCondition m_wake;
    BreathWaveAnimation::Frame m_frame;
    /// The ring's table and the wave disc's looks, built again only when the size changes.
    BreathWaveAnimation::Rasters m_rasters;
    bool m_stopped = true;
    QImage m_image;
    /// The frame before: once the gauge has let go of it, the next frame is drawn into it, which saves
    /// copying the frame the gauge still shows.
    QImage m_spare;
    std::atomic<int> m_framesRendered { 0 };
};
