#include "korvo_circlebutton.h"

#include <QBitmap>
#include <QSignalSpy>
#include <QtMath>
#include <QtTest>

// The ring-segment button: its spans, the text along the arc, and clicks that count only inside its shape.
class TestCircleButton : public QObject
{
    Q_OBJECT

private:
    static QImage look(const Korvo_CircleButton &button)
    {
        return button.pixmap(Qt::ReturnByValue).toImage();
    }

    // A point in the middle of the ring at the given angle (counter-clockwise from 3 o'clock).
    static QPoint ringPoint(int side, double ringWidth, double degrees)
    {
        const double radius = side / 2 - ringWidth / 2;
        const double radians = qDegreesToRadians(degrees);
        return QPoint(side / 2 + int(radius * qCos(radians)), side / 2 - int(radius * qSin(radians)));
    }

    // A widget that was never shown gets its resize event only when it is; the test shows it off screen.
    static void realise(QWidget &widget)
    {
        widget.setAttribute(Qt::WA_DontShowOnScreen);
        widget.show();
    }

private slots:
    void spansOfTheThreeKinds()
    {
        QCOMPARE(Korvo_CircleButton::textSpan(1), qMakePair(90, 210));
        QCOMPARE(Korvo_CircleButton::textSpan(0), qMakePair(90, 210));
        QCOMPARE(Korvo_CircleButton::textSpan(2), qMakePair(210, 330));
        QCOMPARE(Korvo_CircleButton::textSpan(3), qMakePair(-30, 90));
        QCOMPARE(Korvo_CircleButton::textSpan(7), qMakePair(-30, 90));
        QCOMPARE(Korvo_CircleButton::segmentStart(1), 90);
        QCOMPARE(Korvo_CircleButton::segmentStart(2), 210);
        QCOMPARE(Korvo_CircleButton::segmentStart(3), 330);
    }

    void bottomSegmentWritesItsTextReversed()
    {
        QCOMPARE(Korvo_CircleButton::drawnText(2, QStringLiteral("M E M")), QStringLiteral("M E M"));
        QCOMPARE(Korvo_CircleButton::drawnText(2, QStringLiteral("MEMORY")), QStringLiteral("YROMEM"));
        QCOMPARE(Korvo_CircleButton::drawnText(1, QStringLiteral("CLOCK")), QStringLiteral("CLOCK"));
        QCOMPARE(Korvo_CircleButton::drawnText(3, QStringLiteral("TEMP")), QStringLiteral("TEMP"));
    }

    void fittingTextIsCentredAndRunsClockwise()
    {
        const double g = 100; // arc of 120 degrees: about 209 px
        const QVector<int> widths { 10, 20, 10 };
        const QVector<double> angles = Korvo_CircleButton::characterAngles(1, g, widths);
        QCOMPARE(angles.size(), 3);
        QVERIFY(angles[0] > angles[1] && angles[1] > angles[2]);
        const double degreesPerPixel = 120 / (120 / 180.0 * M_PI * g);
        // The text's two ends lie equally far from the span's middle, 150 degrees.
        const double first = angles[0] + (widths[0] / 2) * degreesPerPixel;
        const double last = angles[2] + (widths[2] / 2) * degreesPerPixel - widths[2] * degreesPerPixel;
        QVERIFY(qAbs((first - 150) - (150 - last)) < 1e-9);
        QVERIFY(first < 210);
    }

    void textWiderThanItsArcStartsAtTheFarEnd()
    {
        const double g = 10; // arc of about 21 px
        const QVector<int> widths { 12, 12, 12 };
        for (int kind : { 1, 2, 3 }) {
            const QVector<double> angles = Korvo_CircleButton::characterAngles(kind, g, widths);
            const double degreesPerPixel = 120 / (120 / 180.0 * M_PI * g);
            const int far = Korvo_CircleButton::textSpan(kind).second;
            QCOMPARE(angles[0], far - 6 * degreesPerPixel);
            QCOMPARE(angles[1], far - 12 * degreesPerPixel - 6 * degreesPerPixel);
        }
    }

