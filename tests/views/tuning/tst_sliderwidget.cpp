#include "korvo_overclockingslider.h"
#include "korvo_sliderwidget.h"
#include "lumetraresources.h"
#include "modifyspinbox.h"

#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

// The slider row: its paging, which values come back as changes, the number box's keys and how the row
// paints in each state.
class TestSliderWidget : public QObject
{
    Q_OBJECT

private:
    static QImage render(QWidget &widget)
    {
        QImage image(widget.size(), QImage::Format_ARGB32);
        image.fill(Qt::black);
        // Without the window background a top-level widget would get.
        widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    }
    // Alpha of a white handle over the black background shows as the brightness of the pixel.
    static bool isWhiteish(QRgb pixel)
    {
        return qRed(pixel) > 150 && qGreen(pixel) > 150 && qBlue(pixel) > 150;
    }

private slots:
    void initTestCase() { initLumetraResources(); }

    void pageStepIsATwentiethOfTheRange_data()
    {
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("step");
        QTest::newRow("0..100") << 0 << 100 << 5;
        QTest::newRow("-200..1000") << -200 << 1000 << 60;
        QTest::newRow("single value") << 7 << 7 << 0;
    }
    void pageStepIsATwentiethOfTheRange()
    {
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(int, step);
        Korvo_SliderWidget row;
        row.setRange(min, max);
        QCOMPARE(row.slider()->pageStep(), step);
        QCOMPARE(row.slider()->minimum(), min);
        QCOMPARE(row.spinBox()->maximum(), max);
    }

    void valuesSetByTheOwnerAreNotChanges()
    {
        Korvo_SliderWidget row;
        row.setRange(0, 100);
        QSignalSpy changed(&row, &Korvo_SliderWidget::valueChanged);
        row.setValue(40);
        row.setValue(100);
        row.setValue(0);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(row.value(), 0);
    }

