#include "cardcommandsequence.h"
#include "gpucontroller.h"
#include "korvo_messagebox.h"
#include "korvo_overclockingslider.h"
#include "korvo_overclockingwidget.h"
#include "korvo_setuserdefinefanspeedthread.h"
#include "korvo_sliderwidget.h"
#include "korvo_userdefinefanspeed.h"
#include "lumetraresources.h"
#include "makerids.h"
#include "nvapiids.h"
#include "simulatedcard.h"
#include "workersleep.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using Page = Korvo_OverClockingWidget;
using Curve = QList<QPoint>;

// The overclocking page on the simulated card: what Apply, Cancel and Default write and read back, the
// stored record at start, the high-performance preset, the link rule, the fan modes with the curve thread,
// and that a fan thread stuck in the driver never holds the window beyond a bound.
class TestOverClockingWidget : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<SimulatedCard> m_card;
    std::unique_ptr<GpuController> m_controller;
    std::unique_ptr<Korvo_SetUserDefineFanSpeedThread> m_fan;
    int m_boxes = 0;

    std::unique_ptr<Page> makePage() { return std::make_unique<Page>(m_controller.get(), m_fan.get()); }
    std::unique_ptr<Page> makePage(const AdjustRecord &stored)
    {
        return std::make_unique<Page>(m_controller.get(), m_fan.get(), stored);
    }
    void answerBoxes(int result)
    {
        Korvo_MessageBox::setAutoAnswer([this, result](Korvo_MessageBox *box) {
            ++m_boxes;
            box->done(result);
        });
    }
    static int writes()
    {
        return sim().callCount(NvApiId::GpuSetPstates20) + sim().callCount(NvApiId::GpuSetCoolerLevels)
            + sim().callCount(NvApiId::GpuPowerPoliciesSetStatus)
            + sim().callCount(NvApiId::GpuThermalPoliciesSetStatus);
    }
    static int gpuOffsetMhz() { return sim().tuning(0).gpuOffsetKhz / 1000; }
    // The user drags a row's slider to a value and lets go.
    static void drag(Korvo_SliderWidget *row, int to)
    {
        QSlider *slider = row->slider();
        slider->setSliderDown(true);
        slider->setSliderPosition(to);
        slider->setSliderDown(false);
    }

