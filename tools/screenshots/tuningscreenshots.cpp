#include "tuningscreenshots.h"

#include "createbreathcircleandwavecirclethread.h"
#include "gpucontroller.h"
#include "korvo_gpuinfocirclebox.h"
#include "korvo_overclockingslider.h"
#include "korvo_overclockingwidget.h"
#include "korvo_setuserdefinefanspeedthread.h"
#include "korvo_sliderwidget.h"
#include "korvo_userdefinefanspeed.h"
#include "languagetexts.h"
#include "lumetra2stylesheet.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QThread>

#include <cstdio>

namespace {

/// The main window's background with the window's style sheet, 800 x 507.
class BackgroundWindow : public QWidget
{
public:
    BackgroundWindow()
        : m_background(QStringLiteral(":/images/images/background.png"))
    {
        setAttribute(Qt::WA_TranslucentBackground);
        setWindowFlags(Qt::FramelessWindowHint);
        setStyleSheet(lumetra2StyleSheet());
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

void moveMouse(QWidget *widget, QPoint to, Qt::MouseButtons buttons)
{
    QMouseEvent move(QEvent::MouseMove, to, Qt::NoButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

} // namespace

TuningScreenshots::TuningScreenshots(const QString &outputDir)
    : m_outputDir(outputDir)
{
}

bool TuningScreenshots::run()
{
    GpuController controller;
    if (!controller.isInitialized())
        std::fprintf(stderr, "tuning screenshots: no driver library, the page shows its zero state\n");
    Korvo_SetUserDefineFanSpeedThread fanThread(&controller);
    bool ok = true;
    for (LanguageType language : { Chinese, English }) {
        LanguageTexts texts;
        texts.fill(language);
        const QString prefix
            = language == Chinese ? QStringLiteral("tuning_ch_") : QStringLiteral("tuning_en_");
        const auto save = [&](QWidget &window, const char *view) {
            ok = window.grab().save(QDir(m_outputDir).filePath(prefix + QLatin1String(view) + ".png")) && ok;
        };
        BackgroundWindow window;
        CreateBreathCircleAndWaveCircleThread thread;
        auto *gauge = new Korvo_GpuInfoCircleBox(&thread, &window);
        gauge->setGeometry(-28, 72, 476, 476);
        gauge->setLanguage(texts.breathCircle(), language);
        auto *page = new Korvo_OverClockingWidget(controller.isInitialized() ? &controller : nullptr,
            controller.isInitialized() ? &fanThread : nullptr, &window);
        page->setGeometry(443, 158, 285, 294);
        page->setLanguageTexts(texts.overClocking(), language);
        QObject::connect(
            page, &Korvo_OverClockingWidget::adjustChanged, gauge, &Korvo_GpuInfoCircleBox::setAdjustInfo);
        window.show();
        settle(300);
        save(window, "sliders");

        // The core clock dragged 60 MHz down and held, the mouse over the slider.
        Korvo_SliderWidget *row = page->row(Korvo_OverClockingWidget::RowGpuClock);
        Korvo_OverClockingSlider *slider = row->slider();
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(slider, &enter);
        slider->setSliderDown(true);
        slider->setSliderPosition(row->value() - 60);
        // The manual fan row and the link, as a user would set them before Apply.
        page->fanManualButton()->click();
        page->onBtnFanManualClick();
        settle(300);
        save(window, "dragging");
        slider->setSliderDown(false);
        page->onBtnCancleClick();

        page->onBtnUserDefineConfigClick();
        settle(100);
        Korvo_UserDefineFanSpeed *editor = page->curveEditor();
        // Hover the point at 50 degrees so that its values show.
        moveMouse(editor, editor->pixelPoints().at(2), Qt::NoButton);
        settle(200);
        save(window, "curve");
        page->onBtnCancleClick();
        window.hide();
        delete page;
        delete gauge;
    }
    return ok;
}
