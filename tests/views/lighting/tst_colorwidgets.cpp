#include "colorringrenderer.h"
#include "korvo_colorbutton.h"
#include "korvo_colorbuttongroup.h"
#include "korvo_colorpalettebox.h"
#include "korvo_colorslider.h"
#include "korvo_rgbbox.h"
#include "korvo_trianglebutton.h"
#include "modifyspinbox.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

// The palette's parts (marker, slider, RGB entry, ring) and the colour buttons with their group.
class TestColorWidgets : public QObject
{
    Q_OBJECT

private:
    static void realise(QWidget &widget, QSize size)
    {
        widget.resize(size);
        widget.setAttribute(Qt::WA_DontShowOnScreen);
        widget.show();
    }

    // A drag step of the marker: a move with the left button held, sent past the marker's mask.
    static void dragTo(QWidget &widget, QPoint point)
    {
        QMouseEvent move(QEvent::MouseMove, point, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&widget, &move);
    }

    static QColor lastColor(const QSignalSpy &spy)
    {
        return spy.isEmpty() ? QColor() : spy.last().at(0).value<QColor>();
    }

private slots:
    void markerDragPicksTheHueAroundTheCentre_data()
    {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<int>("hue");
        QTest::newRow("left") << QPoint(20, 150) << 0;
        QTest::newRow("up") << QPoint(150, 20) << 90;
        QTest::newRow("right") << QPoint(280, 150) << 180;
        QTest::newRow("down") << QPoint(150, 280) << 270;
    }
    void markerDragPicksTheHueAroundTheCentre()
    {
        QFETCH(QPoint, point);
        QFETCH(int, hue);
        Korvo_TriangleButton marker;
        realise(marker, QSize(300, 300));
        QSignalSpy spy(&marker, &Korvo_TriangleButton::onColorChanged);
        dragTo(marker, point);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(int(marker.hue()), hue);
        QCOMPARE(lastColor(spy), QColor::fromHsv(hue, 255, 255));
    }

    void markerIsDrawnWhereItsHuePoints()
    {
        Korvo_TriangleButton marker;
        realise(marker, QSize(300, 300));
        dragTo(marker, QPoint(20, 150)); // hue 0: the marker sits left of the centre
        const QImage look = marker.pixmap(Qt::ReturnByValue).toImage();
        // Just outside the ring (radius 3 x 30 = 90) on the left, nothing on the right.
        bool leftDrawn = false;
        for (int x = 150 - 110; x < 150 - 90; ++x)
            leftDrawn = leftDrawn || qAlpha(look.pixel(x, 150)) > 0;
        QVERIFY(leftDrawn);
        for (int x = 150 + 90; x < 150 + 110; ++x)
            QCOMPARE(qAlpha(look.pixel(x, 150)), 0);
        QVERIFY(!marker.mask().contains(QPoint(250, 150)));
    }

    void hueNormalisationStaysWithin0To359_data()
    {
        QTest::addColumn<double>("angle");
        QTest::addColumn<int>("hue");
        QTest::newRow("-360 (was 360)") << -360.0 << 0;
        QTest::newRow("-720") << -720.0 << 0;
        QTest::newRow("grey's -1") << -1.0 << 359;
        QTest::newRow("-361") << -361.0 << 359;
        QTest::newRow("-90") << -90.0 << 270;
        QTest::newRow("-0.5") << -0.5 << 0;
        QTest::newRow("0") << 0.0 << 0;
        QTest::newRow("359.9") << 359.9 << 359;
        QTest::newRow("360") << 360.0 << 0;
        QTest::newRow("725") << 725.0 << 5;
    }
    void hueNormalisationStaysWithin0To359()
    {
        QFETCH(double, angle);
        QFETCH(int, hue);
        QCOMPARE(Korvo_TriangleButton::normalizedHue(angle), hue);
    }

