#include "windowdrag.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QtTest>

// Dragging a frameless window: the point taken stays under the pointer, from the events alone; a press that
// a child takes starts nothing; a threshold holds the window still for a shaky click.
class TestWindowDrag : public QObject
{
    Q_OBJECT

private:
    // Sends a mouse event to the widget at a point of the window, the screen point following the window's
    // place as the window system would report it.
    static void send(QWidget *target, QEvent::Type type, QPoint inWindow, Qt::MouseButtons buttons)
    {
        QWidget *window = target->window();
        const QPoint local = target->mapFrom(window, inWindow);
        const QPoint global = window->pos() + inWindow;
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, local, local, global, button, buttons, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }

private slots:
    void thePointTakenStaysUnderThePointer()
    {
        QWidget window;
        window.setGeometry(100, 100, 200, 150);
        new WindowDrag(&window);
        const QPoint start = window.pos();
        send(&window, QEvent::MouseButtonPress, { 20, 30 }, Qt::LeftButton);
        // The pointer at screen point start + (20, 30) + (15, -5): the grip (20, 30) goes there.
        QMouseEvent move(QEvent::MouseMove, QPointF(35, 25), QPointF(35, 25), QPointF(start + QPoint(35, 25)),
            Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &move);
        QCOMPARE(window.pos(), start + QPoint(15, -5));
        send(&window, QEvent::MouseButtonRelease, { 35, 25 }, Qt::NoButton);
        const QPoint afterRelease = window.pos();
        send(&window, QEvent::MouseMove, { 80, 80 }, Qt::NoButton);
        QCOMPARE(window.pos(), afterRelease);
    }

    void aPressTheChildTakesStartsNoDrag()
    {
        QWidget window;
        window.setGeometry(100, 100, 200, 150);
        auto *button = new QPushButton(&window);
        button->setGeometry(10, 10, 60, 30);
        new WindowDrag(&window);
        const QPoint start = window.pos();
        send(button, QEvent::MouseButtonPress, { 20, 20 }, Qt::LeftButton);
        send(button, QEvent::MouseMove, { 60, 90 }, Qt::LeftButton);
        send(&window, QEvent::MouseMove, { 60, 90 }, Qt::LeftButton);
        QCOMPARE(window.pos(), start);
        send(button, QEvent::MouseButtonRelease, { 60, 90 }, Qt::NoButton);
    }

    void theThresholdHoldsAShakyClick()
    {
        QWidget window;
        window.setGeometry(100, 100, 200, 150);
        new WindowDrag(&window, 10);
        const QPoint start = window.pos();
        send(&window, QEvent::MouseButtonPress, { 50, 50 }, Qt::LeftButton);
        QMouseEvent shake(QEvent::MouseMove, QPointF(54, 56), QPointF(54, 56),
            QPointF(start + QPoint(54, 56)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &shake);
        QCOMPARE(window.pos(), start);
        QMouseEvent drag(QEvent::MouseMove, QPointF(58, 56), QPointF(58, 56), QPointF(start + QPoint(58, 56)),
            Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &drag);
        QCOMPARE(window.pos(), start + QPoint(8, 6));
    }
};

QTEST_MAIN(TestWindowDrag)
#include "tst_windowdrag.moc"
