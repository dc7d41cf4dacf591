#include "configstore.h"
#include "inprocessdriver.h"
#include "korvo_baseinforow.h"
#include "korvo_boardinfomainwidget.h"
#include "korvo_boardinfowidget.h"
#include "korvo_combobox.h"
#include "korvo_gpufixedinfo.h"
#include "korvo_gpuinfowidget.h"
#include "korvo_messagebox.h"
#include "korvo_nvcardinfowidget.h"
#include "lumetra2.h"
#include "lumetraresources.h"
#include "mainwindowfixture.h"
#include "makerids.h"
#include "rollstackwidget.h"
#include "simdriver.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The monitor page, the board page and the fixed information panel in the main window: each card's three
// pages fed by the card's sampler, the monitor selection from and back to config.xml, their texts from the
// language, and the board-temperature button only for a card whose board sensors answer.
class TestMainWindowMonitor : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> m_fixture;

    static SimCardConfig korvo()
    {
        SimCardConfig config;
        config.name = "GeForce GTX 1070 Ti";
        config.subsystemId = 0x111E0000u | MakerSubsystemVendorId;
        return config;
    }
    static SimCardConfig withoutSensors()
    {
        SimCardConfig config;
        config.name = "NVIDIA GeForce RTX 2060";
        config.subsystemId = 0x20607E57u;
        config.boardSensors = { false, false, false, false };
        return config;
    }

    static void seedConfig(const QString &language, quint32 selection, bool applyLast = true)
    {
        QVERIFY(MainWindowFixture::seedConfig([&](ConfigStore &store) {
            GeneralSettingRecord general = MainWindowFixture::general(language);
            general.ApplyLastParamOnStart = applyLast;
            store.setGeneralSetting(general);
            store.setNotPromptHPS(true);
            store.setSelectOption(QStringLiteral("GeForce GTX 1070 Ti"), korvo().subsystemId, selection);
        }));
    }

    static quint32 storedSelection()
    {
        ConfigStore store(QStringLiteral("config.xml"), [] { return QDate(2020, 1, 2); });
        store.load();
        quint32 selection = 0xFFFF;
        if (!store.getSelectOption(QStringLiteral("GeForce GTX 1070 Ti"), korvo().subsystemId, selection))
            return 0xFFFF;
        return selection;
    }

    static Korvo_NvCardInfoWidget *monitorPage(Lumetra2 &window, int card = 0)
    {
        return window.session(card)->pages().monitorPage.data();
    }
    static Korvo_BoardInfoMainWidget *boardPage(Lumetra2 &window, int card = 0)
    {
        return window.session(card)->pages().boardPage.data();
    }
    static Korvo_GpuFixedInfo *fixedInfoPage(Lumetra2 &window, int card = 0)
    {
        return window.session(card)->pages().fixedInfoPage.data();
    }
    static QPushButton *button(Lumetra2 &window, const char *name)
    {
        return window.findChild<QPushButton *>(QLatin1String(name));
    }

