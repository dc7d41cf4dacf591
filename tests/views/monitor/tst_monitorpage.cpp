#include "gpucontroller.h"
#include "korvo_baseinforow.h"
#include "korvo_basemonitorbox.h"
#include "korvo_gpuinfomonitorwidget.h"
#include "korvo_gpuinfowidget.h"
#include "korvo_nvcardinfowidget.h"
#include "nvapiids.h"
#include "simulatedcard.h"

#include <QCheckBox>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QtTest>

#include <memory>

// The GPU monitor page at the size the main window gives it (285 x 294): its two faces, the mask that
// picks rows and graphs, the graph stack's layout and scrolling, what a record shows, and the title band.
class TestMonitorPage : public QObject
{
    Q_OBJECT

private:
    static std::unique_ptr<Korvo_NvCardInfoWidget> shownPage(int mask = 0)
    {
        auto page = std::make_unique<Korvo_NvCardInfoWidget>(nullptr, mask);
        page->resize(285, 294);
        page->show();
        return page;
    }

    static MonitorValue value(int current, int maximum, int minimum, int top = 100, int bottom = 0)
    {
        MonitorValue v;
        v.current = current;
        v.maximum = maximum;
        v.minimum = minimum;
        v.rangeTop = top;
        v.rangeBottom = bottom;
        return v;
    }

    static NvCardBaseInfo record()
    {
        NvCardBaseInfo info;
        info.gpuClock = value(1683, 1911, 139, 2500, 0);
        info.fanSpeed = value(1200, 1500, 900, 4000, 0);
        info.temperature = value(58, 71, 34, 100, 0);
        info.memoryClock = value(4006, 4104, 405, 5000, 0);
        info.memoryUsage = value(37, 40, 5);
        info.gpuUsage = value(12, 99, 0);
        info.memoryAmount = value(3000, 3100, 300, 8192, 0);
        return info;
    }

    static MonitorPageTexts englishTexts()
    {
        MonitorPageTexts english;
        english.driverVersion = QStringLiteral("Driver Version");
        english.gpuClock = QStringLiteral("GPU Clock");
        english.fanSpeed = QStringLiteral("Fan Speed");
        english.temperature = QStringLiteral("Temp");
        english.memClock = QStringLiteral("Mem Clock");
        english.memUsage = QStringLiteral("Mem Usage");
        english.gpuUsage = QStringLiteral("GPU Usage");
        return english;
    }

    static void wheel(QWidget *widget, int delta)
    {
        const QPointF pos(50, 50);
        QWheelEvent event(pos, widget->mapToGlobal(pos.toPoint()), QPoint(), QPoint(0, delta), Qt::NoButton,
            Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(widget, &event);
    }

    static bool sendMouse(
        QWidget *widget, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, pos, widget->mapToGlobal(pos), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &event);
        return event.isAccepted();
    }

private slots:
    void geometryAtTheMainWindowSize()
    {
        auto page = shownPage();
        QCOMPARE(page->rowList()->geometry(), QRect(0, 29, 285, 236));
        QCOMPARE(page->graphStack()->geometry(), QRect(0, 29, 285, 236));
        QCOMPARE(page->topRightCheckBox()->geometry(), QRect(252, 0, 28, 29));
        QCOMPARE(page->topRightCheckBox()->objectName(), QStringLiteral("ckbTopRight"));
        // Rows: margin 14, a sixth of 236 each.
        for (int i = 0; i < 6; ++i)
            QCOMPARE(page->rowList()->row(i)->geometry(), QRect(14, i * 39, 257, 39));
    }

    void startsOnTheRowsWithTheBoxHidden()
    {
        auto page = shownPage();
        QVERIFY(page->rowList()->isVisible());
        QVERIFY(!page->graphStack()->isVisible());
        QVERIFY(!page->topRightCheckBox()->isVisible());
        QCOMPARE(page->selectionMask(), 0);
        // The graph stack starts with temperature only.
        QCOMPARE(page->graphStack()->selectionMask(), 0x4);
    }

