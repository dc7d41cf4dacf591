#include "korvo_userdefinefanspeed.h"
#include "lumetraresources.h"

#include <QSignalSpy>
#include <QtTest>

using Curve = QList<QPoint>;

// The fan curve editor: loading, the conversions, dragging with the order kept in values as well as
// pixels, inserting and deleting, and how it paints.
class TestUserDefineFanSpeed : public QObject
{
    Q_OBJECT

private:
    // The editor lays its plot out when it gets its size, which a hidden widget does only when shown.
    static void place(Korvo_UserDefineFanSpeed &editor, int w, int h)
    {
        editor.resize(w, h);
        editor.show();
    }
    // W = 145, H = 135 gives grid steps of 10, a 100 x 100 plot at (30, 5).
    static void makeHundredPlot(Korvo_UserDefineFanSpeed &editor)
    {
        place(editor, 145, 135);
        QCOMPARE(editor.plotRect(), QRect(30, 5, 100, 100));
    }
    static bool isNonDecreasing(const Curve &curve)
    {
        for (int i = 1; i < curve.size(); ++i) {
            if (curve.at(i).x() < curve.at(i - 1).x() || curve.at(i).y() < curve.at(i - 1).y())
                return false;
        }
        return true;
    }
    static void drag(Korvo_UserDefineFanSpeed &editor, QPoint from, QPoint to)
    {
        QTest::mousePress(&editor, Qt::LeftButton, Qt::NoModifier, from);
        QMouseEvent move(QEvent::MouseMove, to, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&editor, &move);
        QTest::mouseRelease(&editor, Qt::LeftButton, Qt::NoModifier, to);
    }

private slots:
    void initTestCase() { initLumetraResources(); }

    void startsWithTheDefaultPointsAtTheOrigin()
    {
        Korvo_UserDefineFanSpeed editor;
        QCOMPARE(editor.points(), Curve({ { 0, 0 }, { 30, 20 }, { 50, 50 }, { 80, 90 }, { 100, 100 } }));
        QCOMPARE(editor.plotRect(), QRect(0, 0, 100, 100));
        QCOMPARE(editor.pixelPoints().at(1), QPoint(30, 80));
        QCOMPARE(editor.valueToPixel(QPoint(30, 20)), QPoint(30, 80));
        QCOMPARE(editor.pixelToValue(QPoint(30, 80)), QPoint(30, 20));
    }

    void loadsOnlyCurvesFromZeroToHundred_data()
    {
        QTest::addColumn<Curve>("given");
        QTest::addColumn<bool>("kept");
        QTest::newRow("straight line") << Curve { { 0, 0 }, { 100, 100 } } << true;
        QTest::newRow("starts at (0, 10)") << Curve { { 0, 10 }, { 100, 100 } } << false;
        QTest::newRow("empty") << Curve {} << false;
        QTest::newRow("one point") << Curve { { 0, 0 } } << false;
        QTest::newRow("inner points as they come")
            << Curve { { 0, 0 }, { 60, 10 }, { 40, 30 }, { 100, 100 } } << true;
    }
    void loadsOnlyCurvesFromZeroToHundred()
    {
        QFETCH(Curve, given);
        QFETCH(bool, kept);
        Korvo_UserDefineFanSpeed editor;
        makeHundredPlot(editor);
        editor.setPoints({ { 0, 0 }, { 10, 90 }, { 100, 100 } });
        editor.setPoints(given);
        QCOMPARE(editor.points(), kept ? given : Korvo_UserDefineFanSpeed::defaultPoints());
        QCOMPARE(editor.pixelPoints().size(), editor.points().size());
    }

    void followsItsSize()
    {
        Korvo_UserDefineFanSpeed editor;
        place(editor, 245, 235); // grid 20, plot 200 x 200 at (30, 5)
        QCOMPARE(editor.plotRect(), QRect(30, 5, 200, 200));
        QCOMPARE(editor.pixelPoints().at(1), QPoint(30 + 60, 5 + 200 - 40));
        QCOMPARE(editor.pixelPoints().last(), QPoint(230, 5));
    }

    void endPointsAreNeverDraggedOrDeleted()
    {
        Korvo_UserDefineFanSpeed editor;
        makeHundredPlot(editor);
        QSignalSpy changed(&editor, &Korvo_UserDefineFanSpeed::pointChanged);
        drag(editor, QPoint(30, 105), QPoint(60, 60));
        drag(editor, QPoint(130, 5), QPoint(100, 50));
        QTest::mouseDClick(&editor, Qt::LeftButton, Qt::NoModifier, QPoint(30, 105));
        QTest::mouseDClick(&editor, Qt::LeftButton, Qt::NoModifier, QPoint(130, 5));
        QCOMPARE(editor.points(), Korvo_UserDefineFanSpeed::defaultPoints());
        QCOMPARE(changed.count(), 0);
    }

    void aDraggedPointStopsAtItsNeighbours()
    {
        Korvo_UserDefineFanSpeed editor;
        makeHundredPlot(editor);
        QSignalSpy changed(&editor, &Korvo_UserDefineFanSpeed::pointChanged);
        // (30, 20) sits at (60, 85); drag it far right and down, past (50, 50) at (80, 55).
        drag(editor, QPoint(60, 85), QPoint(120, 120));
        QVERIFY(changed.count() >= 1);
        QCOMPARE(editor.pixelPoints().at(1), QPoint(80, 105));
        QCOMPARE(editor.points().at(1), QPoint(50, 0));
        QVERIFY(isNonDecreasing(editor.points()));
        // Up past the next point's fan speed: stops at it; two points may share an x.
        drag(editor, QPoint(80, 105), QPoint(80, 10));
        QCOMPARE(editor.points().at(1), QPoint(50, 50));
    }

