#include "cardcommandsequence.h"
#include "cardsession.h"
#include "cardsessionbuilder.h"
#include "configstore.h"
#include "gpucontroller.h"
#include "inprocessdriver.h"
#include "korvo_boardinfomainwidget.h"
#include "korvo_colorpalettebox.h"
#include "korvo_gpufixedinfo.h"
#include "korvo_gpuinfocirclebox.h"
#include "korvo_lcdcontrollorwidget.h"
#include "korvo_ledcontrolwidget.h"
#include "korvo_nvcardinfowidget.h"
#include "korvo_overclockingwidget.h"
#include "korvo_sendcolortoled.h"
#include "korvo_sendnvcardinfothread.h"
#include "korvo_sendnvinfotolcdthread.h"
#include "korvo_setuserdefinefanspeedthread.h"
#include "nvapiids.h"
#include "simdriver.h"
#include "workertestsupport.h"

#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <thread>

namespace {

/// A page that talks to the card as it goes, as a page restoring the card's fan control would.
class CardTouchingPage : public QWidget
{
public:
    CardTouchingPage(GpuController *controller, bool *readOnDestruction)
        : m_controller(controller)
        , m_readOnDestruction(readOnDestruction)
    {
    }
    ~CardTouchingPage() override
    {
        ThermalReading thermal;
        *m_readOnDestruction = m_controller->readThermal(thermal);
    }

private:
    GpuController *m_controller;
    bool *m_readOnDestruction;
};

CardIdentity firstCard()
{
    CardIdentity card;
    card.fullName = QStringLiteral("GeForce GTX 1070 Ti");
    card.index = 0;
    return card;
}

/// Positions of the driver's call log: the unload of the driver and every call after it.
struct UnloadOrder
{
    int unloads = 0;
    int callsAfterUnload = 0;
};

UnloadOrder unloadOrder()
{
    UnloadOrder order;
    for (const SimCallRecord &call : SimDriver::instance().callLog()) {
        if (call.id == NvApiId::Unload) {
            ++order.unloads;
            continue;
        }
        if (order.unloads > 0)
            ++order.callsAfterUnload;
    }
    return order;
}

} // namespace

/// One card's session owns its controller and every thread that uses it, and takes them down in an order
/// that leaves no thread or page with a freed controller.
class TestCardSession : public QObject
{
    Q_OBJECT

private slots:
    void destroyedWhileAWorkerIsMidCycle_data()
    {
        QTest::addColumn<quint32>("heldEntry");
        // Each entry is made by one worker (or, for the shared ones, by whichever comes first).
        QTest::newRow("sampler reading memory") << quint32(NvApiId::GpuGetMemoryInfo);
        QTest::newRow("fan thread setting the level") << quint32(NvApiId::GpuSetCoolerLevels);
        QTest::newRow("a temperature read") << quint32(NvApiId::GpuGetThermalSettings);
        QTest::newRow("LCD or LED write") << quint32(NvApiId::I2cWrite);
    }

    void destroyedWhileAWorkerIsMidCycle()
    {
        QFETCH(quint32, heldEntry);
        InProcessDriver driver;
        TimeScaleGuard fast(0.01);
        auto session = std::make_unique<CardSession>(firstCard());
        QPointer<QThread> sampler = session->sampler();
        QPointer<QThread> feeder = session->lcdFeeder();
        QPointer<QThread> led = session->ledSender();
        QPointer<QThread> fan = session->fanCurveThread();
        session->fanCurveThread()->setTemperatureToFanSpeedData({ { 0, 30 }, { 100, 100 } });
        session->sampler()->startSampling();
        session->lcdFeeder()->startSampling();
        session->ledSender()->startSampling();
        session->fanCurveThread()->startSampling();
        QVERIFY(waitForCalls(NvApiId::GpuSetCoolerLevels, 1));

        SimDriver::instance().holdNextCall(heldEntry);
        QVERIFY(SimDriver::instance().waitUntilHeld(heldEntry, 5000));
        const int heldCalls = SimDriver::instance().callCount(heldEntry);
        // The held cycle goes on while the session is already being destroyed.
        std::thread releaser([heldEntry] {
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            SimDriver::instance().releaseHeldCall(heldEntry);
        });
        session.reset();
        releaser.join();

        QVERIFY(!sampler && !feeder && !led && !fan);
        QVERIFY(SimDriver::instance().callCount(heldEntry) >= heldCalls);
        const UnloadOrder order = unloadOrder();
        QCOMPARE(order.unloads, 1);
        QCOMPARE(order.callsAfterUnload, 0);
    }

    void widgetsGoWhileTheControllerStillExists()
    {
        InProcessDriver driver;
        bool pageRead = false;
        bool circleRead = false;
        QPointer<QWidget> alreadyGone;
        {
            CardSession session(firstCard());
            session.adoptWidget(new CardTouchingPage(session.controller(), &pageRead));
            session.adoptWidget(new CardTouchingPage(session.controller(), &circleRead));
            // A widget deleted before the session (by its Qt parent, say) is skipped, not deleted twice.
            alreadyGone = new QWidget;
            session.adoptWidget(alreadyGone);
            delete alreadyGone;
        }
        QVERIFY(pageRead);
        QVERIFY(circleRead);
        QCOMPARE(unloadOrder().callsAfterUnload, 0);
    }

