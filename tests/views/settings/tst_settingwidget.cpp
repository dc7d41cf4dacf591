#include "korvo_settingparentwidget.h"
#include "korvo_settingwidget.h"
#include "languagetexts.h"
#include "lumetraresources.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

// The settings page: how the stored values are shown and read back, its texts, its signals, and the frame
// it slides in.
class TestSettingWidget : public QObject
{
    Q_OBJECT

private:
    static void roundTrip(const GeneralSettingRecord &general, const UpdateSettingRecord &update,
        GeneralSettingRecord &generalOut, UpdateSettingRecord &updateOut)
    {
        Korvo_SettingWidget page;
        page.loadSettings(general, update);
        page.readSettings(generalOut, updateOut);
    }

private slots:
    void initTestCase() { initLumetraResources(); }

    void defaultsRoundTrip()
    {
        GeneralSettingRecord general;
        UpdateSettingRecord update;
        GeneralSettingRecord generalOut;
        UpdateSettingRecord updateOut;
        generalOut.Language = QStringLiteral("x");
        updateOut.UpdateStatus = 9;
        roundTrip(general, update, generalOut, updateOut);
        QCOMPARE(generalOut, general);
        QCOMPARE(updateOut, update);
    }

    void everyValueComesBack()
    {
        GeneralSettingRecord general;
        general.StartOnBoot = false;
        general.MinimizeOnStart = true;
        general.ApplyLastParamOnStart = false;
        general.Language = QStringLiteral("lang_en");
        general.RefreshTimeOfMonitor = 10;
        general.PageEffects = QStringLiteral("advanced");
        UpdateSettingRecord update;
        update.CheckInterval = 90;
        update.UpdateMode = 2;
        update.UpdateStatus = 0;
        GeneralSettingRecord generalOut;
        UpdateSettingRecord updateOut;
        roundTrip(general, update, generalOut, updateOut);
        QCOMPARE(generalOut, general);
        QCOMPARE(updateOut, update);
    }

    void refreshTimeTwoShowsOne()
    {
        Korvo_SettingWidget page;
        GeneralSettingRecord general;
        general.RefreshTimeOfMonitor = 2;
        page.loadSettings(general, UpdateSettingRecord());
        QCOMPARE(page.refreshTimeCombo()->currentText(), QStringLiteral("1"));
        GeneralSettingRecord out;
        UpdateSettingRecord updateOut;
        page.readSettings(out, updateOut);
        QCOMPARE(out.RefreshTimeOfMonitor, 1);
    }

    void updateModeOneIsNotifyAndStoredAsTwo()
    {
        Korvo_SettingWidget page;
        UpdateSettingRecord update;
        update.UpdateMode = 1;
        page.loadSettings(GeneralSettingRecord(), update);
        QVERIFY(page.notifyRadio()->isChecked());
        QVERIFY(!page.automaticInstallRadio()->isChecked());
        GeneralSettingRecord out;
        UpdateSettingRecord updateOut;
        page.readSettings(out, updateOut);
        QCOMPARE(updateOut.UpdateMode, 2);
    }

    void checkIntervalNeverShowsNone()
    {
        Korvo_SettingWidget page;
        LanguageTexts english;
        english.fill(English);
        page.setLanguageTexts(english.settings(), English);
        UpdateSettingRecord update;
        update.CheckInterval = 10000;
        page.loadSettings(GeneralSettingRecord(), update);
        QCOMPARE(page.updateFrequencyCombo()->currentText(), QStringLiteral("None"));
    }

    void unknownCheckIntervalKeepsChecking_data()
    {
        QTest::addColumn<int>("stored");
        QTest::newRow("missing attribute") << 0;
        QTest::newRow("two weeks") << 14;
        QTest::newRow("negative") << -1;
    }
    void unknownCheckIntervalKeepsChecking()
    {
        QFETCH(int, stored);
        Korvo_SettingWidget page;
        LanguageTexts english;
        english.fill(English);
        page.setLanguageTexts(english.settings(), English);
        UpdateSettingRecord update;
        update.CheckInterval = stored;
        page.loadSettings(GeneralSettingRecord(), update);
        QCOMPARE(page.updateFrequencyCombo()->currentText(), QStringLiteral("One week"));
        GeneralSettingRecord out;
        UpdateSettingRecord updateOut;
        page.readSettings(out, updateOut);
        QCOMPARE(updateOut.CheckInterval, 7);
    }

