#include "gaugescreenshots.h"

#include "createbreathcircleandwavecirclethread.h"
#include "korvo_backgroundeffects.h"
#include "korvo_circlebutton.h"
#include "korvo_gpuinfocirclebox.h"
#include "languagetexts.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QThread>

namespace {

/// The main window's background alone, 800 x 507.
class BackgroundWindow : public QWidget
{
public:
    BackgroundWindow()
        : m_background(QStringLiteral(":/images/images/background.png"))
    {
        setAttribute(Qt::WA_TranslucentBackground);
        setWindowFlags(Qt::FramelessWindowHint);
        resize(m_background.size());
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.drawPixmap(0, 0, m_background);
    }

private:
    QPixmap m_background;
};

void settle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

NvCardBaseInfo sample()
{
    NvCardBaseInfo info;
    info.gpuClock = { 1911, 139, 1683, 0, 0 };
    info.temperature = { 71, 34, 58, 0, 0 };
    info.memoryAmount = { 5120, 350, 4096, 0, 0 };
    info.memoryUsage.current = 50;
    return info;
}

} // namespace

GaugeScreenshots::GaugeScreenshots(const QString &outputDir)
    : m_outputDir(outputDir)
{
}

bool GaugeScreenshots::run()
{
    bool ok = true;
    for (LanguageType language : { Chinese, English }) {
        LanguageTexts texts;
        texts.fill(language);
        BackgroundWindow window;
        auto *effects = new Korvo_BackgroundEffects(&window);
        effects->move(7, 27);
        CreateBreathCircleAndWaveCircleThread thread;
        auto *gauge = new Korvo_GpuInfoCircleBox(&thread, &window);
        gauge->setGeometry(162, 72, 476, 476);
        gauge->setLanguage(texts.breathCircle(), language);
        gauge->setEnableBreathingCircle(true);
        gauge->setEnableWave(true);
        gauge->recvNvCardInfo(sample());
        window.show();
        settle(300);
        const QString prefix
            = language == Chinese ? QStringLiteral("gauge_ch_") : QStringLiteral("gauge_en_");
        const QList<QPair<Korvo_CircleButton *, QString>> modes
            = { { gauge->temperatureButton(), "temperature" }, { gauge->memoryButton(), "memory" },
                  { gauge->clockButton(), "clock" } };
        for (const auto &mode : modes) {
            emit mode.first->onMouseClick();
            settle(400);
            ok = window.grab().save(QDir(m_outputDir).filePath(prefix + mode.second + ".png")) && ok;
        }
        gauge->setAdjustInfo(QStringLiteral("1683"), QStringLiteral("1733"), 50);
        settle(200);
        ok = window.grab().save(QDir(m_outputDir).filePath(prefix + "overlay_inc.png")) && ok;
        gauge->setAdjustInfo(QStringLiteral("1683"), QStringLiteral("1658"), -25);
        settle(200);
        ok = window.grab().save(QDir(m_outputDir).filePath(prefix + "overlay_dec.png")) && ok;
        gauge->closeDisplayInfo();
        settle(240);
        ok = window.grab().save(QDir(m_outputDir).filePath(prefix + "overlay_fading.png")) && ok;
        window.hide();
        delete gauge;
    }
    return ok;
}
