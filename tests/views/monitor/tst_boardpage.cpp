#include "korvo_baseinforow.h"
#include "korvo_basemonitorbox.h"
#include "korvo_boardinfomainwidget.h"
#include "korvo_boardinfomonitorwidget.h"
#include "korvo_boardinfowidget.h"

#include <QCheckBox>
#include <QtTest>

#include <memory>

// The board page at the main window's page size: four sensors in the GPU page's two faces, each sensor in
// its own row and graph, against the record's fixed range.
class TestBoardPage : public QObject
{
    Q_OBJECT

private:
    static std::unique_ptr<Korvo_BoardInfoMainWidget> shownPage()
    {
        auto page = std::make_unique<Korvo_BoardInfoMainWidget>();
        page->resize(285, 294);
        page->show();
        return page;
    }

    static MonitorValue sensor(int current, int maximum, int minimum)
    {
        MonitorValue v;
        v.current = current;
        v.maximum = maximum;
        v.minimum = minimum;
        v.rangeTop = 100;
        v.rangeBottom = 0;
        return v;
    }

    static Lang_BoardTemp english()
    {
        Lang_BoardTemp texts;
        texts.boardTemp = QStringLiteral("Board Temp");
        texts.mem1 = QStringLiteral("Mem 1");
        texts.mem2 = QStringLiteral("Mem 2");
        texts.coreMos = QStringLiteral("Core MOS");
        texts.memMos = QStringLiteral("Mem MOS");
        return texts;
    }

private slots:
    void startsWithNothingChecked()
    {
        auto page = shownPage();
        QCOMPARE(page->selectionMask(), 0);
        QVERIFY(!page->topRightCheckBox()->isVisible());
        QCOMPARE(page->graphStack()->selectionMask(), 0);
        QCOMPARE(page->rowList()->rowCount(), 4);
        QCOMPARE(page->graphStack()->graphCount(), 4);
        // Rows keep the GPU page's sixth-height slots.
        QCOMPARE(page->rowList()->row(3)->geometry(), QRect(14, 3 * 39, 257, 39));
        QCOMPARE(page->title(), QStringLiteral("主板温度"));
        QCOMPARE(page->rowList()->row(0)->text(), QStringLiteral("显存一"));
    }

    void theMaskHasFourBits()
    {
        auto page = shownPage();
        page->rowList()->setSelection(0xFF);
        QCOMPARE(page->selectionMask(), 0xF);
        page->rowList()->setSelection(0x30);
        QCOMPARE(page->selectionMask(), 0);
        page->graphStack()->setSelectionMask(0x10);
        QCOMPARE(page->graphStack()->selectionMask(), 0);
    }

    void maskNineStacksMemOneThenMemMos()
    {
        auto page = shownPage();
        page->setLanguageTexts(english(), English);
        page->rowList()->row(0)->checkBox()->click();
        page->rowList()->row(3)->checkBox()->click();
        QCOMPARE(page->selectionMask(), 0x9);
        QVERIFY(page->topRightCheckBox()->isVisible());
        page->topRightCheckBox()->click();
        Korvo_BoardInfoMonitorWidget *stack = page->graphStack();
        QVERIFY(stack->isVisible());
        QVERIFY(!page->rowList()->isVisible());
        QCOMPARE(stack->graph(0)->title(), QStringLiteral("Mem 1"));
        QCOMPARE(stack->graph(3)->title(), QStringLiteral("Mem MOS"));
        QCOMPARE(stack->graph(0)->geometry(), QRect(14, 0, 257, 118));
        QCOMPARE(stack->graph(3)->geometry(), QRect(14, 118, 257, 118));
        QVERIFY(!stack->graph(1)->isVisible());
        QVERIFY(!stack->graph(2)->isVisible());
        QCOMPARE(page->title(), QStringLiteral("Board Temp"));
    }

    void eachSensorHasItsOwnRowAndGraph()
    {
        auto page = shownPage();
        BoardTempCompleteInfo info;
        info.sensor1 = sensor(41, 45, 30);
        info.sensor2 = sensor(52, 60, 33);
        info.sensor3 = sensor(67, 70, 35);
        info.sensor4 = sensor(73, 80, 36);
        page->recvBoardTempCompleteInfo(info);
        Korvo_BoardInfoWidget *rows = page->rowList();
        QCOMPARE(rows->row(1)->currentValue(), QStringLiteral("52"));
        QCOMPARE(rows->row(2)->currentValue(), QStringLiteral("67"));
        QCOMPARE(rows->row(2)->maxValue(), QStringLiteral("70"));
        QCOMPARE(rows->row(2)->minValue(), QStringLiteral("35"));
        QCOMPARE(rows->row(3)->currentValue(), QStringLiteral("73"));
        Korvo_BoardInfoMonitorWidget *stack = page->graphStack();
        QCOMPARE(stack->graph(1)->historyAt(0).value, 52.0);
        QCOMPARE(stack->graph(2)->historyAt(0).value, 67.0);
        QCOMPARE(stack->graph(2)->headerRow()->currentValue(), QStringLiteral("67"));
        QCOMPARE(stack->graph(2)->headerRow()->maxValue(), QStringLiteral("70"));
        QCOMPARE(stack->graph(2)->headerRow()->minValue(), QStringLiteral("35"));
        QCOMPARE(stack->graph(3)->historyAt(0).value, 73.0);
        // No unit after the numbers.
        QCOMPARE(rows->row(0)->currentValue(), QStringLiteral("41"));
    }

    void temperaturesUseTheFixedRangeUnclamped()
    {
        auto page = shownPage();
        page->rowList()->setSelection(0x1);
        page->topRightCheckBox()->click();
        BoardTempCompleteInfo info;
        info.sensor1 = sensor(-5, 20, -5);
        info.sensor2 = sensor(100, 100, 0);
        info.sensor3 = sensor(50, 50, 50);
        info.sensor4 = sensor(20, 20, 20);
        page->recvBoardTempCompleteInfo(info);
        Korvo_BoardInfoMonitorWidget *stack = page->graphStack();
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(stack->graph(i)->minimum(), 0.0);
            QCOMPARE(stack->graph(i)->maximum(), 100.0);
        }
        // Below 0 degrees the sample lies under the plot's bottom line (118), not on it.
        QCOMPARE(stack->graph(0)->historyAt(0).y, 122);
        QCOMPARE(stack->graph(1)->historyAt(0).y, 30);
        QCOMPARE(stack->graph(2)->historyAt(0).y, 74);
    }

    void theBandHasNoDriverVersion()
    {
        auto page = shownPage();
        page->setLanguageTexts(english(), English);
        QImage image(page->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        page->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
        // Only the background image: the right third of the band has no white text.
        for (int x = 190; x < 250; ++x) {
            for (int y = 2; y < 27; ++y)
                QVERIFY(qGreen(image.pixel(x, y)) < 100);
        }
        QCOMPARE(image, page->backgroundImage());
    }
};

QTEST_MAIN(TestBoardPage)
#include "tst_boardpage.moc"
