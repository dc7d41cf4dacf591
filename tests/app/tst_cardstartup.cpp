#include "cardcommandsequence.h"
#include "cardsession.h"
#include "configstore.h"
#include "korvo_colorpalettebox.h"
#include "korvo_ledcontrolwidget.h"
#include "korvo_messagebox.h"
#include "korvo_overclockingwidget.h"
#include "korvo_sliderwidget.h"
#include "ledtestsupport.h"
#include "lumetra2.h"
#include "lumetraresources.h"
#include "mainwindowfixture.h"
#include "nvapiids.h"
#include "simdriver.h"

#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

using Led = Korvo_LEDControlWidget;
using Tuning = Korvo_OverClockingWidget;

// The cards' start-up commands run after the window is on screen, spread over the loop: each card's
// commands in the pages' order with the pauses between them, the cards side by side, and a page opened
// before its card's commands have run waits for them and then shows the card.
class TestCardStartUp : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> m_fixture;
    int m_boxes = 0;

    static SimDriver &sim() { return SimDriver::instance(); }

    static SimCardConfig korvo(int ledKind)
    {
        SimCardConfig card = MainWindowFixture::card(
            "GeForce GTX 1070 Ti", 0x111E0000u | MakerSubsystemVendorId, true, false);
        card.ledKind = static_cast<NvU8>(ledKind);
        return card;
    }

    /// Stored settings that make each page talk to its card at start: a manual fan at 60 % for the
    /// overclocking page, "Gradient" for the LED page (which a controller of another kind cannot run, so
    /// the page turns it into "Breath" and sends that).
    static bool seed()
    {
        return MainWindowFixture::seedConfig([](ConfigStore &store) {
            GeneralSettingRecord general = MainWindowFixture::general(QStringLiteral("lang_en"));
            general.ApplyLastParamOnStart = true;
            store.setGeneralSetting(general);
            store.setNotPromptHPS(true);
            const SimCardConfig card = korvo(1);
            AdjustRecord tuning;
            tuning.FanMode = 1;
            tuning.FanSpeedLevel = 60;
            LedRecord led;
            led.LedMode = Led::Gradient;
            // A second card of the same model is stored under its name with " 1".
            const QString name = QString::fromStdString(card.name);
            for (const QString &cardName : { name, name + QStringLiteral(" 1") }) {
                store.setAdjustRecord(cardName, card.subsystemId, tuning);
                store.setLedRecord(cardName, card.subsystemId, led);
            }
        });
    }

    static bool isTuningWrite(NvU32 id)
    {
        return id == NvApiId::GpuSetCoolerLevels || id == NvApiId::GpuSetPstates20
            || id == NvApiId::GpuThermalPoliciesSetStatus || id == NvApiId::GpuPowerPoliciesSetStatus;
    }
    static bool isI2c(NvU32 id)
    {
        return id == NvApiId::I2cRead || id == NvApiId::I2cWrite || id == NvApiId::I2cReadEx
            || id == NvApiId::I2cWriteEx;
    }
    static std::int64_t steadyNow()
    {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
            std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    static std::int64_t ms(std::int64_t ns) { return ns / 1000000; }

    /// What this (the GUI) thread asked of one card, in order: the sampler's and the workers' calls left out.
    static std::vector<SimCallRecord> guiCallsTo(int card)
    {
        const std::size_t self = std::hash<std::thread::id>()(std::this_thread::get_id());
        std::vector<SimCallRecord> calls;
        for (const SimCallRecord &call : sim().callLog()) {
            if (call.thread == self && call.card == card)
                calls.push_back(call);
        }
        return calls;
    }

    static void openLedTab(Lumetra2 &window)
    {
        window.findChild<QPushButton *>(QStringLiteral("btnFirstTab"))->click();
        for (int i = 0; i < 200 && window.isCircleMoving(); ++i)
            window.onMoveCircleWidgetTimerTimeout();
    }

private slots:
    void initTestCase() { initLumetraResources(); }

    void init()
    {
        m_boxes = 0;
        m_fixture = std::make_unique<MainWindowFixture>([this](Korvo_MessageBox *box) {
            ++m_boxes;
            MainWindowFixture::clickYes()(box);
        });
        QVERIFY(m_fixture->isValid());
    }

    void cleanup() { m_fixture.reset(); }

    void pageOpenedDuringStartUpShowsTheCardOnceItHasRun()
    {
        sim().setCards({ korvo(1) });
        QVERIFY(seed());
        Lumetra2 window;
        sim().clearCounters();
        window.show();
        openLedTab(window);
        Led *led = window.session(0)->pages().ledPage.data();
        Tuning *tuning = window.session(0)->pages().overClockingPage.data();
        Korvo_ColorPaletteBox *palette = window.session(0)->pages().colorPalette.data();
        QVERIFY(led && tuning && palette);

        // Open, and waiting: the stored effect shows, nothing takes input, nothing went to the card.
        QVERIFY(led->isVisible());
        QVERIFY(!led->isCardStateReady());
        QVERIFY(!led->isEnabled());
        QVERIFY(!palette->isEnabled());
        QVERIFY(led->radio(Led::Gradient)->isChecked());
        QVERIFY(ledWrites().empty());

        // The loop turns through the overclocking page's pause: its writes are out, the LED page still waits.
        QTRY_VERIFY(sim().callCount(NvApiId::GpuSetCoolerLevels) > 0);
        QVERIFY(!led->isCardStateReady());
        QVERIFY(!tuning->isCardStateReady());

        QSignalSpy ready(led, &Led::cardStateReady);
        QVERIFY(ready.wait(5000));
        // The controller's kind is now known: no "Gradient" on this card, "Breath" runs and was sent.
        QVERIFY(led->isEnabled());
        QVERIFY(palette->isEnabled());
        QCOMPARE(led->controllerKind(), 1);
        QVERIFY(led->radio(Led::Gradient)->isHidden());
        QVERIFY(led->radio(Led::SingleBreath)->isChecked());
        QVERIFY(led->radio(Led::MultipleBreath)->property(Led::TwinChosenProperty).toBool());
        QCOMPARE(ledWrites().size(), std::size_t(1));
        QCOMPARE(hex(lastLedWrite()), hex(ledPacket(1, 50, 2, { 255, 0, 0 })));
        // The overclocking page shows what the card took after the read-back.
        QVERIFY(tuning->isCardStateReady());
        QVERIFY(tuning->isEnabled());
        QCOMPARE(tuning->row(Tuning::RowFan)->value(), 60);
        QVERIFY(tuning->fanManualButton()->isChecked());
    }

    void eachCardKeepsTheOrderAndPausesOfItsCommands()
    {
        sim().setCards({ korvo(1), korvo(1) });
        QVERIFY(seed());
        Lumetra2 window;
        // Only what the start-up sends: the scan's probes came before.
        sim().clearCounters();
        // The second card's pages come on the loop's first turns, with the window on screen.
        QVERIFY(!window.session(1));
        window.show();
        QTRY_VERIFY(window.session(1));
        std::vector<std::int64_t> readyNs(2, 0);
        for (int card = 0; card < 2; ++card) {
            connect(window.session(card)->pages().ledPage.data(), &Led::cardStateReady, this,
                [&readyNs, card] { readyNs[std::size_t(card)] = steadyNow(); });
        }
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));

        std::vector<std::int64_t> readBackNs;
        for (int card = 0; card < 2; ++card) {
            const std::vector<SimCallRecord> calls = guiCallsTo(card);
            std::size_t firstWrite = calls.size();
            std::size_t lastWrite = 0;
            for (std::size_t i = 0; i < calls.size(); ++i) {
                if (isTuningWrite(calls[i].id)) {
                    firstWrite = std::min(firstWrite, i);
                    lastWrite = i;
                }
            }
            QVERIFY2(
                firstWrite < calls.size(), qPrintable(QStringLiteral("card %1 wrote nothing").arg(card)));
            // The overclocking page's reads and writes (a write may read what it changes), then the pause,
            // then the read-back; none of the LED page's talk in between.
            for (std::size_t i = 0; i <= lastWrite; ++i)
                QVERIFY2(!isI2c(calls[i].id), qPrintable(QString::number(i)));
            QVERIFY(lastWrite + 1 < calls.size());
            const std::int64_t pauseMs = ms(calls[lastWrite + 1].steadyNs - calls[lastWrite].steadyNs);
            QVERIFY2(pauseMs >= Tuning::ReadBackPauseMs - 1, qPrintable(QString::number(pauseMs)));
            readBackNs.push_back(calls[lastWrite + 1].steadyNs);

            // The LED page's talk comes after the overclocking page's, and its page is ready a pause later.
            std::size_t firstI2c = calls.size();
            for (std::size_t i = 0; i < calls.size() && firstI2c == calls.size(); ++i) {
                if (isI2c(calls[i].id))
                    firstI2c = i;
            }
            QVERIFY(firstI2c > lastWrite + 1 && firstI2c < calls.size());
            for (std::size_t i = firstI2c; i < calls.size(); ++i)
                QVERIFY2(isI2c(calls[i].id), qPrintable(QString::number(i)));
            const std::int64_t afterLedMs = ms(readyNs[std::size_t(card)] - calls.back().steadyNs);
            QVERIFY2(afterLedMs >= 100 - 1, qPrintable(QString::number(afterLedMs)));
        }
        // Side by side: the second card's writes did not wait for the first card's pause.
        const std::vector<SimCallRecord> second = guiCallsTo(1);
        const auto write = std::find_if(
            second.begin(), second.end(), [](const SimCallRecord &call) { return isTuningWrite(call.id); });
        QVERIFY(write != second.end());
        QVERIFY(write->steadyNs < readBackNs[0]);
    }

    // A stored preset is switched on by the start-up: until then the switch takes no click and the hint
    // waits, and once the preset runs there is no hint to give.
    void theSwitchAndTheHintWaitForAStoredPreset()
    {
        sim().setCards({ korvo(1) });
        QVERIFY(MainWindowFixture::seedConfig([](ConfigStore &store) {
            GeneralSettingRecord general = MainWindowFixture::general(QStringLiteral("lang_en"));
            general.ApplyLastParamOnStart = true;
            store.setGeneralSetting(general);
            AdjustRecord preset;
            preset.EnableHighPerformance = true;
            const SimCardConfig card = korvo(1);
            store.setAdjustRecord(QString::fromStdString(card.name), card.subsystemId, preset);
        }));
        Lumetra2 window;
        window.show();
        window.promptHighPerformance();
        QCOMPARE(m_boxes, 0);
        auto *hps = window.findChild<QPushButton *>(QStringLiteral("btnHighPerformance"));
        QVERIFY(hps && hps->isVisible());
        QVERIFY(!hps->isEnabled());
        // A click on the waiting switch changes nothing.
        hps->click();
        QVERIFY(!hps->isChecked());
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        // The switch hears of the page's start-up on the next turn of the loop.
        QTRY_VERIFY(hps->isEnabled());
        QVERIFY(hps->isChecked());
        QVERIFY(window.session(0)->pages().overClockingPage->isHighPerformanceMode());
        QCOMPARE(sim().tuning(0).gpuOffsetKhz, (1759 - 1607) * 1000);
        QTest::qWait(20);
        QCOMPARE(m_boxes, 0);
    }

    // Closing before a page has read its card keeps what was stored: the page has nothing new to say.
    void closingBeforeTheStartUpRanKeepsTheStoredSettings()
    {
        sim().setCards({ korvo(1) });
        QVERIFY(seed());
        {
            Lumetra2 window;
            window.close();
        }
        ConfigStore store(QStringLiteral("config.xml"));
        QVERIFY(store.load());
        AdjustRecord tuning;
        const SimCardConfig card = korvo(1);
        QVERIFY(store.getAdjustRecord(QString::fromStdString(card.name), card.subsystemId, tuning));
        QCOMPARE(tuning.FanMode, 1);
        QCOMPARE(tuning.FanSpeedLevel, 60);
        QCOMPARE(tuning.GpuFreClock, -1);
        QCOMPARE(sim().callCount(NvApiId::GpuSetCoolerLevels), 0);
    }
};

QTEST_MAIN(TestCardStartUp)
#include "tst_cardstartup.moc"
