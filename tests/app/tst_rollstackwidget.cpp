#include "rollstackwidget.h"

#include <QtTest>

// The page area's roll, stepped by hand through its timer slot.
class TestRollStackWidget : public QObject
{
    Q_OBJECT

private:
    struct Fixture
    {
        RollStackWidget stack;
        QWidget *a = new QWidget;
        QWidget *b = new QWidget;
        QWidget *c = new QWidget;
        Fixture()
        {
            stack.resize(285, 294);
            stack.show();
            stack.addPage(a);
            stack.addPage(b);
            stack.addPage(c);
        }
        // Steps until the roll has stopped; the number of steps taken.
        int finish()
        {
            int steps = 0;
            while (stack.isRolling() && steps < 1000) {
                stack.onSettingTimerTimeout();
                ++steps;
            }
            return steps;
        }
    };

private slots:
    void startsDisabledAndEmpty()
    {
        RollStackWidget stack;
        QVERIFY(!stack.isRollEnabled());
        QVERIFY(!stack.currentPage());
        QVERIFY(!stack.outgoingPage());
    }

    void addPageIgnoresNullAndDuplicates()
    {
        Fixture f;
        f.stack.addPage(nullptr);
        f.stack.addPage(f.a);
        QCOMPARE(f.stack.pages().size(), 3);
        QCOMPARE(f.a->parentWidget(), &f.stack);
        QCOMPARE(f.a->geometry(), QRect(0, 0, 285, 294));
        QVERIFY(!f.a->isVisible());
        // Disabled when the first page came: nothing is current.
        QVERIFY(!f.stack.currentPage());
    }

    void firstPageBecomesCurrentWhenEnabled()
    {
        RollStackWidget stack;
        stack.setRollEnabled(true);
        QWidget *page = new QWidget;
        stack.addPage(page);
        QCOMPARE(stack.currentPage(), page);
        QVERIFY(page->isHidden());
    }

    void startAndStepsFromTheWidth()
    {
        Fixture f;
        QCOMPARE(f.stack.startX(), 380);
        f.stack.setRollEnabled(true);
        f.stack.rollTo(f.a);
        QCOMPARE(f.a->pos(), QPoint(380, 0));
        QVERIFY(f.a->isVisible());
        QCOMPARE(f.finish(), 26);
        QCOMPARE(f.a->pos(), QPoint(0, 0));
    }

    void rollToCurrentOrForeignDoesNothing()
    {
        Fixture f;
        f.stack.setRollEnabled(true);
        f.stack.rollTo(f.a);
        f.finish();
        f.stack.rollTo(f.a);
        QVERIFY(!f.stack.isRolling());
        QWidget stranger;
        f.stack.rollTo(&stranger);
        QVERIFY(!f.stack.isRolling());
        QCOMPARE(f.stack.currentPage(), f.a);
        QVERIFY(stranger.parentWidget() == nullptr);
    }

    void oldPageLeavesToTheLeft()
    {
        Fixture f;
        f.stack.setRollEnabled(true);
        f.stack.rollTo(f.a);
        f.finish();
        f.stack.rollTo(f.b);
        QCOMPARE(f.stack.outgoingPage(), f.a);
        f.stack.onSettingTimerTimeout();
        QCOMPARE(f.a->pos(), QPoint(-15, 0));
        QCOMPARE(f.b->pos(), QPoint(365, 0));
        f.finish();
        QVERIFY(!f.a->isVisible());
        QCOMPARE(f.a->pos(), QPoint(0, 0));
        QVERIFY(f.b->isVisible());
        QCOMPARE(f.b->pos(), QPoint(0, 0));
        QVERIFY(!f.stack.outgoingPage());
    }

    void quickSecondRollFinishesTheFirstAtOnce()
    {
        Fixture f;
        f.stack.setRollEnabled(true);
        f.stack.rollTo(f.a);
        f.finish();
        f.stack.rollTo(f.b);
        f.stack.onSettingTimerTimeout();
        f.stack.onSettingTimerTimeout();
        f.stack.rollTo(f.c);
        // a was rolling out: hidden; b, its successor, jumped home and now rolls out itself.
        QVERIFY(!f.a->isVisible());
        QCOMPARE(f.stack.outgoingPage(), f.b);
        QCOMPARE(f.b->pos(), QPoint(0, 0));
        QCOMPARE(f.stack.currentPage(), f.c);
        QCOMPARE(f.c->pos(), QPoint(380, 0));
        f.finish();
        QVERIFY(!f.b->isVisible());
        QVERIFY(f.c->isVisible());
        QCOMPARE(f.c->pos(), QPoint(0, 0));
    }

    void firstRollAfterResetHasNoOutgoingPage()
    {
        Fixture f;
        f.stack.setRollEnabled(true);
        f.stack.rollTo(f.a);
        f.finish();
        f.stack.resetRoll();
        QVERIFY(!f.a->isVisible());
        QVERIFY(!f.stack.currentPage());
        QVERIFY(!f.stack.isRollEnabled());
        f.stack.setRollEnabled(true);
        f.stack.rollTo(f.b);
        QVERIFY(!f.stack.outgoingPage());
        QVERIFY(!f.a->isVisible());
        QCOMPARE(f.finish(), 26);
        QVERIFY(f.b->isVisible());
    }

    void disabledRollKeepsEveryPageHidden()
    {
        Fixture f;
        f.stack.rollTo(f.a);
        QCOMPARE(f.stack.currentPage(), f.a);
        QVERIFY(f.stack.isRolling());
        f.finish();
        f.stack.rollTo(f.b);
        QVERIFY(!f.stack.outgoingPage());
        f.finish();
        for (QWidget *page : f.stack.pages())
            QVERIFY(!page->isVisible());
        // Enabling shows the current page where it stands.
        f.stack.setRollEnabled(true);
        QVERIFY(f.b->isVisible());
        QCOMPARE(f.b->pos(), QPoint(0, 0));
        f.stack.disableRoll();
        QVERIFY(!f.b->isVisible());
        QCOMPARE(f.stack.currentPage(), f.b);
    }

    void resizeGivesEveryPageTheNewSize()
    {
        Fixture f;
        f.stack.resize(300, 200);
        QCOMPARE(f.stack.startX(), 400);
        for (QWidget *page : f.stack.pages())
            QCOMPARE(page->geometry(), QRect(0, 0, 300, 200));
    }

    void timerDrivesTheRoll()
    {
        Fixture f;
        f.stack.setRollEnabled(true);
        f.stack.rollTo(f.a);
        QTRY_VERIFY_WITH_TIMEOUT(!f.stack.isRolling(), 3000);
        QCOMPARE(f.a->pos(), QPoint(0, 0));
    }
};

QTEST_MAIN(TestRollStackWidget)
#include "tst_rollstackwidget.moc"
