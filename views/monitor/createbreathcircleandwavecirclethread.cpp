#include "createbreathcircleandwavecirclethread.h"

#include <QMutexLocker>

#include <utility>

CreateBreathCircleAndWaveCircleThread::CreateBreathCircleAndWaveCircleThread(QObject *parent)
    : QThread(parent)
{
    m_frame.breathing = true;
    m_frame.wave = true;
}

CreateBreathCircleAndWaveCircleThread::~CreateBreathCircleAndWaveCircleThread()
{
    requestStop();
    wait();
}

void CreateBreathCircleAndWaveCircleThread::setBreathingEnabled(bool enabled)
{
    QMutexLocker lock(&m_mutex);
    m_frame.breathing = enabled;
}

void CreateBreathCircleAndWaveCircleThread::setWaveEnabled(bool enabled)
{
    QMutexLocker lock(&m_mutex);
    m_frame.wave = enabled;
}

void CreateBreathCircleAndWaveCircleThread::setWaveLevel(double level)
{
    QMutexLocker lock(&m_mutex);
    m_frame.level = level;
}

void CreateBreathCircleAndWaveCircleThread::setImageSize(int a)
{
    QMutexLocker lock(&m_mutex);
    m_image = a > 0 ? QImage(a, a, QImage::Format_ARGB32_Premultiplied) : QImage();
    m_spare = QImage();
}

void CreateBreathCircleAndWaveCircleThread::setRingInnerRadius(double x)
{
    QMutexLocker lock(&m_mutex);
    m_frame.ringInnerRadius = x - 1;
}

void CreateBreathCircleAndWaveCircleThread::setWaveRadius(double x)
{
    QMutexLocker lock(&m_mutex);
    m_frame.waveRadius = x + 1;
}

void CreateBreathCircleAndWaveCircleThread::startIfStopped()
{
    QMutexLocker lock(&m_mutex);
    if (!m_stopped)
        return;
    lock.unlock();
    wait();
    lock.relock();
    if (!m_stopped)
        return;
    m_stopped = false;
    start();
}

void CreateBreathCircleAndWaveCircleThread::requestStop()
{
    QMutexLocker lock(&m_mutex);
    m_stopped = true;
    m_wake.wakeAll();
}

bool CreateBreathCircleAndWaveCircleThread::isStopped() const
{
    QMutexLocker lock(&m_mutex);
    return m_stopped;
}

bool CreateBreathCircleAndWaveCircleThread::breathingEnabled() const
{
    QMutexLocker lock(&m_mutex);
    return m_frame.breathing;
}

bool CreateBreathCircleAndWaveCircleThread::waveEnabled() const
{
    QMutexLocker lock(&m_mutex);
    return m_frame.wave;
}

double CreateBreathCircleAndWaveCircleThread::waveLevel() const
{
    QMutexLocker lock(&m_mutex);
    return m_frame.level;
}

void CreateBreathCircleAndWaveCircleThread::takeFreeImage()
{
    if (m_image.isNull() || m_image.isDetached())
        return;
    if (m_spare.size() == m_image.size() && m_spare.isDetached()) {
        std::swap(m_image, m_spare);
        return;
    }
    m_spare = m_image;
    m_image = QImage(m_spare.size(), m_spare.format());
}

void CreateBreathCircleAndWaveCircleThread::run()
{
    QMutexLocker lock(&m_mutex);
    while (!m_stopped) {
        takeFreeImage();
        // The whole frame under the lock: a resize never swaps the image in the middle of one.
        BreathWaveAnimation::render(m_image, m_frame, &m_rasters);
        ++m_framesRendered;
        emit sendImage(m_image);
        if (!m_frame.breathing && !m_frame.wave) {
            // The last frame, with only the faint disc, is out; nothing moves any more.
            m_stopped = true;
            return;
        }
        m_wake.wait(&m_mutex, FramePeriodMs);
    }
}