    // A point dropped on its neighbour's pixel must not truncate to a value below the neighbour's.
    void aDroppedPointNeverStoresAFallingCurve()
    {
        Korvo_UserDefineFanSpeed editor;
        place(editor, 175, 165); // grid 13, plot 130 x 130 at (30, 5): pixels are coarser than a value
        const Curve loaded = { { 0, 0 }, { 33, 47 }, { 67, 71 }, { 100, 100 } };
        editor.setPoints(loaded);
        const QPoint second = editor.pixelPoints().at(2);
        const QPoint first = editor.pixelPoints().at(1);
        // Drag the third point onto the second's pixel and beyond it to the left and down.
        drag(editor, second, first + QPoint(-20, 20));
        const Curve after = editor.points();
        QVERIFY2(isNonDecreasing(after),
            qPrintable(QStringLiteral("%1,%2 then %3,%4")
                           .arg(after.at(1).x())
                           .arg(after.at(1).y())
                           .arg(after.at(2).x())
                           .arg(after.at(2).y())));
        QCOMPARE(after.at(2), after.at(1));
        // And the other way: the second point dragged onto the third.
        editor.setPoints(loaded);
        drag(editor, editor.pixelPoints().at(1), editor.pixelPoints().at(2) + QPoint(20, -20));
        QVERIFY(isNonDecreasing(editor.points()));
    }

    void doubleClickInsertsBetweenPointsAndDeletesInnerOnes()
    {
        Korvo_UserDefineFanSpeed editor;
        makeHundredPlot(editor);
        QSignalSpy changed(&editor, &Korvo_UserDefineFanSpeed::pointChanged);
        // On the first point's x: no interval holds it.
        QTest::mouseDClick(&editor, Qt::LeftButton, Qt::NoModifier, QPoint(30, 100));
        QCOMPARE(editor.points().size(), 5);
        // One pixel inside: a new point after the first; its fan value held to [0, 20].
        QTest::mouseDClick(&editor, Qt::LeftButton, Qt::NoModifier, QPoint(31, 50));
        QCOMPARE(editor.points().size(), 6);
        QCOMPARE(editor.points().at(1), QPoint(1, 20));
        QCOMPARE(changed.count(), 1);
        QVERIFY(isNonDecreasing(editor.points()));
        // Double click on it again removes it.
        QTest::mouseDClick(&editor, Qt::LeftButton, Qt::NoModifier, editor.pixelPoints().at(1));
        QCOMPARE(editor.points(), Korvo_UserDefineFanSpeed::defaultPoints());
        QCOMPARE(changed.count(), 2);
    }

    void elevenPointsRefuseAnInsert()
    {
        Korvo_UserDefineFanSpeed editor;
        makeHundredPlot(editor);
        Curve eleven;
        for (int i = 0; i <= 10; ++i)
            eleven.append(QPoint(10 * i, 10 * i));
        editor.setPoints(eleven);
        QSignalSpy changed(&editor, &Korvo_UserDefineFanSpeed::pointChanged);
        QTest::mouseDClick(&editor, Qt::LeftButton, Qt::NoModifier, QPoint(30 + 15, 105 - 20));
        QCOMPARE(editor.points(), eleven);
        QCOMPARE(changed.count(), 0);
        // Ten points take one more.
        eleven.removeAt(5);
        editor.setPoints(eleven);
        QTest::mouseDClick(&editor, Qt::LeftButton, Qt::NoModifier, QPoint(30 + 55, 105 - 52));
        QCOMPARE(editor.points().size(), 11);
        QCOMPARE(editor.points().at(5), QPoint(55, 52));
    }

    void anEditorWithoutAPlotIgnoresTheMouse()
    {
        Korvo_UserDefineFanSpeed editor;
        place(editor, 40, 30); // grid steps 0: no plot
        QCOMPARE(editor.plotRect().width(), 0);
        QSignalSpy changed(&editor, &Korvo_UserDefineFanSpeed::pointChanged);
        const QPoint inner = editor.pixelPoints().at(1);
        drag(editor, inner, inner + QPoint(5, 5));
        QTest::mouseDClick(&editor, Qt::LeftButton, Qt::NoModifier, inner);
        QTest::mouseDClick(&editor, Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(editor.points(), Korvo_UserDefineFanSpeed::defaultPoints());
    }

    void resetRestoresTheDefaults()
    {
        Korvo_UserDefineFanSpeed editor;
        makeHundredPlot(editor);
        editor.setPoints({ { 0, 0 }, { 100, 100 } });
        editor.resetToDefault();
        QCOMPARE(editor.points(), Korvo_UserDefineFanSpeed::defaultPoints());
        QCOMPARE(editor.pixelPoints().at(3), QPoint(30 + 80, 105 - 90));
    }

    void paintsGridCurveAndPoints()
    {
        Korvo_UserDefineFanSpeed editor;
        makeHundredPlot(editor);
        QImage image(editor.size(), QImage::Format_ARGB32);
        image.fill(Qt::black);
        editor.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        // A point square: white at alpha 150 over black.
        const QColor point = image.pixel(60, 85);
        QVERIFY(point.red() > 120 && point.green() > 120);
        // The curve between (60, 85) and (80, 55), at its middle, is red.
        const QColor curve = image.pixel(70, 70);
        QVERIFY(curve.red() > 60 && curve.green() < 40);
        // A grid line crossing, away from the curve: faint red.
        const QColor grid = image.pixel(40, 25);
        QVERIFY(grid.red() > 20 && grid.red() < 120 && grid.green() < 20);
        // Inside a grid cell: nothing.
        QCOMPARE(QColor(image.pixel(45, 30)), QColor(Qt::black));
    }
};

QTEST_MAIN(TestUserDefineFanSpeed)
#include "tst_userdefinefanspeed.moc"
