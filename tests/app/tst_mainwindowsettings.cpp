#include "configstore.h"
#include "createbreathcircleandwavecirclethread.h"
#include "inprocessdriver.h"
#include "korvo_circlebutton.h"
#include "korvo_gpuinfocirclebox.h"
#include "korvo_hotkeyedit.h"
#include "korvo_lcdcontrollorwidget.h"
#include "korvo_messagebox.h"
#include "korvo_sendnvcardinfothread.h"
#include "korvo_settingparentwidget.h"
#include "korvo_settingwidget.h"
#include "lumetra2.h"
#include "lumetraresources.h"
#include "mainwindowfixture.h"
#include "makerids.h"
#include "simdriver.h"
#include "workersleep.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The main window with the settings container and the LCD pages: the language, the effects and the refresh
// time reach every card at once, the LCD page exists only where the LCD answered, and closing stores both.
class TestMainWindowSettings : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> m_fixture;

    static SimCardConfig korvo()
    {
        return MainWindowFixture::card(
            "GeForce GTX 1070 Ti", 0x111E0000u | MakerSubsystemVendorId, true, true);
    }
    static SimCardConfig foreign()
    {
        return MainWindowFixture::card("NVIDIA GeForce RTX 2060", 0x20607E57u, false, false);
    }

    static void seedConfig(const GeneralSettingRecord &general, const LcdRecord *lcd = nullptr)
    {
        QVERIFY(MainWindowFixture::seedConfig([&](ConfigStore &store) {
            GeneralSettingRecord seeded = general;
            seeded.StartOnBoot = false;
            store.setGeneralSetting(seeded);
            if (lcd)
                store.setLcdRecord(
                    QStringLiteral("GeForce GTX 1070 Ti"), 0x111E0000u | MakerSubsystemVendorId, *lcd);
        }));
    }

    static Korvo_LCDControllorWidget *lcdPage(Lumetra2 &window, int card)
    {
        return window.session(card)->pages().lcdPage.data();
    }
    static Korvo_GpuInfoCircleBox *gauge(Lumetra2 &window, int card)
    {
        return window.session(card)->pages().circleBox.data();
    }
    static QString buttonText(Lumetra2 &window, const char *name)
    {
        return window.findChild<QPushButton *>(QLatin1String(name))->text();
    }
    static QString actionText(Lumetra2 &window, const char *name)
    {
        return window.findChild<QAction *>(QLatin1String(name))->text();
    }
    /// Every I2C write the card's LCD address got, answered or not.
    static int lcdWrites(int card)
    {
        int count = 0;
        for (const SimI2cTransaction &t : SimDriver::instance().i2cLog()) {
            if (t.card == card && t.write && t.address == 0xAC)
                ++count;
        }
        return count;
    }

