#include "korvo_quitsignals.h"

#include <QtTest>

#include <csignal>

namespace {

void otherHandler(int) { }

} // namespace

// The requests to end the program arrive as one Qt signal on the GUI thread, and the handlers that were
// there before come back afterwards.
class TestQuitSignals : public QObject
{
    Q_OBJECT

private slots:
    void signalBecomesQuitRequest_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }

    void signalBecomesQuitRequest()
    {
        QFETCH(int, signalNumber);
        Korvo_QuitSignals quitSignals;
        QVERIFY(quitSignals.isActive());
        QSignalSpy spy(&quitSignals, &Korvo_QuitSignals::quitRequested);
        QCOMPARE(::raise(signalNumber), 0);
        // Nothing happens inside the handler: the request waits for the event loop.
        QCOMPARE(spy.count(), 0);
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.first().first().toInt(), signalNumber);
    }

    void manySignalsBeforeTheLoopTurnsGiveOneRequest()
    {
        Korvo_QuitSignals quitSignals;
        QSignalSpy spy(&quitSignals, &Korvo_QuitSignals::quitRequested);
        ::raise(SIGTERM);
        ::raise(SIGTERM);
        ::raise(SIGHUP);
        QTRY_COMPARE(spy.count(), 1);
        QTest::qWait(50);
        QCOMPARE(spy.count(), 1);
    }

    void previousHandlersComeBack()
    {
        struct sigaction other = {};
        other.sa_handler = otherHandler;
        sigemptyset(&other.sa_mask);
        struct sigaction before = {};
        QCOMPARE(::sigaction(SIGHUP, &other, &before), 0);
        {
            Korvo_QuitSignals quitSignals;
            QVERIFY(quitSignals.isActive());
            struct sigaction during = {};
            ::sigaction(SIGHUP, nullptr, &during);
            QVERIFY(during.sa_handler != otherHandler);
            // Only one object owns the handlers at a time.
            Korvo_QuitSignals second;
            QVERIFY(!second.isActive());
        }
        struct sigaction after = {};
        ::sigaction(SIGHUP, &before, &after);
        QVERIFY(after.sa_handler == otherHandler);
    }
};

QTEST_MAIN(TestQuitSignals)
#include "tst_quitsignals.moc"