private slots:
    void initTestCase() { initLumetraResources(); }

    void init()
    {
        m_fixture = std::make_unique<MainWindowFixture>();
        QVERIFY(m_fixture->isValid());
    }

    void cleanup() { m_fixture.reset(); }

    void everyCardsPagesAreFedByItsSampler()
    {
        SimDriver::instance().setCards({ korvo(), withoutSensors() });
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        for (int card = 0; card < 2; ++card) {
            Korvo_NvCardInfoWidget *monitor = monitorPage(window, card);
            Korvo_BoardInfoMainWidget *board = boardPage(window, card);
            Korvo_GpuFixedInfo *fixedInfo = fixedInfoPage(window, card);
            QVERIFY(monitor && board && fixedInfo);
            for (QWidget *p : { static_cast<QWidget *>(monitor), static_cast<QWidget *>(board),
                     static_cast<QWidget *>(fixedInfo) })
                QVERIFY(window.pageArea()->pages().contains(p));
            QTRY_VERIFY_WITH_TIMEOUT(monitor->rowList()->lastRecord().gpuClock.current > 0, 5000);
            QTRY_VERIFY_WITH_TIMEOUT(
                !fixedInfo->findChild<QLineEdit *>(QStringLiteral("let_MemType"))->text().isEmpty(), 5000);
        }
        QTRY_VERIFY_WITH_TIMEOUT(boardPage(window, 0)->rowList()->lastRecord().sensor1.rangeTop == 100, 5000);
        QVERIFY(boardPage(window, 0)->rowList()->lastRecord().sensor1.current != 0);
        QCOMPARE(monitorPage(window, 0)->driverVersionText().count(QLatin1Char('.')), 1);
        QVERIFY(monitorPage(window, 0)->driverVersionText() != QStringLiteral("XXX.XX"));
    }

    void theStoredSelectionChecksTheRowsAndCloseStoresIt()
    {
        seedConfig(QStringLiteral("lang_ch"), 0x2A);
        SimDriver::instance().setCards({ korvo() });
        {
            Lumetra2 window;
            QVERIFY(MainWindowFixture::waitForCardStartUp(window));
            Korvo_NvCardInfoWidget *monitor = monitorPage(window);
            QCOMPARE(monitor->selectionMask(), 0x2A);
            QVERIFY(!monitor->topRightCheckBox()->isHidden());
            monitor->rowList()->row(1)->setChecked(false);
            monitor->rowList()->row(0)->setChecked(true);
            QCOMPARE(monitor->selectionMask(), 0x29);
            window.close();
        }
        QCOMPARE(storedSelection(), quint32(0x29));
    }

    void withoutApplyingLastSettingsTheRowsStartUnchecked()
    {
        seedConfig(QStringLiteral("lang_ch"), 0x2A, false);
        SimDriver::instance().setCards({ korvo() });
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        QCOMPARE(monitorPage(window)->selectionMask(), 0);
        QVERIFY(monitorPage(window)->topRightCheckBox()->isHidden());
    }

    void unknownStoredBitsShowNoBox()
    {
        seedConfig(QStringLiteral("lang_ch"), 0x40);
        SimDriver::instance().setCards({ korvo() });
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        QCOMPARE(monitorPage(window)->selectionMask(), 0);
        QVERIFY(monitorPage(window)->topRightCheckBox()->isHidden());
    }

    void thePagesTakeTheirTextsFromTheLanguage()
    {
        seedConfig(QStringLiteral("lang_en"), 0);
        SimDriver::instance().setCards({ korvo() });
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        QCOMPARE(monitorPage(window)->title(), QStringLiteral("Driver Version"));
        QCOMPARE(monitorPage(window)->language(), English);
        QCOMPARE(monitorPage(window)->rowList()->row(2)->text(), QStringLiteral("Temp"));
        QCOMPARE(boardPage(window)->title(), QStringLiteral("Board Temp"));
        QCOMPARE(boardPage(window)->rowList()->row(3)->text(), QStringLiteral("Mem MOS"));
        QCOMPARE(fixedInfoPage(window)->findChild<QLabel *>(QStringLiteral("lbl_BiosVersion"))->text(),
            QStringLiteral("BIOS Version"));
    }

    void theBoardButtonIsThereOnlyForACardWithSensors()
    {
        SimDriver::instance().setCards({ korvo(), withoutSensors() });
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        QVERIFY(window.cards().at(0).hasBoardSensors);
        QVERIFY(!window.cards().at(1).hasBoardSensors);
        QPushButton *board = button(window, "btnBoardTemp");
        QPushButton *monitor = button(window, "btnMonitor");
        QVERIFY(board && monitor);
        QVERIFY(!board->isHidden());
        window.show();
        // Above the Monitor button, which keeps its place.
        QCOMPARE(board->geometry(), QRect(800 - 235, 95, 80, 20));
        QCOMPARE(monitor->geometry(), QRect(800 - 235, 120, 80, 20));

        board->click();
        QCOMPARE(window.pageIndex(), int(PageBoardTemp));
        QTRY_COMPARE(window.pageArea()->currentPage(), static_cast<QWidget *>(boardPage(window, 0)));

        // The card without sensors hides the button and closes its page.
        window.cardSelector()->setCurrentIndex(1);
        QVERIFY(board->isHidden());
        QVERIFY(!board->isChecked());
        QCOMPARE(window.pageIndex(), int(PageHome));
        window.cardSelector()->setCurrentIndex(0);
        QVERIFY(!board->isHidden());
        window.close();
    }
};

QTEST_MAIN(TestMainWindowMonitor)
#include "tst_mainwindowmonitor.moc"