    void maskAtConstructionChecksRowsAndShowsTheBox()
    {
        auto page = shownPage(0x2A);
        QCOMPARE(page->selectionMask(), 0x2A);
        QVERIFY(page->topRightCheckBox()->isVisible());
        QVERIFY(!page->rowList()->row(0)->isChecked());
        QVERIFY(page->rowList()->row(1)->isChecked());
        QVERIFY(page->rowList()->row(5)->isChecked());
    }

    void unknownBitsOfAStoredMaskAreIgnored()
    {
        auto page = shownPage(0x40);
        QCOMPARE(page->selectionMask(), 0);
        QVERIFY(!page->topRightCheckBox()->isVisible());
        auto all = shownPage(0x7F | 0x100);
        QCOMPARE(all->selectionMask(), 0x3F);
        all->graphStack()->setSelectionMask(0xC0);
        QCOMPARE(all->graphStack()->selectionMask(), 0);
    }

    void theBoxFollowsTheCheckedRows()
    {
        auto page = shownPage();
        QSignalSpy have(page->rowList(), &Korvo_GPUInfoWidget::isHaveChecked);
        page->rowList()->row(3)->checkBox()->click();
        QCOMPARE(have.count(), 1);
        QCOMPARE(have.last().at(0).toBool(), true);
        QVERIFY(page->topRightCheckBox()->isVisible());
        page->rowList()->row(4)->checkBox()->click();
        page->rowList()->row(3)->checkBox()->click();
        QVERIFY(page->topRightCheckBox()->isVisible());
        page->rowList()->row(4)->checkBox()->click();
        QCOMPARE(have.last().at(0).toBool(), false);
        QVERIFY(!page->topRightCheckBox()->isVisible());
    }

    void theBoxSwitchesFacesWithTheRowsCheckedThen()
    {
        auto page = shownPage(0x2A);
        page->topRightCheckBox()->click();
        QVERIFY(page->graphStack()->isVisible());
        QVERIFY(!page->rowList()->isVisible());
        QCOMPARE(page->graphStack()->selectionMask(), 0x2A);
        // Fan speed, memory clock, GPU usage stacked from the top, each 257 x 118.
        Korvo_GPUInfoMonitorWidget *stack = page->graphStack();
        QCOMPARE(stack->graph(1)->geometry(), QRect(14, 0, 257, 118));
        QCOMPARE(stack->graph(3)->geometry(), QRect(14, 118, 257, 118));
        QCOMPARE(stack->graph(5)->geometry(), QRect(14, 236, 257, 118));
        for (int i : { 0, 2, 4 })
            QVERIFY(!stack->graph(i)->isVisible());
        QCOMPARE(stack->graph(1)->plotWidth(), 228);
        QCOMPARE(stack->graph(1)->plotHeight(), 88);
        QCOMPARE(stack->contentHeight(), 354);

        page->topRightCheckBox()->click();
        QVERIFY(!page->graphStack()->isVisible());
        QVERIFY(page->rowList()->isVisible());
    }

    void theWheelScrollsInStepsOfTenWithinTheContent()
    {
        auto page = shownPage(0x2A);
        page->topRightCheckBox()->click();
        Korvo_GPUInfoMonitorWidget *stack = page->graphStack();
        QList<int> offsets;
        for (int i = 0; i < 14; ++i) {
            wheel(stack, -120);
            offsets << stack->scrollOffset();
        }
        QCOMPARE(offsets, (QList<int> { 10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 118, 118, 118 }));
        QCOMPARE(stack->graph(1)->y(), -118);
        QCOMPARE(stack->graph(5)->y(), 118);
        wheel(stack, 120);
        QCOMPARE(stack->scrollOffset(), 108);
        QCOMPARE(stack->graph(3)->y(), 10);
        for (int i = 0; i < 20; ++i)
            wheel(stack, 120);
        QCOMPARE(stack->scrollOffset(), 0);
        QCOMPARE(stack->graph(1)->y(), 0);

        // A new mask lays out again from the top.
        wheel(stack, -120);
        stack->setSelectionMask(0x3);
        QCOMPARE(stack->scrollOffset(), 0);
        QCOMPARE(stack->graph(1)->y(), 118);
        // Two graphs fill the stack exactly: nothing to scroll.
        wheel(stack, -120);
        QCOMPARE(stack->scrollOffset(), 0);
    }