private slots:
    void initTestCase() { initLumetraResources(); }

    void init()
    {
        m_fixture = std::make_unique<MainWindowFixture>();
        QVERIFY(m_fixture->isValid());
    }

    void cleanup()
    {
        WorkerSleep::setTimeScale(1.0);
        m_fixture.reset();
    }

    void languageChangeRelabelsTheWholeWindow()
    {
        SimDriver::instance().setCards({ korvo(), korvo() });
        GeneralSettingRecord general;
        general.Language = QStringLiteral("lang_ch");
        seedConfig(general);
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        Korvo_SettingParentWidget *settings = window.settingsContainer();
        QVERIFY(settings);
        QVERIFY(!settings->isVisible());
        QCOMPARE(buttonText(window, "btnMonitor"), QStringLiteral("监控窗口"));
        QCOMPARE(lcdPage(window, 1)->automaticRadio()->text(), QStringLiteral("自动切换"));

        QSignalSpy spy(settings, &Korvo_SettingParentWidget::languageChanged);
        settings->page()->languageCombo()->setCurrentIndex(1);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(window.texts().language(), English);
        QCOMPARE(buttonText(window, "btnMonitor"), QStringLiteral("Monitor"));
        QCOMPARE(buttonText(window, "btnAdjust"), QStringLiteral("Adjust"));
        QCOMPARE(actionText(window, "show"), QStringLiteral("Display"));
        QCOMPARE(actionText(window, "exit"), QStringLiteral("Exit"));
        QCOMPARE(settings->page()->findChild<QLabel *>(QStringLiteral("lbl_Setting"))->text(),
            QStringLiteral("Settings"));
        QCOMPARE(settings->page()->language(), English);
        for (int card = 0; card < 2; ++card) {
            QCOMPARE(lcdPage(window, card)->automaticRadio()->text(), QStringLiteral("Switch Automatically"));
            QCOMPARE(lcdPage(window, card)->lcdSwitch()->toolTip(), QStringLiteral("Turn on/off LCD"));
            QCOMPARE(gauge(window, card)->clockButton()->text(), QStringLiteral("C L O C K"));
        }
        QCOMPARE(window.generalSettings().Language, QStringLiteral("lang_en"));

        settings->page()->languageCombo()->setCurrentIndex(0);
        QCOMPARE(buttonText(window, "btnMonitor"), QStringLiteral("监控窗口"));
        QCOMPARE(actionText(window, "exit"), QStringLiteral("退出"));
        QCOMPARE(lcdPage(window, 0)->manualRadio()->text(), QStringLiteral("手动切换"));
    }

    void refreshTimeReachesEverySamplerAtOnce()
    {
        SimDriver::instance().setCards({ korvo(), foreign() });
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        for (int card = 0; card < 2; ++card)
            QCOMPARE(window.session(card)->sampler()->interval(), 1000);
        window.settingsContainer()->page()->refreshTimeCombo()->setCurrentIndex(2);
        for (int card = 0; card < 2; ++card)
            QCOMPARE(window.session(card)->sampler()->interval(), 5000);
        QCOMPARE(window.generalSettings().RefreshTimeOfMonitor, 5);
    }

    void storedRefreshTimeAppliesFromTheStart_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("intervalMs");
        QTest::newRow("3 s") << 3 << 3000;
        QTest::newRow("10 s") << 10 << 10000;
        QTest::newRow("2 s is shown as 1") << 2 << 1000;
        QTest::newRow("0") << 0 << 1000;
    }
    void storedRefreshTimeAppliesFromTheStart()
    {
        SimDriver::instance().setCards({ korvo() });
        QFETCH(int, stored);
        QFETCH(int, intervalMs);
        GeneralSettingRecord general;
        general.RefreshTimeOfMonitor = stored;
        seedConfig(general);
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        QCOMPARE(window.session(0)->sampler()->interval(), intervalMs);
    }

    void pageEffectActsOnTheGauges()
    {
        SimDriver::instance().setCards({ korvo(), foreign() });
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        QVERIFY(!gauge(window, 0)->imageThread()->breathingEnabled());
        window.settingsContainer()->page()->pageEffectCombo()->setCurrentIndex(1);
        QCOMPARE(window.generalSettings().PageEffects, QStringLiteral("advanced"));
        QVERIFY(gauge(window, 0)->imageThread()->breathingEnabled());
        QVERIFY(!gauge(window, 1)->imageThread()->breathingEnabled());
        window.settingsContainer()->page()->pageEffectCombo()->setCurrentIndex(0);
        QVERIFY(!gauge(window, 0)->imageThread()->breathingEnabled());
    }

    void lcdPageAndFeederOnlyWhereTheLcdAnswered()
    {
        WorkerSleep::setTimeScale(0.01);
        SimDriver::instance().setCards({ korvo(), foreign() });
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        QVERIFY(lcdPage(window, 0));
        QVERIFY(!window.session(1)->pages().lcdPage);
        const int probes = lcdWrites(1);
        QTRY_VERIFY(lcdWrites(0) > 10);
        QCOMPARE(lcdWrites(1), probes);

        // The gauge's choice reaches the card's LCD at once, and only that card's.
        emit gauge(window, 0)->temperatureButton()->onMouseClick();
        QCOMPARE(int(SimDriver::instance().lastLcdFrame(0).at(3)), 0x40);
        emit gauge(window, 1)->temperatureButton()->onMouseClick();
        QCOMPARE(lcdWrites(1), probes);
    }

    void storedLcdRecordIsApplied()
    {
        SimDriver::instance().setCards({ korvo() });
        GeneralSettingRecord general;
        LcdRecord lcd;
        lcd.SwitchTime = 5;
        lcd.EnableLcd = false;
        seedConfig(general, &lcd);
        {
            Lumetra2 window;
            QVERIFY(MainWindowFixture::waitForCardStartUp(window));
            QCOMPARE(lcdPage(window, 0)->timeBox()->value(), 5);
            QVERIFY(!lcdPage(window, 0)->lcdSwitch()->isChecked());
        }
        general.ApplyLastParamOnStart = false;
        seedConfig(general, &lcd);
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        QCOMPARE(lcdPage(window, 0)->timeBox()->value(), 10);
        QCOMPARE(lcdPage(window, 0)->currentLcdRecord(), LcdRecord());
    }

    // A disabled hotkey field (automatic switching chosen) must look disabled, not only refuse keys.
    void disabledHotkeyFieldsLookDisabled()
    {
        SimDriver::instance().setCards({ korvo() });
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        Korvo_LCDControllorWidget *page = lcdPage(window, 0);
        QVERIFY(page);
        page->resize(285, 294);
        Korvo_HotKeyEdit *edit = page->keyEdit();
        edit->setEnabled(true);
        const QImage enabled = edit->grab().toImage();
        edit->setEnabled(false);
        QVERIFY(edit->grab().toImage() != enabled);
    }

    void settingsButtonSlidesTheContainerAndTheLcdTabClosesIt()
    {
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        window.show();
        Korvo_SettingParentWidget *settings = window.settingsContainer();
        QCOMPARE(settings->geometry(), QRect(260, 29, 511, 466));
        QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("btnSetting")), Qt::LeftButton);
        QVERIFY(settings->isOpen());
        QTRY_COMPARE(settings->pageX(), 0);
        QVERIFY(settings->isVisible());
        window.onBtnMonitorClicked(true);
        QVERIFY(settings->isOpen());
        window.onBtnLCDClicked(true);
        QVERIFY(!settings->isOpen());
        QTRY_VERIFY(!settings->isVisible());
        QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("btnSetting")), Qt::LeftButton);
        QTRY_COMPARE(settings->pageX(), 0);
        QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("btnSetting")), Qt::LeftButton);
        QTRY_VERIFY(!settings->isVisible());
        window.close();
    }

    void detectButtonReachesTheWindow()
    {
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        QSignalSpy spy(window.settingsContainer(), &Korvo_SettingParentWidget::detectUpdate);
        QTest::mouseClick(window.settingsContainer()->page()->detectUpdateButton(), Qt::LeftButton);
        QCOMPARE(spy.count(), 1);
    }

    void closingStoresTheSettingsPageAndTheLcdRecord()
    {
        SimDriver::instance().setCards({ korvo() });
        GeneralSettingRecord general;
        general.Language = QStringLiteral("lang_fr");
        seedConfig(general);
        UpdateSettingRecord update;
        {
            ConfigStore store;
            QVERIFY(store.load());
            update.CheckInterval = 14;
            update.UpdateMode = 1;
            store.setUpdateSetting(update);
            QVERIFY(store.save());
        }
        {
            Lumetra2 window;
            QVERIFY(MainWindowFixture::waitForCardStartUp(window));
            Korvo_SettingWidget *page = window.settingsContainer()->page();
            page->minimizeOnStartBox()->setChecked(true);
            Korvo_LCDControllorWidget *lcd = lcdPage(window, 0);
            lcd->timeBox()->setValue(20);
            lcd->onConfirmClick();
            window.onExitAppAction();
        }
        ConfigStore saved;
        QVERIFY(saved.load());
        GeneralSettingRecord generalRead;
        QVERIFY(saved.getGeneralSetting(generalRead));
        QVERIFY(generalRead.MinimizeOnStart);
        QCOMPARE(generalRead.Language, QStringLiteral("lang_en"));
        UpdateSettingRecord updateRead;
        QVERIFY(saved.getUpdateSetting(updateRead));
        QCOMPARE(updateRead.CheckInterval, 7);
        QCOMPARE(updateRead.UpdateMode, 2);
        LcdRecord lcdRead;
        QVERIFY(saved.getLcdRecord(
            QStringLiteral("GeForce GTX 1070 Ti"), 0x111E0000u | MakerSubsystemVendorId, lcdRead));
        QCOMPARE(lcdRead.SwitchTime, 20u);
    }
};

QTEST_MAIN(TestMainWindowSettings)
#include "tst_mainwindowsettings.moc"