    void aClampedValueIsReportedOnce()
    {
        Korvo_SliderWidget row;
        row.setRange(0, 100);
        row.setValue(20);
        QSignalSpy changed(&row, &Korvo_SliderWidget::valueChanged);
        row.setValue(150);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).value<Korvo_SliderWidget *>(), &row);
        QCOMPARE(row.value(), 100);
        QCOMPARE(row.spinBox()->value(), 100);
    }

    void theSliderReportsDragsAndReleases()
    {
        Korvo_SliderWidget row;
        row.setRange(0, 100);
        QSignalSpy changed(&row, &Korvo_SliderWidget::valueChanged);
        QSignalSpy moved(&row, &Korvo_SliderWidget::sliderMoved);
        QSignalSpy released(&row, &Korvo_SliderWidget::sliderReleased);
        row.slider()->setSliderDown(true);
        row.slider()->setSliderPosition(30);
        row.slider()->setSliderDown(false);
        QCOMPARE(moved.count(), 1);
        QCOMPARE(moved.at(0).at(1).toInt(), 30);
        QCOMPARE(released.count(), 1);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(row.value(), 30);
        QCOMPARE(row.spinBox()->value(), 30);
    }

    void aTypedValueArrivesWhenEditingEnds()
    {
        Korvo_SliderWidget row;
        row.setRange(0, 100);
        QSignalSpy changed(&row, &Korvo_SliderWidget::valueChanged);
        row.spinBox()->setValue(64);
        QCOMPARE(changed.count(), 0);
        emit row.spinBox()->editingFinished();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(row.value(), 64);
    }

    void aDigitReachingTheMaximumShowsItAtOnce()
    {
        Korvo_SliderWidget row;
        row.setRange(0, 100);
        row.setValue(10);
        ModifySpinBox *box = row.spinBox();
        QSignalSpy editing(box, &ModifySpinBox::editChanging);
        box->findChild<QLineEdit *>()->setCursorPosition(box->text().length());
        QTest::keyClick(box, Qt::Key_5);
        QCOMPARE(box->text(), QStringLiteral("100"));
        QCOMPARE(box->value(), 100);
        QVERIFY(!box->findChild<QLineEdit *>()->hasSelectedText());
        QCOMPARE(box->findChild<QLineEdit *>()->cursorPosition(), 3);
        QCOMPARE(editing.count(), 1);
    }

    void aDigitBelowTheMaximumIsTypedNormally()
    {
        Korvo_SliderWidget row;
        row.setRange(0, 100);
        row.setValue(1);
        ModifySpinBox *box = row.spinBox();
        box->findChild<QLineEdit *>()->setCursorPosition(box->text().length());
        QTest::keyClick(box, Qt::Key_5);
        QCOMPARE(box->text(), QStringLiteral("15"));
        QSignalSpy editing(box, &ModifySpinBox::editChanging);
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(box->text(), QStringLiteral("1"));
        QCOMPARE(editing.count(), 1);
    }

    void aSingleValueRangePaintsAtTheStart()
    {
        Korvo_OverClockingSlider slider;
        slider.resize(190, 20);
        slider.show();
        slider.setRange(50, 50);
        slider.setValue(50);
        QCOMPARE(Korvo_OverClockingSlider::fillShare(50, 50, 50), 0.0);
        QTest::mouseMove(&slider, QPoint(10, 10));
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(&slider, &enter);
        QVERIFY(slider.isHovered());
        const QImage image = render(slider);
        // The hovered handle sits at x 0..7, nothing white beyond it.
        QVERIFY(isWhiteish(image.pixel(3, 10)));
        QVERIFY(!isWhiteish(image.pixel(100, 10)));
    }

    void theHandleFollowsTheValueAndShowsOnlyUnderTheMouse()
    {
        Korvo_OverClockingSlider slider;
        slider.resize(190, 20);
        slider.show();
        slider.setRange(0, 100);
        slider.setValue(50);
        // Handle at trunc((190 - 8) x 0.5) = 91.
        QVERIFY(!isWhiteish(render(slider).pixel(94, 2)));
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(&slider, &enter);
        QImage hovered = render(slider);
        QVERIFY(isWhiteish(hovered.pixel(94, 2)));
        QVERIFY(!isWhiteish(hovered.pixel(89, 2)));
        QVERIFY(!isWhiteish(hovered.pixel(100, 2)));
    }

    void aDisabledRowShowsNoHandle()
    {
        Korvo_SliderWidget row;
        row.resize(300, 60);
        row.show();
        row.setRange(0, 100);
        row.setValue(50);
        row.setEnabled(false);
        Korvo_OverClockingSlider *slider = row.slider();
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(slider, &enter);
        QVERIFY(slider->isHovered());
        const QImage image = render(*slider);
        const int handleX = int((slider->width() - 8) * 0.5) + 4;
        for (int y = 0; y < image.height(); ++y)
            QVERIFY2(!isWhiteish(image.pixel(handleX, y)), qPrintable(QString::number(y)));
        // The disabled images differ from the enabled ones: the cap is not the red one.
        const QImage rowImage = render(row);
        const QPixmap enabledCap(QStringLiteral(":/images/images/slider/background_slider.png"));
        const QPixmap disabledCap(QStringLiteral(":/images/images/slider/disable_background_slider.png"));
        QVERIFY(!enabledCap.isNull() && !disabledCap.isNull());
        const int capY = slider->y() + (slider->height() - disabledCap.height()) / 2;
        QImage expected(disabledCap.size(), QImage::Format_ARGB32);
        expected.fill(Qt::black);
        QPainter(&expected).drawPixmap(0, 0, disabledCap);
        QImage redCap(enabledCap.size(), QImage::Format_ARGB32);
        redCap.fill(Qt::black);
        QPainter(&redCap).drawPixmap(0, 0, enabledCap);
        const int probeY = disabledCap.height() / 2;
        QCOMPARE(rowImage.pixel(2, capY + probeY), expected.pixel(2, probeY));
        QVERIFY(redCap.pixel(2, probeY) != expected.pixel(2, probeY));
    }
};

QTEST_MAIN(TestSliderWidget)
#include "tst_sliderwidget.moc"