    void dragOnAGraphScrollsTheStack()
    {
        auto page = shownPage(0x2A);
        page->topRightCheckBox()->click();
        Korvo_GPUInfoMonitorWidget *stack = page->graphStack();
        Korvo_BaseMonitorBox *fan = stack->graph(1);
        // The graph's left presses and left-button moves are the stack's.
        sendMouse(fan, QEvent::MouseButtonPress, QPoint(100, 100), Qt::LeftButton, Qt::LeftButton);
        sendMouse(fan, QEvent::MouseMove, QPoint(100, 60), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(stack->scrollOffset(), 40);
        QCOMPARE(fan->y(), -40);
        // The graph has moved with it: the same screen point is now 40 px further down in the graph.
        sendMouse(fan, QEvent::MouseMove, QPoint(100, 60 + 40 - 100), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(stack->scrollOffset(), 118);
        // Without the button a move only hovers.
        sendMouse(fan, QEvent::MouseMove, QPoint(100, 200), Qt::NoButton, Qt::NoButton);
        QCOMPARE(stack->scrollOffset(), 118);
        // Dragging on the stack itself works the same way.
        sendMouse(stack, QEvent::MouseButtonPress, QPoint(5, 10), Qt::LeftButton, Qt::LeftButton);
        sendMouse(stack, QEvent::MouseMove, QPoint(5, 60), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(stack->scrollOffset(), 68);
    }

    void aRecordReachesRowsAndGraphs()
    {
        auto page = shownPage();
        page->recvNvCardInfo(record());
        Korvo_GPUInfoWidget *rows = page->rowList();
        QCOMPARE(rows->row(0)->currentValue(), QStringLiteral("1683"));
        QCOMPARE(rows->row(0)->maxValue(), QStringLiteral("1911"));
        QCOMPARE(rows->row(0)->minValue(), QStringLiteral("139"));
        QCOMPARE(rows->row(1)->currentValue(), QStringLiteral("1200"));
        QCOMPARE(rows->row(2)->currentValue(), QStringLiteral("58"));
        QCOMPARE(rows->row(3)->currentValue(), QStringLiteral("4006"));
        QCOMPARE(rows->row(3)->maxValue(), QStringLiteral("4104"));
        QCOMPARE(rows->row(4)->currentValue(), QStringLiteral("37%"));
        QCOMPARE(rows->row(4)->maxValue(), QStringLiteral("40%"));
        QCOMPARE(rows->row(4)->minValue(), QStringLiteral("5%"));
        QCOMPARE(rows->row(5)->currentValue(), QStringLiteral("12%"));
        QCOMPARE(rows->row(5)->minValue(), QStringLiteral("0%"));

        // Every graph gets the sample, shown or not, with its range from the record.
        Korvo_GPUInfoMonitorWidget *stack = page->graphStack();
        for (int i = 0; i < 6; ++i)
            QCOMPARE(stack->graph(i)->historySize(), 1);
        QCOMPARE(stack->graph(0)->historyAt(0).value, 1683.0);
        QCOMPARE(stack->graph(0)->maximum(), 2500.0);
        QCOMPARE(stack->graph(3)->historyAt(0).value, 4006.0);
        QCOMPARE(stack->graph(3)->minimum(), 0.0);
        QCOMPARE(stack->graph(5)->headerRow()->currentValue(), QStringLiteral("12%"));
        QCOMPARE(stack->graph(5)->headerRow()->maxValue(), QStringLiteral("99%"));
        QCOMPARE(stack->graph(5)->headerRow()->minValue(), QStringLiteral("0%"));
        QCOMPARE(stack->graph(2)->headerRow()->currentValue(), QStringLiteral("58"));
    }

    void manySamplesFillThePlotWidth()
    {
        auto page = shownPage(0x4);
        page->topRightCheckBox()->click();
        NvCardBaseInfo info = record();
        for (int i = 0; i < 400; ++i) {
            info.temperature.current = 30 + i % 40;
            page->recvNvCardInfo(info);
        }
        QCOMPARE(page->graphStack()->graph(2)->historySize(), 228);
        // Hidden graphs keep the same width, so their histories are capped too.
        QCOMPARE(page->graphStack()->graph(0)->historySize(), 228);
    }

    void textsFollowTheLanguage()
    {
        auto page = shownPage();
        QCOMPARE(page->rowList()->row(2)->text(), QStringLiteral("温     度"));
        QCOMPARE(page->title(), QStringLiteral("驱动版本"));
        page->setLanguageTexts(englishTexts(), English);
        QCOMPARE(page->title(), QStringLiteral("Driver Version"));
        QCOMPARE(page->language(), English);
        QCOMPARE(page->rowList()->row(0)->text(), QStringLiteral("GPU Clock"));
        QCOMPARE(page->rowList()->row(5)->checkBox()->text(), QStringLiteral("GPU Usage"));
        QCOMPARE(page->graphStack()->graph(3)->title(), QStringLiteral("Mem Clock"));
        QCOMPARE(page->graphStack()->graph(4)->headerRow()->text(), QStringLiteral("Mem Usage"));
    }

    void theBackgroundIsNotchedWithABandAndALine()
    {
        auto page = shownPage();
        page->setLanguageTexts(englishTexts(), English);
        const QImage bg = page->backgroundImage();
        QCOMPARE(bg.size(), QSize(285, 294));
        const QRgb once = qPremultiply(qRgba(252, 10, 53, 60));
        // Below the band: one layer of the fill.
        QCOMPARE(bg.pixel(100, 150), once);
        // In the band: two layers, so more opaque.
        QVERIFY(qAlpha(bg.pixel(5, 5)) > qAlpha(once));
        // The red line under the band.
        QVERIFY(qRed(bg.pixel(100, 29)) > 150 && qAlpha(bg.pixel(100, 29)) > 150);
        // The corner triangle is cut away.
        QCOMPARE(qAlpha(bg.pixel(283, 292)), 0);
        QCOMPARE(qAlpha(bg.pixel(270, 250)), qAlpha(once));
        // The title's white text lies in the band's left part.
        int white = 0;
        for (int x = 14; x < 100; ++x) {
            for (int y = 2; y < 27; ++y)
                white += qRed(bg.pixel(x, y)) > 200 && qGreen(bg.pixel(x, y)) > 200;
        }
        QVERIFY(white > 10);
    }

    void theDriverVersionComesFromTheDriver()
    {
        SimulatedCard card;
        sim().setDriverVersion(39135, "r390_00");
        GpuController controller;
        QVERIFY(controller.isInitialized());
        Korvo_NvCardInfoWidget page(&controller);
        QCOMPARE(page.driverVersionText(), QStringLiteral("391.35"));
        NvInfo info;
        controller.readFixedInfo(info);
        QCOMPARE(info.driverVersion, page.driverVersionText());
    }

    void aFailedDriverVersionShowsPlaceholder()
    {
        SimulatedCard card;
        sim().failCalls(NvApiId::SysGetDriverAndBranchVersion, NvApiStatus::Error);
        GpuController controller;
        Korvo_NvCardInfoWidget page(&controller);
        QCOMPARE(page.driverVersionText(), QStringLiteral("XXX.XX"));
        Korvo_NvCardInfoWidget withoutCard(nullptr);
        QCOMPARE(withoutCard.driverVersionText(), QStringLiteral("XXX.XX"));

        // Drawn white in the right third of the band.
        page.resize(285, 294);
        page.show();
        QImage image(page.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        page.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
        int white = 0;
        for (int x = 190; x < 285; ++x) {
            for (int y = 2; y < 27; ++y)
                white += qRed(image.pixel(x, y)) > 200 && qGreen(image.pixel(x, y)) > 200;
        }
        QVERIFY(white > 10);
    }
};

QTEST_MAIN(TestMonitorPage)
#include "tst_monitorpage.moc"