    void markerAnnouncesOnlyItsFirstSizing()
    {
        Korvo_TriangleButton marker;
        QSignalSpy spy(&marker, &Korvo_TriangleButton::onColorChanged);
        realise(marker, QSize(300, 300));
        QCOMPARE(spy.count(), 1);
        marker.resize(320, 320);
        QCoreApplication::processEvents();
        marker.resize(280, 280);
        QCoreApplication::processEvents();
        QCOMPARE(spy.count(), 1);
        QVERIFY(!marker.pixmap(Qt::ReturnByValue).isNull());
        QCOMPARE(marker.pixmap(Qt::ReturnByValue).size(), QSize(280, 280));
    }

    void adjustColorWithWhiteAnswersHue359()
    {
        Korvo_ColorPaletteBox palette;
        realise(palette, QSize(300, 300));
        QSignalSpy spy(&palette, &Korvo_ColorPaletteBox::colorChanged);
        palette.adjustColor(QColor(255, 255, 255));
        QCOMPARE(int(palette.marker()->hue()), 359);
        QCOMPARE(lastColor(spy), QColor::fromHsv(359, 255, 255));
        QCOMPARE(lastColor(spy).rgb(), QColor(255, 0, 4).rgb());
        // What it shows is the colour asked for, not that answer: the card gets white, the palette says so.
        QCOMPARE(palette.rgbBox()->color(), QColor(255, 255, 255));
        palette.adjustColor(QColor(0, 0, 128));
        QCOMPARE(palette.rgbBox()->color(), QColor(0, 0, 128));
    }

