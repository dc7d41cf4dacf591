#include "configstore.h"
#include "createbreathcircleandwavecirclethread.h"
#include "inprocessdriver.h"
#include "korvo_backgroundeffects.h"
#include "korvo_circlebutton.h"
#include "korvo_combobox.h"
#include "korvo_gpuinfocirclebox.h"
#include "korvo_messagebox.h"
#include "lumetra2.h"
#include "lumetraresources.h"
#include "mainwindowfixture.h"
#include "makerids.h"
#include "simdriver.h"

#include <QDir>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// Each card's circle gauge in the main window: fed by the card's sampler, its effects from the page-effects
// setting, its texts from the language, and the background effects behind it for the one series.
class TestMainWindowGauge : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> m_fixture;

    static SimCardConfig korvo()
    {
        SimCardConfig config;
        config.name = "GeForce GTX 1070 Ti";
        config.subsystemId = 0x111E0000u | MakerSubsystemVendorId;
        config.hasLed = true;
        config.hasLcd = true;
        return config;
    }
    static SimCardConfig foreign()
    {
        SimCardConfig config;
        config.name = "NVIDIA GeForce RTX 2060";
        config.subsystemId = 0x20607E57u;
        return config;
    }

    void seedConfig(const QString &pageEffects, const QString &language = QStringLiteral("lang_ch"))
    {
        GeneralSettingRecord general = MainWindowFixture::general(language);
        general.PageEffects = pageEffects;
        QVERIFY(MainWindowFixture::seedConfig(general));
    }

    static Korvo_GpuInfoCircleBox *gauge(Lumetra2 &window, int card)
    {
        return window.session(card)->pages().circleBox.data();
    }

private slots:
    void initTestCase() { initLumetraResources(); }

    void init()
    {
        // The one-time hint of the high-performance card is answered at once.
        m_fixture = std::make_unique<MainWindowFixture>();
        QVERIFY(m_fixture->isValid());
    }

    void cleanup() { m_fixture.reset(); }

    void everyCardHasAGaugeFedByItsOwnSampler()
    {
        SimDriver::instance().setCards({ korvo(), foreign() });
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        for (int card = 0; card < 2; ++card) {
            Korvo_GpuInfoCircleBox *box = gauge(window, card);
            QVERIFY(box);
            QVERIFY(window.circleArea()->indexOf(box) >= 0);
            QVERIFY(box->imageThread());
            QTRY_VERIFY_WITH_TIMEOUT(box->lastSample().gpuClock.current > 0, 5000);
            QVERIFY(box->lastSample().memoryAmount.current > 0);
        }
        QCOMPARE(window.circleArea()->currentWidget(), gauge(window, 0));
        QVERIFY(gauge(window, 0)->imageThread() != gauge(window, 1)->imageThread());
    }

    void advancedEffectsFollowTheModelCode()
    {
        seedConfig(QStringLiteral("advanced"));
        SimDriver::instance().setCards({ korvo(), foreign() });
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        CreateBreathCircleAndWaveCircleThread *korvoThread = gauge(window, 0)->imageThread();
        CreateBreathCircleAndWaveCircleThread *foreignThread = gauge(window, 1)->imageThread();
        QVERIFY(window.cards().at(0).modelCode != 0);
        QCOMPARE(window.cards().at(1).modelCode, 0);
        QVERIFY(korvoThread->breathingEnabled());
        QVERIFY(!foreignThread->breathingEnabled());
        // The wave is wanted, and runs once the gauge shows memory.
        QVERIFY(!korvoThread->waveEnabled());
        emit gauge(window, 0)->memoryButton()->onMouseClick();
        QVERIFY(korvoThread->waveEnabled());

        // The setting's change acts on every card's gauge.
        gauge(window, 0)->setEnableBreathingCircle(false);
        gauge(window, 0)->setEnableWave(false);
        gauge(window, 1)->setEnableBreathingCircle(true);
        window.onSettingWidgetPageEffectChanged();
        QVERIFY(korvoThread->breathingEnabled());
        QVERIFY(korvoThread->waveEnabled());
        QVERIFY(!foreignThread->breathingEnabled());

        window.show();
        QTRY_VERIFY(korvoThread->framesRendered() > 2);
        window.close();
    }

    void normalEffectsAreOff()
    {
        seedConfig(QStringLiteral("normal"));
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        Korvo_GpuInfoCircleBox *box = gauge(window, 0);
        emit box->memoryButton()->onMouseClick();
        QVERIFY(!box->imageThread()->breathingEnabled());
        QVERIFY(!box->imageThread()->waveEnabled());
        box->setEnableBreathingCircle(true);
        window.onSettingWidgetPageEffectChanged();
        QVERIFY(!box->imageThread()->breathingEnabled());
    }

    void gaugeSpeaksTheWindowsLanguage()
    {
        seedConfig(QStringLiteral("normal"), QStringLiteral("lang_en"));
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        Korvo_GpuInfoCircleBox *box = gauge(window, 0);
        QCOMPARE(box->clockButton()->text(), QStringLiteral("C L O C K"));
        QCOMPARE(box->temperatureButton()->text(), QStringLiteral("T E M P"));
        QCOMPARE(box->memoryButton()->text(), QStringLiteral("M E M O R Y"));
        QCOMPARE(box->texts().decrease, QStringLiteral("Dec "));
    }

    void backgroundEffectsOnlyForTheSeriesAndSlidingWithThePages()
    {
        SimDriver::instance().setCards({ korvo(), foreign() });
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        window.show();
        Korvo_BackgroundEffects *effects = window.backgroundEffects();
        QVERIFY(effects);
        QVERIFY(effects->isVisible());
        QCOMPARE(effects->pos(), QPoint(7, 27));
        // Behind the circle area.
        QVERIFY(window.children().indexOf(effects) < window.children().indexOf(window.circleArea()));

        QPushButton *monitor = window.findChild<QPushButton *>(QStringLiteral("btnMonitor"));
        monitor->click();
        QVERIFY(effects->isMoving());
        QTRY_VERIFY(!effects->isMoving());
        QCOMPARE(effects->emblemBPosition().x(), effects->bEndX());
        monitor->click();
        QTRY_VERIFY(!effects->isMoving());
        QCOMPARE(effects->emblemBPosition().x(), effects->bStartX());

        window.cardSelector()->setCurrentIndex(1);
        QVERIFY(!effects->isVisible());
        window.cardSelector()->setCurrentIndex(0);
        QVERIFY(effects->isVisible());
        window.close();
    }

    void hiddenWindowRendersNoFrames()
    {
        seedConfig(QStringLiteral("advanced"));
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        CreateBreathCircleAndWaveCircleThread *thread = gauge(window, 0)->imageThread();
        QTest::qWait(100);
        QCOMPARE(thread->framesRendered(), 0);
        window.show();
        QTRY_VERIFY(thread->framesRendered() > 2);
        window.hide();
        QVERIFY(thread->wait(1000));
        const int frames = thread->framesRendered();
        QTest::qWait(100);
        QCOMPARE(thread->framesRendered(), frames);
        // Destroying the window with the threads of its cards is orderly (the session stops them first).
    }
};

QTEST_MAIN(TestMainWindowGauge)
#include "tst_mainwindowgauge.moc"