    void unknownLanguageIsEnglish_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("saved");
        QTest::newRow("lang_ch") << "lang_ch" << QStringLiteral("简体中文") << "lang_ch";
        QTest::newRow("lang_en") << "lang_en"
                                 << "English"
                                 << "lang_en";
        QTest::newRow("empty") << ""
                               << "English"
                               << "lang_en";
        QTest::newRow("other case") << "LANG_CH"
                                    << "English"
                                    << "lang_en";
        QTest::newRow("unknown") << "lang_fr"
                                 << "English"
                                 << "lang_en";
    }
    void unknownLanguageIsEnglish()
    {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QFETCH(QString, saved);
        // The combo agrees with what the program runs in.
        QCOMPARE(
            LanguageTexts::languageForSetting(stored), saved == QLatin1String("lang_ch") ? Chinese : English);
        Korvo_SettingWidget page;
        GeneralSettingRecord general;
        general.Language = stored;
        page.loadSettings(general, UpdateSettingRecord());
        QCOMPARE(page.languageCombo()->currentText(), shown);
        GeneralSettingRecord out;
        UpdateSettingRecord updateOut;
        page.readSettings(out, updateOut);
        QCOMPARE(out.Language, saved);
    }

    void unknownPageEffectIsNormal()
    {
        Korvo_SettingWidget page;
        GeneralSettingRecord general;
        general.PageEffects = QStringLiteral("fancy");
        page.loadSettings(general, UpdateSettingRecord());
        GeneralSettingRecord out;
        UpdateSettingRecord updateOut;
        page.readSettings(out, updateOut);
        QCOMPARE(out.PageEffects, QStringLiteral("normal"));
    }

    void textsInBothLanguages()
    {
        Korvo_SettingWidget page;
        QCOMPARE(page.size(), QSize(511, 466));
        LanguageTexts texts;
        texts.fill(English);
        page.setLanguageTexts(texts.settings(), English);
        QCOMPARE(page.findChild<QLabel *>(QStringLiteral("lbl_Setting"))->text(), QStringLiteral("Settings"));
        QCOMPARE(page.findChild<QLabel *>(QStringLiteral("lbl_Boot"))->text(), QStringLiteral("Startup"));
        QCOMPARE(page.startOnBootBox()->text(),
            QStringLiteral("Automatically start Lumetra II when I log on to windows"));
        QCOMPARE(page.notifyRadio()->text(), QStringLiteral("Notify me but not download automatically "));
        QCOMPARE(page.automaticInstallRadio()->text(), QStringLiteral("Download updates and install them"));
        QCOMPARE(page.detectUpdateButton()->text(), QStringLiteral("Detection Update"));
        QCOMPARE(page.updateLogButton()->text(), QStringLiteral("History"));
        QCOMPARE(page.pageEffectCombo()->itemText(1), QStringLiteral("Advanced"));
        QCOMPARE(page.updateFrequencyCombo()->itemText(3), QStringLiteral("Three months"));
        QCOMPARE(page.languageCombo()->itemText(0), QStringLiteral("简体中文"));
        texts.fill(Chinese);
        page.setLanguageTexts(texts.settings(), Chinese);
        QCOMPARE(page.findChild<QLabel *>(QStringLiteral("lbl_Setting"))->text(), QStringLiteral("设置选项"));
        QCOMPARE(page.pageEffectCombo()->itemText(0), QStringLiteral("普通"));
        QCOMPARE(page.updateFrequencyCombo()->itemText(0), QStringLiteral("从不"));
        QCOMPARE(page.languageCombo()->itemText(1), QStringLiteral("English"));
    }

    void containerForwardsChangesButNotTheLoad()
    {
        GeneralSettingRecord general;
        general.Language = QStringLiteral("lang_en");
        general.RefreshTimeOfMonitor = 5;
        general.PageEffects = QStringLiteral("advanced");
        Korvo_SettingParentWidget container(general, UpdateSettingRecord());
        QSignalSpy language(&container, &Korvo_SettingParentWidget::languageChanged);
        QSignalSpy effect(&container, &Korvo_SettingParentWidget::pageEffectChanged);
        QSignalSpy refresh(&container, &Korvo_SettingParentWidget::refreshTimeChanged);
        QSignalSpy detect(&container, &Korvo_SettingParentWidget::detectUpdate);
        Korvo_SettingWidget *page = container.page();
        QCOMPARE(page->languageCombo()->currentText(), QStringLiteral("English"));

        page->languageCombo()->setCurrentIndex(0);
        QCOMPARE(language.count(), 1);
        GeneralSettingRecord out;
        UpdateSettingRecord updateOut;
        // A check box changed but not confirmed is read with the language.
        page->startOnBootBox()->setChecked(false);
        container.readSettings(out, updateOut);
        QCOMPARE(out.Language, QStringLiteral("lang_ch"));
        QVERIFY(!out.StartOnBoot);
        page->pageEffectCombo()->setCurrentIndex(0);
        QCOMPARE(effect.count(), 1);
        page->refreshTimeCombo()->setCurrentIndex(3);
        QCOMPARE(refresh.count(), 1);
        container.readSettings(out, updateOut);
        QCOMPARE(out.RefreshTimeOfMonitor, 10);
        QTest::mouseClick(page->detectUpdateButton(), Qt::LeftButton);
        QCOMPARE(detect.count(), 1);
        // Check boxes and radios report nothing by themselves.
        page->notifyRadio()->setChecked(true);
        page->minimizeOnStartBox()->setChecked(true);
        QCOMPARE(language.count() + effect.count() + refresh.count() + detect.count(), 4);
    }

    void containerTakesTheImagesShape()
    {
        Korvo_SettingParentWidget container { GeneralSettingRecord(), UpdateSettingRecord() };
        QCOMPARE(container.size(), QSize(511, 466));
        QVERIFY(!container.mask().isEmpty());
        QVERIFY(container.mask().contains(QPoint(255, 233)));
        QCOMPARE(container.pageX(), 511);
        QVERIFY(!container.isOpen());
        QCOMPARE(container.page()->pos(), QPoint(511, 0));
    }

    void slideMovesThirtyPixelsAStepAndTurnsRound()
    {
        QWidget window;
        window.resize(800, 507);
        Korvo_SettingParentWidget container(GeneralSettingRecord(), UpdateSettingRecord(), &window);
        container.hide();
        window.show();
        container.setShowSettingWidget(true);
        QVERIFY(container.isOpen());
        QVERIFY(container.isSliding());
        // Step by step through the timer's slot, then in real time.
        container.onSettingTimerTimeout();
        QVERIFY(container.isVisible());
        QCOMPARE(container.pageX(), 481);
        QCOMPARE(container.page()->x(), 481);
        container.onSettingTimerTimeout();
        QCOMPARE(container.pageX(), 451);
        // Closing mid-slide turns round from where the page is.
        container.setShowSettingWidget(false);
        container.onSettingTimerTimeout();
        QCOMPARE(container.pageX(), 481);
        container.setShowSettingWidget(true);
        QTRY_VERIFY(!container.isSliding());
        QCOMPARE(container.pageX(), 0);
        QCOMPARE(container.page()->pos(), QPoint(0, 0));
        QVERIFY(container.isVisible());

        container.setShowSettingWidget(false);
        QTRY_VERIFY(!container.isSliding());
        QCOMPARE(container.pageX(), 511);
        QVERIFY(!container.isVisible());
    }

    void slideTakesEighteenSteps()
    {
        Korvo_SettingParentWidget container { GeneralSettingRecord(), UpdateSettingRecord() };
        container.setShowSettingWidget(true);
        int steps = 0;
        while (container.isSliding() && steps < 100) {
            container.onSettingTimerTimeout();
            ++steps;
        }
        // 511 px at 30 px a step: 17 steps leave 1 px, the eighteenth lands on 0.
        QCOMPARE(steps, 18);
        QCOMPARE(container.pageX(), 0);
    }
};

QTEST_MAIN(TestSettingWidget)
#include "tst_settingwidget.moc"
