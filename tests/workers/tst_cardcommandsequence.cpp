#include "cardcommandsequence.h"
#include "workersleep.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

// The order of a card's start-up steps, where a pause from inside a step goes, and that the loop turns
// through a pause instead of sleeping in it.
class TestCardCommandSequence : public QObject
{
    Q_OBJECT

private slots:
    void stepsRunInOrderWithThePausesBetween()
    {
        CardCommandSequence sequence;
        QStringList ran;
        QElapsedTimer clock;
        qint64 secondAtMs = -1;
        sequence.add([&] {
            ran << QStringLiteral("write");
            // Goes before the steps queued already, as a write's settling time must.
            sequence.pauseNext(60);
        });
        sequence.add([&] {
            ran << QStringLiteral("read back");
            secondAtMs = clock.elapsed();
        });
        sequence.addPause(20);
        sequence.add([&] { ran << QStringLiteral("ready"); });
        QSignalSpy finished(&sequence, &CardCommandSequence::finished);

        clock.start();
        sequence.start();
        QVERIFY(ran.isEmpty()); // not before the loop turns
        QVERIFY(!sequence.isFinished());
        // The loop turns during the pause: a timer of the window's fires in it.
        bool loopTurned = false;
        QTimer::singleShot(20, [&] { loopTurned = ran.size() == 1; });
        QVERIFY(finished.wait(2000));
        QVERIFY(loopTurned);
        QCOMPARE(ran,
            (QStringList { QStringLiteral("write"), QStringLiteral("read back"), QStringLiteral("ready") }));
        QVERIFY2(secondAtMs >= 59, qPrintable(QString::number(secondAtMs)));
        QVERIFY(sequence.isFinished());

        // A step queued after the end still runs, on the next turn.
        sequence.add([&] { ran << QStringLiteral("late"); });
        QVERIFY(finished.wait(2000));
        QCOMPARE(ran.last(), QStringLiteral("late"));
    }

    void runNowSleepsThroughThePausesInOrder()
    {
        WorkerSleep::setTimeScale(0.5);
        CardCommandSequence sequence;
        QStringList ran;
        sequence.add([&] { ran << QStringLiteral("a"); });
        sequence.addPause(80);
        sequence.add([&] {
            ran << QStringLiteral("b");
            sequence.pauseNext(40);
        });
        sequence.add([&] { ran << QStringLiteral("c"); });
        QElapsedTimer clock;
        clock.start();
        sequence.runNow();
        const qint64 tookMs = clock.elapsed();
        WorkerSleep::setTimeScale(1.0);
        QCOMPARE(ran, (QStringList { QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c") }));
        // Both pauses, at the workers' time scale.
        QVERIFY2(tookMs >= 59, qPrintable(QString::number(tookMs)));
        QVERIFY(sequence.isFinished());
    }

    void aStepOfAnObjectThatHasGoneIsSkipped()
    {
        CardCommandSequence sequence;
        QStringList ran;
        auto page = std::make_unique<QObject>();
        sequence.add(page.get(), [&] { ran << QStringLiteral("gone"); });
        QObject kept;
        sequence.add(&kept, [&] { ran << QStringLiteral("kept"); });
        page.reset();
        sequence.runNow();
        QCOMPARE(ran, QStringList { QStringLiteral("kept") });
    }

    void aSequenceThatGoesDropsWhatIsLeft()
    {
        bool ran = false;
        {
            CardCommandSequence sequence;
            sequence.addPause(10);
            sequence.add([&] { ran = true; });
            sequence.start();
        }
        QTest::qWait(50);
        QVERIFY(!ran);
    }
};

QTEST_MAIN(TestCardCommandSequence)
#include "tst_cardcommandsequence.moc"
