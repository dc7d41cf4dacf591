#include "configstore.h"
#include "fakenvml.h"
#include "korvo_gpufixedinfo.h"
#include "korvo_gpuinfocirclebox.h"
#include "korvo_gpuinfowidget.h"
#include "korvo_messagebox.h"
#include "korvo_nvcardinfowidget.h"
#include "korvo_overclockingwidget.h"
#include "korvo_sliderwidget.h"
#include "lumetra2.h"
#include "lumetraresources.h"
#include "mainwindowfixture.h"
#include "workersleep.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The main window on a real X server, on the driver library for real cards
// over the fake NVML: the gauge and the monitor page show the card's NVML
// values, and the overclocking page's Apply reaches NVML, or, refused for
// lack of privileges, changes nothing and says so.
class TestLinuxCardWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> m_fixture;
    QStringList m_boxTexts;

    static FakeNvml &fake() { return FakeNvml::instance(); }

    static const CardPageSet &pages(Lumetra2 &window) { return window.session(0)->pages(); }

    void seedConfig()
    {
        GeneralSettingRecord general = MainWindowFixture::general(QStringLiteral("lang_en"));
        general.ApplyLastParamOnStart = false;
        QVERIFY(MainWindowFixture::seedConfig([&general](ConfigStore &store) {
            store.setGeneralSetting(general);
            store.setNotPromptHPS(true);
        }));
    }

    static void apply(
        Korvo_OverClockingWidget *tuning, int gpuMhz, int memoryMhz, int powerPercent, int fanPercent)
    {
        tuning->fanManualButton()->click();
        tuning->row(Korvo_OverClockingWidget::RowGpuClock)->setValue(gpuMhz);
        tuning->row(Korvo_OverClockingWidget::RowMemoryClock)->setValue(memoryMhz);
        tuning->row(Korvo_OverClockingWidget::RowPower)->setValue(powerPercent);
        tuning->row(Korvo_OverClockingWidget::RowFan)->setValue(fanPercent);
        tuning->onBtnApplyClick();
    }

private slots:
    void initTestCase()
    {
        initLumetraResources();
        WorkerSleep::setTimeScale(0.01);
        qputenv("LUMETRA_NVAPI_LIBRARY", LINUX_DRIVER_PATH);
        qputenv("LUMETRA_NVML_LIBRARY", FAKE_NVML_PATH);
    }

    void init()
    {
        fake().reset(1);
        fake().setValue(0, "temperature", 61);
        fake().setValue(0, "clockGraphics", 1845);
        m_boxTexts.clear();
        m_fixture = std::make_unique<MainWindowFixture>(
            [this](Korvo_MessageBox *box) {
                m_boxTexts << box->text();
                box->done(MsgBoxResultYes);
            },
            MainWindowFixture::Driver::Own);
        QVERIFY(m_fixture->isValid());
        seedConfig();
    }

    void cleanup() { m_fixture.reset(); }

    void gaugeAndMonitorShowTheCard()
    {
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *gauge = pages(window).circleBox.data();
        auto *monitor = pages(window).monitorPage.data();
        auto *fixed = pages(window).fixedInfoPage.data();
        QVERIFY(gauge && monitor && fixed);
        QTRY_COMPARE_WITH_TIMEOUT(gauge->lastSample().temperature.current, 61, 5000);
        QCOMPARE(gauge->lastSample().gpuClock.current, 1845);
        QCOMPARE(gauge->lastSample().memoryAmount.current, 1024);
        QTRY_COMPARE_WITH_TIMEOUT(monitor->rowList()->lastRecord().temperature.current, 61, 5000);
        QCOMPARE(monitor->rowList()->lastRecord().memoryClock.current, 10501);
        QTRY_COMPARE_WITH_TIMEOUT(monitor->driverVersionText(), QStringLiteral("550.16"), 5000);
        QLineEdit *memorySize = fixed->findChild<QLineEdit *>(QStringLiteral("let_MemSize"));
        QVERIFY(memorySize);
        QTRY_COMPARE_WITH_TIMEOUT(memorySize->text(), QStringLiteral("12288MB"), 5000);
        QCOMPARE(
            fixed->findChild<QLineEdit *>(QStringLiteral("let_MemType"))->text(), QStringLiteral("Unknown"));
        QCOMPARE(fixed->findChild<QLineEdit *>(QStringLiteral("let_MemBitWidth"))->text(),
            QStringLiteral("192BIT"));
        QCOMPARE(window.cards().size(), 1);
    }

    void applyReachesNvml()
    {
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        auto *tuning = pages(window).overClockingPage.data();
        QVERIFY(tuning);
        const TuningState before = tuning->workingState();
        QCOMPARE(before.gpuRange.baseClockMhz, 3105);
        // NVML has no core voltage: the row stays locked.
        QVERIFY(!tuning->row(Korvo_OverClockingWidget::RowVoltage)->isEnabled());
        apply(tuning, 3105 + 120, 10501 + 1500, 105, 70);
        QCOMPARE(m_boxTexts.size(), 1); // the question, no refusal
        QCOMPARE(fake().value(0, "gpcOffset"), 120);
        QCOMPARE(fake().value(0, "memOffset"), 1500);
        QCOMPARE(fake().value(0, "powerLimit"), 210000);
        QCOMPARE(fake().value(0, "fanSpeed0"), 70);
        QCOMPARE(fake().value(0, "fanPolicy0"), 1);
        // The read-back shows what the card now reports.
        QCOMPARE(tuning->row(Korvo_OverClockingWidget::RowGpuClock)->value(), 3105 + 120);
        QCOMPARE(tuning->row(Korvo_OverClockingWidget::RowMemoryClock)->value(), 10501 + 1500);
    }

    void refusedApplyChangesNothingAndSaysSo()
    {
        fake().failWrites(4);
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        auto *tuning = pages(window).overClockingPage.data();
        QVERIFY(tuning);
        apply(tuning, 3105 + 120, 10501 + 1500, 105, 70);
        QCOMPARE(m_boxTexts.size(), 2);
        QVERIFY2(m_boxTexts.last().contains(QStringLiteral("administrator")), qPrintable(m_boxTexts.last()));
        QVERIFY(fake().writes().empty());
        QCOMPARE(fake().value(0, "gpcOffset"), 0);
        QCOMPARE(fake().value(0, "powerLimit"), 200000);
        QCOMPARE(fake().value(0, "fanPolicy0"), 0);
        // The rows are back where the card is.
        QCOMPARE(tuning->row(Korvo_OverClockingWidget::RowGpuClock)->value(), 3105);
        QCOMPARE(tuning->row(Korvo_OverClockingWidget::RowPower)->value(), 100);
    }
};

QTEST_MAIN(TestLinuxCardWindow)
#include "tst_linuxcardwindow.moc"
