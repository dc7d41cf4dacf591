#include "gpucontroller.h"
#include "korvo_colorbutton.h"
#include "korvo_colorpalettebox.h"
#include "korvo_ledcontrolwidget.h"
#include "korvo_trianglebutton.h"
#include "ledtestsupport.h"
#include "simulatedcard.h"

#include <QApplication>
#include <QtMath>
#include <QtTest>

#include <memory>

using Page = Korvo_LEDControlWidget;

// A scripted one-second drag of the palette's marker, counted in the simulated driver's I2C log: the page
// sends the newest colour 500 ms after the last change, except for the immediate preview of single-colour
// "Bright" on a controller of kind 3, which sends every change.
class TestPaletteDrag : public QObject
{
    Q_OBJECT

private:
    static constexpr int Steps = 60;

    std::unique_ptr<SimulatedCard> m_card;
    std::unique_ptr<GpuController> m_controller;

    struct Wired
    {
        std::unique_ptr<Page> page;
        std::unique_ptr<Korvo_ColorPaletteBox> palette;
    };

    Wired wire(int mode)
    {
        LedRecord stored;
        stored.LedMode = mode;
        stored.CheckedColorButtonStatic = 0x01;
        Wired w { std::make_unique<Page>(m_controller.get(), nullptr, stored),
            std::make_unique<Korvo_ColorPaletteBox>() };
        QObject::connect(w.page.get(), &Page::colorButtonHasDoubleClick, w.palette.get(),
            &Korvo_ColorPaletteBox::adjustColor);
        QObject::connect(w.palette.get(), &Korvo_ColorPaletteBox::colorChanged, w.page.get(),
            &Page::setCurrentBindColorCircleButtonColor);
        w.palette->setAttribute(Qt::WA_DontShowOnScreen);
        w.palette->resize(300, 300);
        w.palette->show();
        // Bind (and check) the first custom colour.
        w.page->customButton(0)->onTimeOut();
        return w;
    }

    // One second of marker moves, hue 0 to 177 in 3-degree steps; returns the writes seen during the drag.
    static std::size_t drag(Korvo_ColorPaletteBox &palette)
    {
        QWidget *marker = palette.marker();
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < Steps; ++i) {
            // Half a degree into each step, so the hue truncates to 3 i.
            const double angle = qDegreesToRadians(180.0 - (3 * i + 0.5));
            const QPointF point(150 + 100 * qCos(angle), 150 - 100 * qSin(angle));
            QMouseEvent move(QEvent::MouseMove, point, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(marker, &move);
            const qint64 due = (i + 1) * 1000 / Steps;
            const qint64 left = due - timer.elapsed();
            if (left > 0)
                QTest::qWait(int(left));
        }
        return ledWrites().size();
    }

private slots:
    void init()
    {
        m_card = std::make_unique<SimulatedCard>(SimulatedCard::Dynamics::Frozen);
        m_controller = std::make_unique<GpuController>();
    }
    void cleanup()
    {
        m_controller.reset();
        m_card.reset();
    }

    void dragSendsTheNewestColourOnceAfterItEnds()
    {
        Wired w = wire(Page::MultipleBreath);
        QVERIFY(w.page->customButton(0)->isChecked());
        sim().clearI2cLog();
        const std::size_t during = drag(*w.palette);
        QTest::qWait(Page::ColorSendDelayMs + 200);
        const std::size_t total = ledWrites().size();
        qInfo("debounced drag: %zu packet(s) during the second, %zu in all", during, total);
        QCOMPARE(during, std::size_t(0));
        QCOMPARE(total, std::size_t(1));
        const QColor last = QColor::fromHsv(3 * (Steps - 1), 255, 255).toRgb();
        QCOMPARE(w.page->customButton(0)->color(), last);
        QCOMPARE(hex(lastLedWrite()),
            hex(ledPacket(1, 50, 2, { 255, 0, 0, NvU8(last.red()), NvU8(last.green()), NvU8(last.blue()) })));
    }

    void kind3SingleBrightSendsEveryChange()
    {
        Wired w = wire(Page::SingleBright);
        QCOMPARE(w.page->controllerKind(), 3);
        sim().clearI2cLog();
        const std::size_t during = drag(*w.palette);
        QTest::qWait(Page::ColorSendDelayMs + 200);
        qInfo("kind 3 single Bright drag: %zu packet(s) for %d changes", during, Steps);
        QCOMPARE(during, std::size_t(Steps));
        QCOMPARE(ledWrites().size(), std::size_t(Steps));
        const QColor last = QColor::fromHsv(3 * (Steps - 1), 255, 255).toRgb();
        QCOMPARE(hex(lastLedWrite()),
            hex(ledPacket(0, 50, 2, { NvU8(last.red()), NvU8(last.green()), NvU8(last.blue()) })));
    }

    void otherKindsDebounceSingleBrightToo()
    {
        sim().editCard(0, [](SimCardConfig &card) { card.ledKind = 0; });
        Wired w = wire(Page::SingleBright);
        QCOMPARE(w.page->controllerKind(), 0);
        sim().clearI2cLog();
        const std::size_t during = drag(*w.palette);
        QTest::qWait(Page::ColorSendDelayMs + 200);
        QCOMPARE(during, std::size_t(0));
        QCOMPARE(ledWrites().size(), std::size_t(1));
    }
};

QTEST_MAIN(TestPaletteDrag)
#include "tst_palettedrag.moc"
