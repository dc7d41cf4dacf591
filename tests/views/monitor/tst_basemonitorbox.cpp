#include "korvo_baseinforow.h"
#include "korvo_basemonitorbox.h"

#include <QCheckBox>
#include <QMouseEvent>
#include <QtTest>

// The history graph: its geometry from the box size, where a value lands, how the history is capped and
// trimmed, the grid's phase, and what hovering shows. Painting is checked by rendering into an image.
class TestBaseMonitorBox : public QObject
{
    Q_OBJECT

private:
    // The graph size the monitor page gives its boxes in the main window.
    static constexpr int Width = 257;
    static constexpr int Height = 118;
    static constexpr int Right = 29 + 228;
    static constexpr int Bottom = 30 + 88;

    static QImage render(Korvo_BaseMonitorBox &box)
    {
        QImage image(box.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        // The box and its header only, without the window background a top-level widget would get.
        box.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    }

    static void move(Korvo_BaseMonitorBox &box, QPoint pos)
    {
        QMouseEvent event(QEvent::MouseMove, pos, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&box, &event);
    }

    static bool isWhite(QRgb pixel)
    {
        return qAlpha(pixel) == 255 && qRed(pixel) == 255 && qGreen(pixel) == 255 && qBlue(pixel) == 255;
    }

    // Any white pixel of the dotted hover line in a column, above the curves of these tests (y 74 and
    // lower) and above the hover texts (baseline 74).
    static bool whiteInColumn(const QImage &image, int x)
    {
        for (int y = 32; y < 60; ++y) {
            if (isWhite(image.pixel(x, y)))
                return true;
        }
        return false;
    }

    static std::unique_ptr<Korvo_BaseMonitorBox> shownBox(int width = Width, int height = Height)
    {
        auto box = std::make_unique<Korvo_BaseMonitorBox>();
        box->resize(width, height);
        box->show();
        return box;
    }

private slots:
    void geometryFollowsTheSize()
    {
        Korvo_BaseMonitorBox box;
        // Before the first resize the capacity is wide and the plot has no height.
        QCOMPARE(box.plotWidth(), 1000);
        QCOMPARE(box.plotHeight(), 0);
        auto shown = shownBox();
        QCOMPARE(shown->leftMargin(), 29);
        QCOMPARE(shown->topMargin(), 30);
        QCOMPARE(shown->plotWidth(), 228);
        QCOMPARE(shown->plotHeight(), 88);
        QCOMPARE(shown->headerRow()->geometry(), QRect(29, 0, 228, 30));
        QVERIFY(!shown->headerRow()->checkBox()->isVisible());
    }

    void valuesLandOnTheirRows()
    {
        auto box = shownBox();
        box->setValueRange(0, 104);
        QCOMPARE(box->pixelY(104), 30);
        QCOMPARE(box->pixelY(0), Bottom);
        QCOMPARE(box->pixelY(52), 74);
        // Outside the range nothing is clamped.
        QCOMPARE(box->pixelY(-52), 162);
        QCOMPARE(box->pixelY(208), -58);

        for (int i = 0; i < 50; ++i)
            box->addData(104);
        const QImage atTop = render(*box);
        // The white outline of the area runs along the top margin, nothing above it.
        QVERIFY(isWhite(atTop.pixel(230, 30)));
        QCOMPARE(qAlpha(atTop.pixel(230, 29)), 0);
        // Under it the fill colour.
        QCOMPARE(atTop.pixel(230, 75), qPremultiply(qRgba(150, 0, 0, 150)));
    }

    void aRangeChangeMovesTheWholeHistory()
    {
        auto box = shownBox();
        box->addData(50);
        QCOMPARE(box->historyAt(0).y, 74);
        box->setValueRange(0, 50);
        QCOMPARE(box->historyAt(0).y, 30);
        QCOMPARE(box->historyAt(0).value, 50.0);
    }

    void aFlatRangeDrawsAtTheBottom()
    {
        auto box = shownBox();
        box->setValueRange(60, 60);
        box->addData(60);
        box->addData(75);
        QCOMPARE(box->historyAt(0).y, Bottom);
        QCOMPARE(box->historyAt(1).y, Bottom);
        // The bottom line is the box's last row plus one: no outline inside the plot.
        const QImage image = render(*box);
        for (int y = 31; y < Bottom; ++y)
            QVERIFY(!isWhite(image.pixel(200, y)));
        QCOMPARE(box->maximum(), 60.0);
    }

    void theGridMovesOnePixelPerSampleWithPeriodTwenty()
    {
        auto box = shownBox();
        QCOMPARE(box->gridOffset(), 0);
        for (int i = 1; i < 20; ++i) {
            box->addData(1);
            QCOMPARE(box->gridOffset(), -i);
        }
        box->addData(1);
        QCOMPARE(box->gridOffset(), 0);
        box->addData(1);
        QCOMPARE(box->gridOffset(), -1);
        // A vertical grid line sits at left + offset + 20 i, in the grid colour.
        box->setValueRange(0, 1000);
        const QImage image = render(*box);
        QCOMPARE(image.pixel(29 - 1 + 40, 65), qPremultiply(qRgba(255, 0, 0, 80)));
        QCOMPARE(qAlpha(image.pixel(29 + 40, 65)), 0);
    }

    void theHistoryHoldsThePlotWidth()
    {
        auto box = shownBox();
        box->setValueRange(0, 100);
        for (int i = 0; i < 100; ++i)
            box->addData(50);
        QCOMPARE(box->historySize(), 100);
        QImage image = render(*box);
        // One column per sample from the right edge; left of the oldest one the plot is empty (x 150 is
        // between vertical grid lines, y 115 between horizontal ones).
        QCOMPARE(image.pixel(200, 115), qPremultiply(qRgba(150, 0, 0, 150)));
        QCOMPARE(qAlpha(image.pixel(150, 115)), 0);

        for (int i = 0; i < 1000; ++i)
            box->addData(i % 100);
        QCOMPARE(box->historySize(), 228);
        // Newest first, one per column.
        QCOMPARE(box->historyAt(0).value, 99.0);
        QCOMPARE(box->historyAt(227).value, double((1000 - 228) % 100));
        image = render(*box);
        QVERIFY(qAlpha(image.pixel(150, 117)) > 0);
        QVERIFY(qAlpha(image.pixel(31, 117)) > 0);
    }

    void shrinkingDropsTheOldestAtTheNextSample()
    {
        auto box = shownBox();
        for (int i = 0; i < 300; ++i)
            box->addData(i);
        QCOMPARE(box->historySize(), 228);
        box->resize(157, Height);
        QCOMPARE(box->plotWidth(), 128);
        QCOMPARE(box->historySize(), 228);
        box->addData(300);
        QCOMPARE(box->historySize(), 128);
        QCOMPARE(box->historyAt(0).value, 300.0);
        QCOMPARE(box->historyAt(127).value, 173.0);
    }

    void aBoxNarrowerThanItsMarginKeepsNoHistory()
    {
        for (int width : { 0, 10, 28, 29 }) {
            auto box = shownBox(width, 20);
            QCOMPARE(box->plotWidth(), 0);
            QCOMPARE(box->plotHeight(), 0);
            for (int i = 0; i < 5; ++i)
                box->addData(i);
            QCOMPARE(box->historySize(), 0);
            if (width > 0)
                render(*box);
        }
        auto one = shownBox(30, Height);
        one->addData(1);
        one->addData(2);
        QCOMPARE(one->historySize(), 1);
        QCOMPARE(one->historyAt(0).value, 2.0);
    }

    void samplesCarryTheirTime()
    {
        auto box = shownBox();
        box->addData(1);
        const QString time = box->historyAt(0).time;
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$")).match(time).hasMatch(),
            qPrintable(time));
    }