    void ringWidthOutOfRangeBecomesASixth()
    {
        QCOMPARE(Korvo_CircleButton::effectiveRingWidth(0, 120), 20.0);
        QCOMPARE(Korvo_CircleButton::effectiveRingWidth(-3, 120), 20.0);
        QCOMPARE(Korvo_CircleButton::effectiveRingWidth(120, 120), 20.0);
        QCOMPARE(Korvo_CircleButton::effectiveRingWidth(30, 120), 30.0);

        Korvo_CircleButton button(1, QStringLiteral("CLOCK"));
        button.setRingWidth(500);
        button.resize(120, 120);
        realise(button);
        QCOMPARE(button.ringWidth(), 20.0);
    }

    void maskIsItsOwnSegment()
    {
        Korvo_CircleButton button(2, QStringLiteral("MEMORY"));
        button.setRingWidth(20);
        button.resize(120, 120);
        realise(button);
        const QRegion mask = button.mask();
        QVERIFY(mask.contains(ringPoint(120, 20, 270)));
        QVERIFY(!mask.contains(ringPoint(120, 20, 150)));
        QVERIFY(!mask.contains(ringPoint(120, 20, 30)));
        QVERIFY(!mask.contains(QPoint(60, 60))); // the hole
        QVERIFY(!mask.contains(ringPoint(120, 20, 210))); // the separator
    }

    void tinySideKeepsThePreviousLook()
    {
        Korvo_CircleButton button(1, QStringLiteral("CLOCK"));
        button.resize(120, 120);
        realise(button);
        QVERIFY(!button.mask().isEmpty());
        button.resize(4, 4);
        QVERIFY(!button.mask().isEmpty());
        QCOMPARE(button.pixmap(Qt::ReturnByValue).width(), 120);
    }

    void pressInsideReleaseOutsideEmitsNothing()
    {
        Korvo_CircleButton button(3, QStringLiteral("TEMP"));
        button.setRingWidth(20);
        button.resize(120, 120);
        realise(button);
        const QImage normal = look(button);
        QSignalSpy clicks(&button, &Korvo_CircleButton::onMouseClick);
        const QPoint inside = ringPoint(120, 20, 30);
        QTest::mousePress(&button, Qt::LeftButton, Qt::NoModifier, inside);
        QVERIFY(look(button) != normal);
        QTest::mouseRelease(&button, Qt::LeftButton, Qt::NoModifier, QPoint(60, 60));
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(look(button), normal);

        QTest::mousePress(&button, Qt::LeftButton, Qt::NoModifier, inside);
        QTest::mouseRelease(&button, Qt::LeftButton, Qt::NoModifier, inside);
        QCOMPARE(clicks.count(), 1);
        QVERIFY(look(button) != normal); // hover
    }

    void clickInEachSegmentReachesOnlyItsOwnButton()
    {
        QWidget window;
        window.resize(140, 140);
        QList<Korvo_CircleButton *> buttons;
        QList<QSignalSpy *> spies;
        for (int kind : { 1, 2, 3 }) {
            auto *button = new Korvo_CircleButton(kind, QStringLiteral("TEXT"), &window);
            button->setRingWidth(20);
            button->setGeometry(10, 10, 120, 120);
            buttons.append(button);
            spies.append(new QSignalSpy(button, &Korvo_CircleButton::onMouseClick));
        }
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QList<double> angles { 150, 270, 30 };
        for (int i = 0; i < 3; ++i) {
            const QPoint point = ringPoint(120, 20, angles.at(i)) + QPoint(10, 10);
            QTest::mouseClick(window.windowHandle(), Qt::LeftButton, Qt::NoModifier, point);
            for (int j = 0; j < 3; ++j)
                QCOMPARE(spies.at(j)->count(), j <= i ? 1 : 0);
        }
        qDeleteAll(spies);
    }
};

QTEST_MAIN(TestCircleButton)
#include "tst_circlebutton.moc"