private slots:
    void initTestCase() { initLumetraResources(); }

    void init()
    {
        WorkerSleep::setTimeScale(0.01);
        m_card = std::make_unique<SimulatedCard>(SimulatedCard::Dynamics::Frozen);
        m_controller = std::make_unique<GpuController>();
        QVERIFY(m_controller->isInitialized());
        m_fan = std::make_unique<Korvo_SetUserDefineFanSpeedThread>(m_controller.get());
        m_boxes = 0;
        answerBoxes(MsgBoxResultYes);
    }
    void cleanup()
    {
        Korvo_MessageBox::setAutoAnswer(nullptr);
        sim().releaseHeldCall(NvApiId::GpuSetCoolerLevels);
        m_fan.reset();
        m_controller.reset();
        m_card.reset();
        WorkerSleep::setTimeScale(1.0);
    }

    void showsTheCardWithoutWriting()
    {
        sim().clearCounters();
        auto page = makePage();
        QCOMPARE(writes(), 0);
        QCOMPARE(page->row(Page::RowGpuClock)->value(), page->workingState().clocks.gpuMhz);
        QCOMPARE(page->workingState().gpuRange.baseClockMhz, 1607);
        QCOMPARE(page->row(Page::RowGpuClock)->minimum(), 1607 - 200);
        QCOMPARE(page->row(Page::RowGpuClock)->maximum(), 1607 + 1000);
        QCOMPARE(page->row(Page::RowThermal)->value(), 83);
        QCOMPARE(page->row(Page::RowPower)->value(), 100);
        QVERIFY(page->applyButton()->isHidden());
        QVERIFY(page->cancelButton()->isHidden());
        QVERIFY(!page->defaultButton()->isHidden());
        QVERIFY(page->fanAutoButton()->isChecked());
        QVERIFY(!page->row(Page::RowFan)->isEnabled());
    }

    void draggingFeedsTheGaugeOverlay()
    {
        AdjustRecord stored;
        stored.GpuFreClock = 1800;
        auto page = makePage(stored);
        QCOMPARE(page->workingState().clocks.gpuMhz, 1800);
        QSignalSpy adjust(page.get(), &Page::adjustChanged);
        QSignalSpy closed(page.get(), &Page::closeDisplayAdjustInfo);
        drag(page->row(Page::RowGpuClock), 1750);
        QCOMPARE(adjust.count(), 1);
        QCOMPARE(adjust.at(0).at(0).toString(), QStringLiteral("1800"));
        QCOMPARE(adjust.at(0).at(1).toString(), QStringLiteral("1750"));
        QCOMPARE(adjust.at(0).at(2).toInt(), -50);
        QCOMPARE(closed.count(), 1);
        QVERIFY(page->applyButton()->isVisible() || !page->applyButton()->isHidden());
    }

    void applyWritesOffsetsAgainstTheBase()
    {
        SimReadings readings = sim().readings(0);
        readings.coreVoltageUv = 1000000;
        sim().setReadings(0, readings);
        auto page = makePage();
        QCOMPARE(page->workingState().voltage.stockMv, 1000);
        page->row(Page::RowGpuClock)->setValue(1850);
        page->row(Page::RowVoltage)->setValue(1050);
        page->onBtnApplyClick();
        QCOMPARE(m_boxes, 1);
        QCOMPARE(sim().tuning(0).gpuOffsetKhz, 243000);
        QCOMPARE(sim().tuning(0).voltageDeltaUv, 50000);
        // The read-back puts the rows where the card is.
        QCOMPARE(page->row(Page::RowGpuClock)->value(), 1850);
        QCOMPARE(page->appliedState().clocks.gpuMhz, 1850);
        QVERIFY(page->applyButton()->isHidden());
    }

    void aDeclinedApplyWritesNothing()
    {
        auto page = makePage();
        answerBoxes(MsgBoxResultNo);
        sim().clearCounters();
        page->row(Page::RowGpuClock)->setValue(1850);
        page->onBtnApplyClick();
        QCOMPARE(writes(), 0);
        QCOMPARE(gpuOffsetMhz(), 0);
    }

    void aFailedWriteShowsInTheReadBack()
    {
        auto page = makePage();
        const int before = page->row(Page::RowGpuClock)->value();
        sim().failCalls(NvApiId::GpuSetPstates20, NvApiStatus::Error);
        page->row(Page::RowGpuClock)->setValue(1850);
        page->onBtnApplyClick();
        QCOMPARE(gpuOffsetMhz(), 0);
        QCOMPARE(page->row(Page::RowGpuClock)->value(), before);
        // The question, then the box that says the card refused: the rows alone would not tell why.
        QCOMPARE(m_boxes, 2);
    }

    void aLockedRowsRefusalIsNoFailure()
    {
        sim().editCard(0, [](SimCardConfig &c) { c.gpuEditable = false; });
        auto page = makePage();
        QVERIFY(!page->row(Page::RowGpuClock)->isEnabled());
        page->row(Page::RowPower)->setValue(110);
        page->onBtnApplyClick();
        QCOMPARE(sim().tuning(0).powerLimit, 110000u);
        QCOMPARE(m_boxes, 1);
    }

    void aStoredRecordOfMinusOnesWritesTheCardsOwnReadings()
    {
        sim().clearCounters();
        const SimTuning before = sim().tuning(0);
        auto page = makePage(AdjustRecord());
        QVERIFY(sim().callCount(NvApiId::GpuSetPstates20) >= 2);
        QCOMPARE(sim().callCount(NvApiId::GpuSetCoolerLevels), 1);
        QVERIFY(sim().callCount(NvApiId::GpuPowerPoliciesSetStatus) >= 1);
        const SimTuning after = sim().tuning(0);
        QCOMPARE(after.gpuOffsetKhz, before.gpuOffsetKhz);
        QCOMPARE(after.memoryOffsetKhz, before.memoryOffsetKhz);
        QCOMPARE(after.powerLimit, before.powerLimit);
        QCOMPARE(after.thermalLimitRaw, before.thermalLimitRaw);
        QCOMPARE(int(after.coolerPolicy), FanPolicy::Automatic);
    }

    // Opened while its start-up writes wait for the read-back: the page takes no input, and once the
    // read-back came it shows the card with the stored fan mode (showing it must not reset the state being
    // written).
    void aPageShownDuringItsStartUpShowsTheCardOnceItRan()
    {
        CardCommandSequence startUp;
        AdjustRecord stored;
        stored.FanMode = TuningState::FanManual;
        stored.FanSpeedLevel = 60;
        Page page(m_controller.get(), m_fan.get(), stored, nullptr, &startUp);
        QCOMPARE(writes(), 0);
        QVERIFY(!page.isEnabled());
        WorkerSleep::setTimeScale(0.2);
        startUp.start();
        QTRY_VERIFY(writes() > 0);
        page.show();
        QVERIFY(!page.isCardStateReady());
        QVERIFY(!page.isEnabled());
        QSignalSpy ready(&page, &Page::cardStateReady);
        QVERIFY(ready.wait(5000));
        QVERIFY(page.isEnabled());
        QVERIFY(page.fanManualButton()->isChecked());
        QCOMPARE(page.appliedState().fanMode, int(TuningState::FanManual));
        QCOMPARE(page.row(Page::RowFan)->value(), 60);
        QCOMPARE(int(sim().tuning(0).coolerPolicy), FanPolicy::Manual);
    }

    void aStoredZeroForAFailedReadingIsNotWritten()
    {
        sim().failCalls(NvApiId::GpuThermalPoliciesGetInfo, NvApiStatus::Error);
        sim().failCalls(NvApiId::GpuThermalPoliciesGetStatus, NvApiStatus::Error);
        const int thermalBefore = sim().tuning(0).thermalLimitRaw;
        sim().clearCounters();
        AdjustRecord stored;
        stored.Temperature = 0;
        stored.Voltage = 0;
        auto page = makePage(stored);
        QCOMPARE(sim().callCount(NvApiId::GpuThermalPoliciesSetStatus), 0);
        QCOMPARE(sim().tuning(0).thermalLimitRaw, thermalBefore);
        // A voltage of 0 is outside the range read: no offset of about -1 V.
        QCOMPARE(sim().tuning(0).voltageDeltaUv, 0);
    }

    void aStoredPresetOnAnotherCardAppliesNothing()
    {
        sim().setName(0, "GeForce GTX 1080");
        sim().clearCounters();
        AdjustRecord stored;
        stored.EnableHighPerformance = true;
        stored.GpuFreClock = 1900;
        auto page = makePage(stored);
        QCOMPARE(writes(), 0);
        QVERIFY(!page->isHighPerformanceMode());
        QCOMPARE(page->row(Page::RowGpuClock)->value(), page->workingState().clocks.gpuMhz);
        QVERIFY(page->row(Page::RowGpuClock)->value() != 1900);
    }

    void thePresetWritesTheBoostClock()
    {
        auto page = makePage();
        QSignalSpy mode(page.get(), &Page::highPerformanceModeChanged);
        QVERIFY(page->setHighPerformanceMode(true));
        QCOMPARE(mode.count(), 1);
        QCOMPARE(mode.at(0).at(0).toBool(), true);
        QCOMPARE(gpuOffsetMhz(), 1759 - 1607);
        QCOMPARE(sim().tuning(0).powerLimit, 120000u);
        QVERIFY(page->isHighPerformanceMode());
        AdjustRecord saved;
        page->saveAdjustRecord(saved);
        QVERIFY(saved.EnableHighPerformance);
        // Off restores what was there before.
        QVERIFY(page->setHighPerformanceMode(false));
        QCOMPARE(gpuOffsetMhz(), 0);
        QCOMPARE(sim().tuning(0).powerLimit, 100000u);
        QCOMPARE(mode.last().at(0).toBool(), false);
    }

    void thePresetRefusesACardOutsideTheTable()
    {
        sim().setPciIdentifiers(0, 0x1B8210DE, 0x12340000u | MakerSubsystemVendorId);
        auto page = makePage();
        QSignalSpy mode(page.get(), &Page::highPerformanceModeChanged);
        sim().clearCounters();
        QVERIFY(!page->setHighPerformanceMode(true));
        QCOMPARE(mode.count(), 1);
        QCOMPARE(mode.at(0).at(0).toBool(), false);
        QCOMPARE(writes(), 0);
    }

    void manualApplyEndsThePreset()
    {
        auto page = makePage();
        QVERIFY(page->setHighPerformanceMode(true));
        QSignalSpy mode(page.get(), &Page::highPerformanceModeChanged);
        page->row(Page::RowGpuClock)->setValue(1700);
        page->onBtnApplyClick();
        QVERIFY(!page->isHighPerformanceMode());
        QCOMPARE(mode.count(), 1);
        QCOMPARE(mode.at(0).at(0).toBool(), false);
        QCOMPARE(gpuOffsetMhz(), 1700 - 1607);
    }

    void cancelInTheCurveEditorKeepsTheStoredCurve()
    {
        AdjustRecord stored;
        stored.Nodes = { { 0, 0 }, { 40, 60 }, { 100, 100 } };
        auto page = makePage(stored);
        page->onBtnUserDefineConfigClick();
        QVERIFY(page->isEditingCurve());
        QCOMPARE(page->curveEditor()->points(), stored.Nodes);
        page->curveEditor()->resetToDefault();
        page->onBtnCancleClick();
        QVERIFY(!page->isEditingCurve());
        QCOMPARE(page->storedCurve(), stored.Nodes);
        QVERIFY(page->curveEditor()->isHidden());
        QVERIFY(!page->row(0)->isHidden());
    }

    void anUnsettableFanLocksOnAutomaticUntilItCanBeSet()
    {
        sim().editCard(0, [](SimCardConfig &c) {
            c.fanLevelMinPercent = 50;
            c.fanLevelMaxPercent = 50;
        });
        AdjustRecord stored;
        stored.FanMode = TuningState::FanManual;
        auto page = makePage(stored);
        QVERIFY(page->fanAutoButton()->isChecked());
        QCOMPARE(int(sim().tuning(0).coolerPolicy), FanPolicy::Automatic);
        QCOMPARE(page->workingState().fanMode, int(TuningState::FanAutomatic));
        QVERIFY(!page->fanAutoButton()->isEnabled());
        QVERIFY(!page->fanManualButton()->isEnabled());
        QVERIFY(!page->fanUserDefinedButton()->isEnabled());
        QVERIFY(!page->row(Page::RowFan)->isEnabled());
        sim().editCard(0, [](SimCardConfig &c) {
            c.fanLevelMinPercent = 0;
            c.fanLevelMaxPercent = 100;
        });
        page->onBtnDefaultClick();
        QVERIFY(page->fanAutoButton()->isEnabled());
        QVERIFY(page->fanManualButton()->isEnabled());
        QVERIFY(page->fanUserDefinedButton()->isEnabled());
    }

    void defaultRestoresTheCard()
    {
        auto page = makePage();
        page->row(Page::RowGpuClock)->setValue(1850);
        page->row(Page::RowMemoryClock)->setValue(4500);
        page->row(Page::RowPower)->setValue(110);
        page->row(Page::RowThermal)->setValue(90);
        page->onBtnApplyClick();
        QCOMPARE(gpuOffsetMhz(), 243);
        QVERIFY(sim().tuning(0).powerLimit == 110000u);
        page->onBtnDefaultClick();
        QCOMPARE(sim().tuning(0).gpuOffsetKhz, 0);
        QCOMPARE(sim().tuning(0).memoryOffsetKhz, 0);
        QCOMPARE(sim().tuning(0).powerLimit, 100000u);
        QCOMPARE(sim().tuning(0).thermalLimitRaw, 83 * 256);
        QCOMPARE(int(sim().tuning(0).coolerPolicy), FanPolicy::Automatic);
        QCOMPARE(page->row(Page::RowGpuClock)->value(), page->workingState().gpuRange.baseClockMhz);
    }

    void readingTheCardNeverEchoesIntoTheLinkRule()
    {
        AdjustRecord stored;
        stored.LinkOfPowerWithTemperature = true;
        auto page = makePage(stored);
        QVERIFY(page->linkCheckBox()->isChecked());
        QCOMPARE(page->row(Page::RowThermal)->value(), 83);
        QVERIFY(page->applyButton()->isHidden());
        page->onBtnCancleClick();
        QCOMPARE(page->row(Page::RowThermal)->value(), 83);
        QVERIFY(page->applyButton()->isHidden());
    }

    void theLinkMovesTheOtherRowOnce()
    {
        AdjustRecord stored;
        stored.LinkOfPowerWithTemperature = true;
        auto page = makePage(stored);
        QSignalSpy thermalChanged(page->row(Page::RowThermal), &Korvo_SliderWidget::valueChanged);
        drag(page->row(Page::RowPower), 120);
        // Power at its maximum links the temperature to its maximum.
        QCOMPARE(page->row(Page::RowThermal)->value(), 92);
        drag(page->row(Page::RowPower), 50);
        QCOMPARE(page->row(Page::RowThermal)->value(), 65);
        QCOMPARE(thermalChanged.count(), 0);
        QVERIFY(!page->applyButton()->isHidden());
    }

    void aUserCurveDrivesTheCoolerUntilAutomaticReturns()
    {
        sim().setTemperature(0, 45);
        auto page = makePage();
        page->resize(285, 294);
        page->show();
        page->onBtnUserDefineConfigClick();
        Korvo_UserDefineFanSpeed *editor = page->curveEditor();
        editor->resize(145, 135); // a 100 x 100 plot at (30, 5)
        // Drag (30, 20) at (60, 85) up to (30, 60) at (60, 45).
        QTest::mousePress(editor, Qt::LeftButton, Qt::NoModifier, QPoint(60, 85));
        QMouseEvent move(QEvent::MouseMove, QPoint(60, 45), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(editor, &move);
        QTest::mouseRelease(editor, Qt::LeftButton, Qt::NoModifier, QPoint(60, 45));
        const Curve drawn = { { 0, 0 }, { 30, 60 }, { 50, 60 }, { 80, 90 }, { 100, 100 } };
        QCOMPARE(editor->points().at(1), QPoint(30, 50));
        editor->setPoints(drawn);
        page->onBtnApplyClick();
        QCOMPARE(page->storedCurve(), drawn);
        QVERIFY(page->applyButton()->isHidden());
        QVERIFY(page->defaultButton()->isHidden());
        QVERIFY(m_fan->isStopped());

        page->fanUserDefinedButton()->setChecked(true);
        page->onBtnFanUserDefinedClick();
        page->onBtnApplyClick();
        QVERIFY(!m_fan->isStopped());
        const int calls = sim().callCount(NvApiId::GpuSetCoolerLevels);
        QTRY_VERIFY(sim().callCount(NvApiId::GpuSetCoolerLevels) >= calls + 3);
        // 45 degrees on (30, 60)..(50, 60) is 60 %, set manually on every cycle.
        QCOMPARE(sim().tuning(0).coolerLevelPercent, 60);
        QCOMPARE(int(sim().tuning(0).coolerPolicy), FanPolicy::Manual);
        sim().setTemperature(0, 65);
        QTRY_COMPARE(sim().tuning(0).coolerLevelPercent, 75);

        AdjustRecord saved;
        page->saveAdjustRecord(saved);
        QCOMPARE(saved.FanMode, int(TuningState::FanUserDefined));
        QCOMPARE(saved.Nodes, drawn);

        page->fanAutoButton()->setChecked(true);
        page->onBtnFanAutoClick();
        page->onBtnApplyClick();
        QVERIFY(m_fan->isStopped());
        QVERIFY(m_fan->wait(1000));
        QCOMPARE(int(sim().tuning(0).coolerPolicy), FanPolicy::Automatic);
        const int after = sim().callCount(NvApiId::GpuSetCoolerLevels);
        QTest::qWait(100);
        QCOMPARE(sim().callCount(NvApiId::GpuSetCoolerLevels), after);
    }

    // UDF chosen, the curve edited and applied: the curve runs at once and UDF stays the chosen mode.
    // With the curve editor open, every point of Apply, Cancel and Default is the button's, not the editor's.
    void theButtonsStayAboveTheCurveEditor()
    {
        auto page = makePage();
        page->resize(285, 294);
        page->show();
        page->onBtnUserDefineConfigClick();
        QVERIFY(page->curveEditor()->isVisible());
        for (QPushButton *button : { page->applyButton(), page->cancelButton(), page->defaultButton() }) {
            QVERIFY(button->isVisible());
            const QRect face = button->geometry();
            QVERIFY(face.intersects(page->curveEditor()->geometry()));
            for (const QPoint &point : { face.topLeft(), face.center(), face.bottomRight() - QPoint(1, 1) })
                QCOMPARE(page->childAt(point), button);
        }
    }

    void aCurveAppliedWhileItsModeIsChosenRunsAtOnce()
    {
        sim().setTemperature(0, 45);
        auto page = makePage();
        page->fanManualButton()->setChecked(true);
        page->onBtnFanManualClick();
        page->onBtnApplyClick();
        QCOMPARE(page->appliedState().fanMode, int(TuningState::FanManual));

        page->fanUserDefinedButton()->setChecked(true);
        page->onBtnFanUserDefinedClick();
        page->onBtnUserDefineConfigClick();
        const Curve drawn = { { 0, 0 }, { 30, 60 }, { 50, 60 }, { 80, 90 }, { 100, 100 } };
        page->curveEditor()->setPoints(drawn);
        page->onBtnApplyClick();
        QVERIFY(!m_fan->isStopped());
        QVERIFY(page->fanUserDefinedButton()->isChecked());
        QCOMPARE(page->appliedState().fanMode, int(TuningState::FanUserDefined));
        QTRY_COMPARE(sim().tuning(0).coolerLevelPercent, 60);
    }

    void aStoredCurveRunsAgainAfterARestart()
    {
        sim().setTemperature(0, 80);
        AdjustRecord stored;
        stored.FanMode = TuningState::FanUserDefined;
        stored.Nodes = { { 0, 0 }, { 80, 40 }, { 100, 100 } };
        auto page = makePage(stored);
        QVERIFY(page->fanUserDefinedButton()->isChecked());
        QTRY_COMPARE(sim().tuning(0).coolerLevelPercent, 40);
        QCOMPARE(int(sim().tuning(0).coolerPolicy), FanPolicy::Manual);
        // The page gives the cooler back to the driver when it goes.
        page.reset();
        QVERIFY(m_fan->isStopped());
        QCOMPARE(int(sim().tuning(0).coolerPolicy), FanPolicy::Automatic);
    }

    void aFanThreadStuckInTheDriverHoldsApplyOnlyForTheBound()
    {
        AdjustRecord stored;
        stored.FanMode = TuningState::FanUserDefined;
        auto page = makePage(stored);
        sim().holdNextCall(NvApiId::GpuSetCoolerLevels);
        QVERIFY(sim().waitUntilHeld(NvApiId::GpuSetCoolerLevels, 5000));
        const int coolerWrites = sim().callCount(NvApiId::GpuSetCoolerLevels);

        page->fanAutoButton()->setChecked(true);
        page->onBtnFanAutoClick();
        page->row(Page::RowGpuClock)->setValue(1700);
        QElapsedTimer timer;
        timer.start();
        page->onBtnApplyClick();
        const qint64 elapsed = timer.elapsed();
        QVERIFY2(elapsed < Page::FanThreadStopMs + 1000, qPrintable(QString::number(elapsed)));
        QVERIFY2(elapsed >= Page::FanThreadStopMs - 100, qPrintable(QString::number(elapsed)));
        // The cooler write was skipped; the rest went through.
        QCOMPARE(sim().callCount(NvApiId::GpuSetCoolerLevels), coolerWrites);
        QCOMPARE(gpuOffsetMhz(), 1700 - 1607);

        sim().releaseHeldCall(NvApiId::GpuSetCoolerLevels);
        QVERIFY(m_fan->wait(5000));
        QVERIFY(m_fan->isStopped());
    }

    void aStuckFanThreadNeverHoldsACurveApplyBeyondTheBound()
    {
        AdjustRecord stored;
        stored.FanMode = TuningState::FanUserDefined;
        auto page = makePage(stored);
        sim().holdNextCall(NvApiId::GpuSetCoolerLevels);
        QVERIFY(sim().waitUntilHeld(NvApiId::GpuSetCoolerLevels, 5000));
        page->onBtnUserDefineConfigClick();
        QElapsedTimer timer;
        timer.start();
        page->onBtnApplyClick();
        QVERIFY2(timer.elapsed() < 500, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(!page->isEditingCurve());
        page->row(Page::RowGpuClock)->setValue(1700);
        timer.restart();
        page->onBtnApplyClick();
        QVERIFY2(
            timer.elapsed() < Page::FanThreadStopMs + 1000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(gpuOffsetMhz(), 1700 - 1607);
        sim().releaseHeldCall(NvApiId::GpuSetCoolerLevels);
    }

    void theRecordSavesTheWorkingState()
    {
        auto page = makePage();
        page->row(Page::RowGpuClock)->setValue(1800);
        page->row(Page::RowFan)->setValue(70);
        page->fanManualButton()->setChecked(true);
        page->onBtnFanManualClick();
        page->linkCheckBox()->setChecked(true);
        page->onBtnApplyClick();
        AdjustRecord saved;
        page->saveAdjustRecord(saved);
        QCOMPARE(saved.GpuFreClock, 1800);
        QCOMPARE(saved.FanSpeedLevel, 70);
        QCOMPARE(saved.FanMode, int(TuningState::FanManual));
        QVERIFY(saved.LinkOfPowerWithTemperature);
        QCOMPARE(saved.Power, 100);
        QCOMPARE(saved.Temperature, 83);
        QVERIFY(!saved.EnableHighPerformance);
        QCOMPARE(sim().tuning(0).coolerLevelPercent, 70);
        QCOMPARE(int(sim().tuning(0).coolerPolicy), FanPolicy::Manual);
    }

    void worksWithoutAController()
    {
        Page page(nullptr, nullptr);
        page.row(Page::RowGpuClock)->setValue(5);
        page.onBtnApplyClick();
        page.onBtnDefaultClick();
        QVERIFY(!page.setHighPerformanceMode(true));
        // Nothing was read or applied: Cancel goes back to the zero state.
        page.onBtnCancleClick();
        QCOMPARE(page.row(Page::RowGpuClock)->value(), 0);
        QCOMPARE(page.appliedState().clocks.gpuMhz, 0);
    }
};

QTEST_MAIN(TestOverClockingWidget)
#include "tst_overclockingwidget.moc"