    void sliderValuesGiveSaturationThenBrightness_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QColor>("color");
        QTest::newRow("0 white") << 0 << QColor(255, 255, 255);
        QTest::newRow("255 pure hue") << 255 << QColor::fromHsv(200, 255, 255);
        QTest::newRow("500 black") << 500 << QColor(0, 0, 0);
        QTest::newRow("250") << 250 << QColor::fromHsv(200, 250, 255);
        QTest::newRow("400") << 400 << QColor::fromHsv(200, 255, 100);
    }
    void sliderValuesGiveSaturationThenBrightness()
    {
        QFETCH(int, value);
        QFETCH(QColor, color);
        Korvo_ColorSlider slider;
        realise(slider, QSize(200, 30));
        slider.setSliderBarColor(QColor::fromHsv(200, 255, 255));
        slider.setValue(value == 255 ? 254 : 255);
        QSignalSpy spy(&slider, &Korvo_ColorSlider::colorChanged);
        slider.setValue(value);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(lastColor(spy).toRgb(), color.toRgb());
    }

    void sliderColourAlwaysEndsWithTheGivenColour()
    {
        Korvo_ColorSlider slider;
        slider.setValue(100);
        QSignalSpy spy(&slider, &Korvo_ColorSlider::colorChanged);
        const QColor given(12, 34, 56);
        slider.setSliderBarColor(given);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(0).at(0).value<QColor>(), QColor::fromHsv(given.hsvHue(), 255, 255));
        QCOMPARE(lastColor(spy), given);
        QCOMPARE(slider.value(), 255);
        spy.clear();
        slider.setSliderBarColorAndDoNotSendColorChangedSignal(QColor(1, 2, 3));
        QCOMPARE(spy.count(), 0);
    }

    void sliderPaintsWhiteHueBlack()
    {
        Korvo_ColorSlider slider;
        realise(slider, QSize(204, 30));
        slider.setSliderBarColor(QColor(0, 0, 255));
        slider.setValue(0); // handle out of the way, at the left end
        QImage image(slider.size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        slider.render(&image);
        const QColor middle = image.pixelColor(100, 15);
        QVERIFY(middle.blue() > 200 && middle.red() < 30 && middle.green() < 30);
        const QColor end = image.pixelColor(196, 15);
        QVERIFY(end.blue() < 30 && end.red() < 30);
    }

    void typedRgbIsTheLastColourEmitted()
    {
        Korvo_ColorPaletteBox palette;
        realise(palette, QSize(300, 300));
        QApplication::setActiveWindow(&palette);
        QSignalSpy spy(&palette, &Korvo_ColorPaletteBox::colorChanged);
        const QList<ModifySpinBox *> boxes
            = { palette.rgbBox()->redBox(), palette.rgbBox()->greenBox(), palette.rgbBox()->blueBox() };
        const QStringList typed = { "12", "34", "56" };
        for (int i = 0; i < 3; ++i) {
            // Away from the pure hue before the last field: the full colour of the hue comes first then.
            if (i == 2) {
                const QSignalBlocker quiet(palette.slider());
                palette.slider()->setValue(100);
            }
            ModifySpinBox *box = boxes.at(i);
            box->setFocus();
            box->selectAll();
            QTest::keyClicks(box, typed.at(i));
            // Leaving the field ends the edit.
            boxes.at((i + 1) % 3)->setFocus();
        }
        QVERIFY(spy.count() >= 2);
        QCOMPARE(lastColor(spy), QColor(12, 34, 56));
        const QColor beforeLast = spy.at(spy.count() - 2).at(0).value<QColor>();
        QCOMPARE(beforeLast.rgb(), QColor::fromHsv(QColor(12, 34, 56).hsvHue(), 255, 255).rgb());
        QCOMPARE(palette.rgbBox()->color(), QColor(12, 34, 56));
        QCOMPARE(int(palette.marker()->hue()), QColor(12, 34, 56).hsvHue());
    }

    void digitReachingTheMaximumShowsTheMaximum()
    {
        ModifySpinBox box;
        box.setRange(0, 255);
        box.setValue(30);
        QSignalSpy spy(&box, &ModifySpinBox::editChanging);
        box.selectAll();
        QTest::keyClicks(&box, "9");
        QTest::keyClicks(&box, "9");
        QTest::keyClicks(&box, "9");
        QCOMPARE(box.value(), 255);
        QCOMPARE(spy.count(), 3);
    }

    void doublePressWithin200MsOnlyDoubleClicks()
    {
        Korvo_ColorButton button(Qt::red);
        realise(button, QSize(30, 30));
        QSignalSpy clicks(&button, &Korvo_ColorButton::onMouseClick);
        QSignalSpy doubles(&button, &Korvo_ColorButton::onMouseDuobleClick);
        QTest::mouseDClick(&button, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QTest::qWait(Korvo_ColorButton::ClickDelayMs + 150);
        QCOMPARE(doubles.count(), 1);
        QCOMPARE(clicks.count(), 0);
        QVERIFY(!button.isChecked());
    }

    void singleClickReportsEvenWhenTheGroupRefuses()
    {
        Korvo_ColorButtonGroup group;
        Korvo_ColorButton only(Qt::red);
        Korvo_ColorButton other(Qt::blue);
        group.addButton(&only);
        group.addButton(&other);
        group.requestCheck(&only, true);
        realise(only, QSize(30, 30));
        QSignalSpy clicks(&only, &Korvo_ColorButton::onMouseClick);
        QTest::mouseClick(&only, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QTest::qWait(Korvo_ColorButton::ClickDelayMs / 2);
        QCOMPARE(clicks.count(), 0);
        QTRY_COMPARE(clicks.count(), 1);
        QVERIFY(only.isChecked());
        QCOMPARE(group.checkedButtons(), QList<Korvo_ColorButton *>({ &only }));
    }

    void buttonWithoutGroupToggles()
    {
        Korvo_ColorButton button(Qt::red);
        QSignalSpy state(&button, &Korvo_ColorButton::stateChanged);
        button.onTimeOut();
        QVERIFY(button.isChecked());
        button.setCheck(true);
        QCOMPARE(state.count(), 1);
        button.setCheck(false);
        QCOMPARE(state.count(), 2);
    }

    void buttonPaintsColourOutlineAndCheckMark()
    {
        Korvo_ColorButton button(QColor(0, 0, 255));
        button.resize(30, 30);
        QImage image(30, 30, QImage::Format_ARGB32);
        image.fill(Qt::black);
        button.render(&image);
        QCOMPARE(image.pixelColor(15, 15), QColor(0, 0, 255));
        QCOMPARE(image.pixelColor(4, 4), QColor(0, 0, 255));
        button.setCheck(true);
        image.fill(Qt::black);
        button.render(&image);
        QCOMPARE(image.pixelColor(4, 4), QColor(255, 255, 255));
        QCOMPARE(image.pixelColor(15, 15), QColor(0, 0, 255));
        button.setEnabled(false);
        image.fill(Qt::black);
        button.render(&image);
        QCOMPARE(image.pixelColor(4, 4).rgb(), QColor::fromHsv(240, 255, 150).rgb());

        // On white and yellow a white mark would be invisible: it is dark there, and still shows the check.
        for (const QColor &light : { QColor(255, 255, 255), QColor(255, 255, 0) }) {
            Korvo_ColorButton swatch(light);
            swatch.resize(30, 30);
            swatch.setCheck(true);
            image.fill(Qt::black);
            swatch.render(&image);
            QCOMPARE(image.pixelColor(15, 15), light);
            QVERIFY(qGray(image.pixelColor(4, 4).rgb()) < 100);
        }
    }

    void groupKeepsAtMostSevenOldestGoesFirst()
    {
        Korvo_ColorButtonGroup group;
        std::vector<std::unique_ptr<Korvo_ColorButton>> buttons;
        for (int i = 0; i < 9; ++i) {
            buttons.push_back(std::make_unique<Korvo_ColorButton>(QColor(i, 0, 0)));
            group.addButton(buttons.back().get());
        }
        group.setMaxChecked(7);
        group.setMode(Korvo_ColorButtonGroup::Multiple);
        for (int i = 0; i < 8; ++i)
            group.requestCheck(buttons[std::size_t(i)].get(), true);
        QCOMPARE(group.checkedButtons().size(), 7);
        QVERIFY(!buttons[0]->isChecked());
        QCOMPARE(group.checkedButtons().first(), buttons[1].get());
        QCOMPARE(group.checkedButtons().last(), buttons[7].get());
        // Unchecking works down to the last one, which stays.
        for (int i = 1; i < 8; ++i)
            group.requestCheck(buttons[std::size_t(i)].get(), false);
        QCOMPARE(group.checkedButtons(), QList<Korvo_ColorButton *>({ buttons[7].get() }));
        QVERIFY(buttons[7]->isChecked());
    }

    void exclusiveModeKeepsTheNewest()
    {
        Korvo_ColorButtonGroup group;
        Korvo_ColorButton a(Qt::red), b(Qt::green), c(Qt::blue), outsider(Qt::white);
        for (Korvo_ColorButton *button : { &a, &b, &c })
            group.addButton(button);
        group.setMaxChecked(0);
        QCOMPARE(group.maxChecked(), 1);
        group.setMaxChecked(7);
        group.setMode(Korvo_ColorButtonGroup::Multiple);
        group.requestCheck(&a, true);
        group.requestCheck(&c, true);
        group.requestCheck(&b, true);
        group.setMode(Korvo_ColorButtonGroup::Exclusive);
        QCOMPARE(group.checkedButtons(), QList<Korvo_ColorButton *>({ &b }));
        QVERIFY(!a.isChecked() && !c.isChecked() && b.isChecked());
        group.requestCheck(&b, false); // the only checked one stays
        QVERIFY(b.isChecked());
        group.requestCheck(&a, true);
        QVERIFY(a.isChecked() && !b.isChecked());
        group.requestCheck(&outsider, true);
        QVERIFY(!outsider.isChecked());
    }

    void exclusiveModeWithNothingCheckedChecksTheFirst()
    {
        Korvo_ColorButtonGroup group;
        Korvo_ColorButton a(Qt::red), b(Qt::green);
        b.setCheck(true);
        group.addButton(&a);
        group.addButton(&b); // joins unchecked
        QVERIFY(!b.isChecked());
        group.setMode(Korvo_ColorButtonGroup::Exclusive);
        QVERIFY(a.isChecked());
        QCOMPARE(group.checkedButtons(), QList<Korvo_ColorButton *>({ &a }));
    }

    void ringHasRedLeftHue90UpHue180Right()
    {
        const int side = 300;
        const QImage ring = ColorRingRenderer::render(side);
        const double outer = ColorRingRenderer::outerRadius(side);
        QCOMPARE(outer, 90.0);
        const int mid = int((outer + ColorRingRenderer::innerRadius(outer)) / 2);
        const int c = side / 2;
        const QColor left = ring.pixelColor(c - mid, c);
        const QColor up = ring.pixelColor(c, c - mid);
        const QColor right = ring.pixelColor(c + mid, c);
        const QColor down = ring.pixelColor(c, c + mid);
        QVERIFY2(qAbs(left.hsvHue() - 0) <= 3 || left.hsvHue() >= 357, qPrintable(left.name()));
        QVERIFY2(qAbs(up.hsvHue() - 90) <= 3, qPrintable(up.name()));
        QVERIFY2(qAbs(right.hsvHue() - 180) <= 3, qPrintable(right.name()));
        QVERIFY2(qAbs(down.hsvHue() - 270) <= 3, qPrintable(down.name()));
        QCOMPARE(left.alpha(), 255);
        // The glow reaches beyond the ring but fades: some alpha just outside, little at the centre.
        const int glow = qAlpha(ring.pixel(c - int(outer) - 8, c));
        QVERIFY2(glow > 20 && glow < 255, qPrintable(QString::number(glow)));
        QVERIFY(qAlpha(ring.pixel(c, c)) < 40);
        QCOMPARE(qAlpha(ring.pixel(2, 2)), 0);
    }

    void ringIsRenderedOncePerSizeAndShared()
    {
        const int before = ColorRingRenderer::renderCount();
        Korvo_ColorPaletteBox first;
        Korvo_ColorPaletteBox second;
        first.setPaletteSize(211);
        second.setPaletteSize(211);
        // Both palettes about to show: one rendering runs aside, and taking the ring waits for it.
        first.prepareRing();
        second.prepareRing();
        QCOMPARE(first.ringImage().cacheKey(), second.ringImage().cacheKey());
        QVERIFY(!first.ringImage().isNull());
        QCOMPARE(ColorRingRenderer::renderCount(), before + 1);
        QCOMPARE(first.outerRadius(), 63.0);
        QCOMPARE(first.innerRadius(), 47.25);
        second.setPaletteSize(212);
        QCOMPARE(second.ringImage().size(), QSize(212, 212));
        QCOMPARE(ColorRingRenderer::renderCount(), before + 2);
    }

    void blurKeepsAUniformImageUniformUpToTheEdges()
    {
        QImage flat(40, 30, QImage::Format_Grayscale8);
        flat.fill(200);
        const QImage blurred = ColorRingRenderer::gaussianBlur(flat, 15.0);
        for (QPoint p : { QPoint(0, 0), QPoint(39, 29), QPoint(20, 15), QPoint(0, 15) })
            QVERIFY2(qAbs(qGray(blurred.pixel(p)) - 200) <= 1,
                qPrintable(QString::number(qGray(blurred.pixel(p)))));
    }

    void blurSpreadsAPointSymmetrically()
    {
        QImage dot(101, 101, QImage::Format_Grayscale8);
        dot.fill(0);
        dot.bits()[50 * dot.bytesPerLine() + 50] = 255;
        const QImage blurred = ColorRingRenderer::gaussianBlur(dot, 2.0);
        const auto at = [&](int x, int y) { return int(blurred.constScanLine(y)[x]); };
        QVERIFY(at(50, 50) > at(51, 50));
        QCOMPARE(at(48, 50), at(52, 50));
        QCOMPARE(at(50, 47), at(50, 53));
        QCOMPARE(at(50, 60), 0);
        QImage mono(4, 4, QImage::Format_Mono);
        QCOMPARE(ColorRingRenderer::gaussianBlur(mono, 15.0), mono);
    }
};

QTEST_MAIN(TestColorWidgets)
#include "tst_colorwidgets.moc"