    // The typed page set of a built card: which page each navigation index rolls in (the fixed information
    // page for a device the card lacks), what the circle area shows, and the order the areas take them in.
    void pageSetOfABuiltCard()
    {
        InProcessDriver driver;
        CardIdentity card = firstCard();
        card.hasLed = true;
        card.hasLcd = true;
        auto session = CardSessionBuilder::build(card, CardSessionBuilder::Context());
        const CardPageSet &set = session->pages();
        QWidget *monitor = set.monitorPage;
        QWidget *overClocking = set.overClockingPage;
        QWidget *led = set.ledPage;
        QWidget *lcd = set.lcdPage;
        QWidget *circle = set.circleBox;
        QWidget *palette = set.colorPalette;
        QWidget *fixed = set.fixedInfoPage;
        QWidget *board = set.boardPage;
        for (QWidget *widget : { monitor, overClocking, led, lcd, circle, palette, fixed, board })
            QVERIFY(widget);
        QCOMPARE(set.pageFor(PageHome, true, true), nullptr);
        QCOMPARE(set.pageFor(PageMonitor, true, true), monitor);
        QCOMPARE(set.pageFor(PageOverClocking, true, true), overClocking);
        QCOMPARE(set.pageFor(PageLed, true, true), led);
        QCOMPARE(set.pageFor(PageLed, false, true), fixed);
        QCOMPARE(set.pageFor(PageLcd, true, true), lcd);
        QCOMPARE(set.pageFor(PageLcd, true, false), fixed);
        QCOMPARE(set.pageFor(PageFixedInfo, false, false), fixed);
        QCOMPARE(set.pageFor(PageBoardTemp, false, false), board);
        QCOMPARE(set.circleWidgetFor(PageLed, true), palette);
        QCOMPARE(set.circleWidgetFor(PageLed, false), circle);
        for (int index : { 0, 1, 2, 4, 5, 6 })
            QCOMPARE(set.circleWidgetFor(index, true), circle);
        QCOMPARE(set.pageAreaPages(), (QList<QWidget *> { monitor, overClocking, led, lcd, fixed, board }));
        QCOMPARE(set.circleAreaWidgets(), (QList<QWidget *> { circle, palette }));

        // A set without pages stays null; without a palette the LED page keeps the gauge.
        CardPageSet partial;
        partial.circleBox = set.circleBox;
        for (int index = 0; index <= 6; ++index)
            QCOMPARE(partial.pageFor(index, true, true), nullptr);
        QCOMPARE(partial.circleWidgetFor(PageLed, true), circle);
        QVERIFY(partial.pageAreaPages().isEmpty());
        QCOMPARE(partial.circleAreaWidgets(), QList<QWidget *> { circle });
    }

    // The overclocking page runs the session's fan curve thread: the session stops it before the page gives
    // the fan back to the driver, and both happen before the controller goes.
    void theFanCurveOfTheOverClockingPageStopsBeforeTheController()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        InProcessDriver driver;
        TimeScaleGuard fast(0.01);
        ConfigStore store(dir.filePath(QStringLiteral("config.xml")));
        QVERIFY(store.load());
        AdjustRecord stored;
        stored.FanMode = TuningState::FanUserDefined;
        stored.Nodes = { { 0, 0 }, { 100, 100 } };
        store.setAdjustRecord(firstCard().fullName, firstCard().subsystemId, stored);
        CardSessionBuilder::Context context;
        context.store = &store;
        auto session = CardSessionBuilder::build(firstCard(), context);
        auto *page = session->pages().overClockingPage.data();
        QVERIFY(page);
        session->startUp()->start();
        QTRY_VERIFY(session->startUp()->isFinished());
        QVERIFY(page->fanUserDefinedButton()->isChecked());
        QVERIFY(!session->fanCurveThread()->isStopped());
        QVERIFY(waitForMoreCalls(NvApiId::GpuSetCoolerLevels, 2));
        QCOMPARE(int(SimDriver::instance().tuning(0).coolerPolicy), FanPolicy::Manual);
        session.reset();
        QCOMPARE(int(SimDriver::instance().tuning(0).coolerPolicy), FanPolicy::Automatic);
        QCOMPARE(unloadOrder().callsAfterUnload, 0);
    }

    void workersAreMadeOnceAndStoppedTwiceSafely()
    {
        InProcessDriver driver;
        TimeScaleGuard fast(0.01);
        CardSession session(firstCard());
        QCOMPARE(session.controller()->selectedIndex(), 0);
        QCOMPARE(session.lcdFeeder(), session.lcdFeeder());
        QCOMPARE(session.ledSender(), session.ledSender());
        QCOMPARE(session.fanCurveThread(), session.fanCurveThread());
        session.sampler()->startSampling();
        QVERIFY(waitForCalls(NvApiId::GpuGetMemoryInfo, 2));
        session.stopThreads();
        QVERIFY(session.sampler()->isFinished());
        const int calls = SimDriver::instance().callCount(NvApiId::GpuGetMemoryInfo);
        QTest::qWait(50);
        QCOMPARE(SimDriver::instance().callCount(NvApiId::GpuGetMemoryInfo), calls);
        session.stopThreads();
    }

    void adoptedThreadsStopFirst()
    {
        InProcessDriver driver;
        // A thread whose destructor stops it, as an animation thread's does.
        class Spinner : public QThread
        {
        public:
            ~Spinner() override
            {
                requestInterruption();
                wait();
            }
            void run() override
            {
                while (!isInterruptionRequested())
                    msleep(1);
            }
        };
        QPointer<QThread> spinner;
        {
            CardSession session(firstCard());
            spinner = session.adoptThread(std::make_unique<Spinner>());
            spinner->start();
            QVERIFY(spinner->isRunning());
        }
        QVERIFY(!spinner);
    }
};

QTEST_MAIN(TestCardSession)
#include "tst_cardsession.moc"