    void hoveringShowsTheSampleUnderTheMouse()
    {
        auto box = shownBox();
        box->setValueRange(0, 100);
        for (int i = 0; i < 10; ++i)
            box->addData(10 * i + 0.7);
        move(*box, QPoint(Right - 5, 60));
        QVERIFY(box->isHovering());
        QCOMPARE(box->hoverIndexAt(Right - 5), 5);
        QCOMPARE(box->historyAt(5).value, 40.7);
        QImage image = render(*box);
        QVERIFY(whiteInColumn(image, Right - 5));

        // Both sides of the oldest sample, while the graph is still filling: its own column shows it, the
        // column just left of it shows nothing (and paints without reading past the history).
        QCOMPARE(box->hoverIndexAt(Right - 9), 9);
        QCOMPARE(box->historyAt(9).value, 0.7);
        QCOMPARE(box->hoverIndexAt(Right - 10), -1);
        move(*box, QPoint(Right - 10, 60));
        QVERIFY(!whiteInColumn(render(*box), Right - 10));

        // Left of the oldest sample: no values and no line.
        move(*box, QPoint(Right - 50, 60));
        QVERIFY(!box->isHovering());
        QCOMPARE(box->hoverIndexAt(Right - 50), -1);
        image = render(*box);
        QVERIFY(!whiteInColumn(image, Right - 50));
        QVERIFY(!whiteInColumn(image, Right - 5));

        // Leaving the widget ends the hover.
        move(*box, QPoint(Right - 3, 60));
        QVERIFY(box->isHovering());
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(box.get(), &leave);
        QVERIFY(!box->isHovering());
    }

