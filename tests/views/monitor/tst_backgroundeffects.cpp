#include "korvo_backgroundeffects.h"
#include "lumetraresources.h"

#include <QtTest>

// The sliding emblem behind the main window: where it starts and ends, and when emblem B vanishes.
class TestBackgroundEffects : public QObject
{
    Q_OBJECT

private:
    static Korvo_BackgroundEffects::Timing quick()
    {
        Korvo_BackgroundEffects::Timing timing;
        timing.moveIntervalMs = 1;
        timing.vanishDelayMs = 150;
        return timing;
    }

private slots:
    void initTestCase() { initLumetraResources(); }

    void startAndEndPositions()
    {
        Korvo_BackgroundEffects effects;
        // Mask 766 x 472, emblem 485 x 388; integer halves.
        QCOMPARE(effects.size(), QSize(766, 472));
        QCOMPARE(effects.aStartX(), -242);
        QCOMPARE(effects.aEndX(), -485);
        QCOMPARE(effects.bStartX(), 766 - 242);
        QCOMPARE(effects.bEndX(), 383 - 242 + 10);
        QCOMPARE(effects.emblemAPosition(), QPoint(-242, 42));
        QCOMPARE(effects.emblemBPosition(), QPoint(524, 42));
        QVERIFY(!effects.isEmblemBHidden());
        QVERIFY(!effects.isMoving());
        QCOMPARE(effects.vanishDelayMs(), 3000);
        QVERIFY(!effects.mask().isEmpty());
    }

    void slideInStopsAndHidesBAfterTheDelay()
    {
        Korvo_BackgroundEffects effects(quick(), nullptr);
        effects.startEffect(true);
        QVERIFY(effects.isMoving());
        QTRY_VERIFY(!effects.isMoving());
        QCOMPARE(effects.emblemAPosition().x(), effects.aEndX());
        QCOMPARE(effects.emblemBPosition().x(), effects.bEndX());
        QVERIFY(effects.isDelayRunning());
        QVERIFY(!effects.isEmblemBHidden());
        QTRY_VERIFY(effects.isEmblemBHidden());
        QVERIFY(!effects.isDelayRunning());

        // A second slide in only restarts the delay.
        effects.startEffect(true);
        QTRY_VERIFY(effects.isDelayRunning());
        QCOMPARE(effects.emblemBPosition().x(), effects.bEndX());
    }

    void slideOutDuringTheDelayKeepsBVisible()
    {
        Korvo_BackgroundEffects effects(quick(), nullptr);
        effects.startEffect(true);
        QTRY_VERIFY(effects.isDelayRunning());
        effects.startEffect(false);
        QTRY_VERIFY(!effects.isMoving());
        QVERIFY(!effects.isDelayRunning());
        QVERIFY(!effects.isEmblemBHidden());
        QCOMPARE(effects.emblemBPosition().x(), effects.bStartX());
        QCOMPARE(effects.emblemAPosition().x(), effects.bStartX() - 766);
        QTest::qWait(250);
        QVERIFY(!effects.isEmblemBHidden());
    }

    void showingAgainAfterBVanishedShowsItForAnotherDelay()
    {
        Korvo_BackgroundEffects effects(quick(), nullptr);
        effects.show();
        effects.startEffect(true);
        QTRY_VERIFY(effects.isEmblemBHidden());
        effects.hide();
        effects.show();
        QVERIFY(!effects.isEmblemBHidden());
        QVERIFY(effects.isDelayRunning());
        QTRY_VERIFY(effects.isEmblemBHidden());
    }
};

QTEST_MAIN(TestBackgroundEffects)
#include "tst_backgroundeffects.moc"