    void aStaleHoverAfterAResizeShowsNothing()
    {
        auto box = shownBox();
        for (int i = 0; i < 10; ++i)
            box->addData(50);
        move(*box, QPoint(Right - 2, 60));
        QVERIFY(box->isHovering());
        // The right edge moves left of the stored mouse position: the index there would be negative.
        box->resize(200, Height);
        QCOMPARE(box->hoverIndexAt(Right - 2), -1);
        const QImage image = render(*box);
        QCOMPARE(image.width(), 200);
        // Right of the axis labels no column has the line.
        for (int x = 29; x < 200; ++x)
            QVERIFY(!whiteInColumn(image, x));
    }

    void theHeaderShowsTitleAndValues()
    {
        auto box = shownBox();
        box->setTitle(QStringLiteral("Temp"));
        box->setDisplayInfo(QStringLiteral("55"), QStringLiteral("30"), QStringLiteral("80"));
        QCOMPARE(box->headerRow()->text(), QStringLiteral("Temp"));
        QCOMPARE(box->headerRow()->currentValue(), QStringLiteral("55"));
        QCOMPARE(box->headerRow()->maxValue(), QStringLiteral("80"));
        QCOMPARE(box->headerRow()->minValue(), QStringLiteral("30"));
        box->setForgroundColor(QColor(0, 0, 200, 255));
        box->setGridColor(QColor(0, 255, 0, 255));
        QCOMPARE(box->forgroundColor(), QColor(0, 0, 200, 255));
        for (int i = 0; i < 30; ++i)
            box->addData(100);
        const QImage image = render(*box);
        QCOMPARE(image.pixel(240, 100), qRgba(0, 0, 200, 255));
    }

    void valuesShrinkOnlyToFitTheirColumn()
    {
        // A column of 25 px: the design size is 10 px.
        QCOMPARE(Korvo_BaseInfoRow::valueFont(25, { QStringLiteral("1") }).pixelSize(), 10);
        const QStringList wide = { QStringLiteral("12345"), QStringLiteral("MAX:") };
        const QFont font = Korvo_BaseInfoRow::valueFont(25, wide);
        QVERIFY(font.pixelSize() <= 10);
        QVERIFY(font.pixelSize() >= 7);
        if (font.pixelSize() > 7) {
            const QFontMetrics metrics(font);
            for (const QString &text : wide)
                QVERIFY(metrics.horizontalAdvance(text) <= 22);
        }
        // A wider column keeps its larger design size.
        QCOMPARE(Korvo_BaseInfoRow::valueFont(48, { QStringLiteral("1") }).pixelSize(), 20);
    }

    void theRowRelaysItsCheckBox()
    {
        Korvo_BaseInfoRow row;
        QSignalSpy checked(&row, &Korvo_BaseInfoRow::onChecked);
        row.setText(QStringLiteral("GPU Clock"));
        QCOMPARE(row.checkBox()->text(), QStringLiteral("GPU Clock"));
        row.checkBox()->click();
        QCOMPARE(checked.count(), 1);
        QCOMPARE(checked.at(0).at(0).toBool(), true);
        QVERIFY(row.isChecked());
        row.setChecked(false);
        QCOMPARE(checked.count(), 2);
        QCOMPARE(checked.at(1).at(0).toBool(), false);

        row.resize(257, 39);
        row.show();
        QCOMPARE(row.checkBox()->geometry(), QRect(0, 0, 257 / 12 + 257 / 3, 39));
        QCOMPARE(row.checkBox()->font().pixelSize(), 14);
        // The values are white text in the right half.
        row.setValues(QStringLiteral("8888"), QStringLiteral("8888"), QStringLiteral("8888"));
        QImage image(row.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        row.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
        int lit = 0;
        for (int x = 128; x < 150; ++x) {
            for (int y = 0; y < 39; ++y)
                lit += qAlpha(image.pixel(x, y)) > 0;
        }
        QVERIFY(lit > 0);
    }
};

QTEST_MAIN(TestBaseMonitorBox)
#include "tst_basemonitorbox.moc"
