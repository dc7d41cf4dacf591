#include "cardsession.h"
#include "configstore.h"
#include "inprocessdriver.h"
#include "korvo_colorbutton.h"
#include "korvo_colorpalettebox.h"
#include "korvo_ledcontrolwidget.h"
#include "korvo_messagebox.h"
#include "korvo_trianglebutton.h"
#include "lumetra2.h"
#include "lumetraresources.h"
#include "mainwindowfixture.h"
#include "modifyspinbox.h"
#include "rollstackwidget.h"
#include "simdriver.h"

#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The LED page and its palette in the main window: made for cards with a lighting controller, started from
// the stored record, given their texts, placed in the page and circle areas, and stored at close.
class TestMainWindowLed : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> m_fixture;

    static Korvo_LEDControlWidget *ledPage(const Lumetra2 &window, int card = 0)
    {
        return window.session(card)->pages().ledPage.data();
    }
    static Korvo_ColorPaletteBox *palette(const Lumetra2 &window, int card = 0)
    {
        return window.session(card)->pages().colorPalette.data();
    }

    /// Shows the window and opens its LED tab, the page rolled in.
    static bool openLedPage(Lumetra2 &window, Korvo_LEDControlWidget *&page)
    {
        window.show();
        page = ledPage(window);
        if (!QTest::qWaitForWindowExposed(&window) || !page)
            return false;
        window.findChild<QPushButton *>(QStringLiteral("btnFirstTab"))->click();
        for (int i = 0; i < 200 && window.isCircleMoving(); ++i)
            window.onMoveCircleWidgetTimerTimeout();
        return true;
    }

    void seed(bool applyLast, const QString &language, const LedRecord *led)
    {
        QVERIFY(MainWindowFixture::seedConfig([&](ConfigStore &store) {
            GeneralSettingRecord general = MainWindowFixture::general(language);
            general.ApplyLastParamOnStart = applyLast;
            store.setGeneralSetting(general);
            store.setNotPromptHPS(true);
            if (led)
                store.setLedRecord(
                    QStringLiteral("GeForce GTX 1070 Ti"), sim().cardConfig(0).subsystemId, *led);
        }));
    }

    static SimDriver &sim() { return SimDriver::instance(); }

private slots:
    void initTestCase() { initLumetraResources(); }

    void init()
    {
        m_fixture = std::make_unique<MainWindowFixture>();
        QVERIFY(m_fixture->isValid());
    }

    void cleanup() { m_fixture.reset(); }

    void ledTabShowsThePageAndThePalette()
    {
        seed(true, QStringLiteral("lang_en"), nullptr);
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        window.show();
        Korvo_LEDControlWidget *page = ledPage(window);
        Korvo_ColorPaletteBox *box = palette(window);
        QVERIFY(page && box);
        QCOMPARE(page->controllerKind(), 3);
        QVERIFY(!page->radio(Korvo_LEDControlWidget::Gradient)->isHidden());
        QCOMPARE(box->ringImage().size(), QSize(476, 476));
        window.findChild<QPushButton *>(QStringLiteral("btnFirstTab"))->click();
        for (int i = 0; i < 200 && window.isCircleMoving(); ++i)
            window.onMoveCircleWidgetTimerTimeout();
        QCOMPARE(window.circleArea()->currentWidget(), box);
        QVERIFY(page->isVisible());
        QVERIFY(box->isVisible());
        // The page's request moves the palette; the palette's picks reach the page's bound button.
        page->customButton(2)->onTimeOut();
        QCOMPARE(page->boundButton(), page->customButton(2));
        QCOMPARE(box->marker()->hue(), 359.0);
        box->adjustColor(QColor(0, 255, 0));
        QCOMPARE(page->customButton(2)->color(), QColor(0, 255, 0));
    }

    // Enter in the interval field confirms the number and nothing else: no button of the window is
    // pressed (the dialog's default button was the page's Reset), the colours and the mode stay.
    void enterInANumberFieldPressesNoButton()
    {
        seed(true, QStringLiteral("lang_en"), nullptr);
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        Korvo_LEDControlWidget *page = nullptr;
        QVERIFY(openLedPage(window, page));
        QTRY_VERIFY(page->isVisible() && page->resetButton()->isVisible());
        page->radio(Korvo_LEDControlWidget::MultipleBright)->setChecked(true);
        const LedRecord before = page->currentLedRecord();
        QList<QSignalSpy *> spies;
        for (QPushButton *button : window.findChildren<QPushButton *>())
            spies << new QSignalSpy(button, &QPushButton::clicked);
        page->intervalBox()->setFocus();
        page->intervalBox()->selectAll();
        QTest::keyClicks(page->intervalBox(), QStringLiteral("9"));
        for (int key : { Qt::Key_Return, Qt::Key_Enter })
            QTest::keyClick(page->intervalBox(), Qt::Key(key));
        for (QSignalSpy *spy : qAsConst(spies))
            QCOMPARE(spy->count(), 0);
        qDeleteAll(spies);
        const LedRecord after = page->currentLedRecord();
        QCOMPARE(page->intervalBox()->value(), 9);
        QCOMPARE(after.LedMode, before.LedMode);
        QCOMPARE(after.CheckedColorButtonStatic, before.CheckedColorButtonStatic);
        QCOMPARE(after.CheckedColorButtonDynamic, before.CheckedColorButtonDynamic);
        QVERIFY(page->radio(Korvo_LEDControlWidget::MultipleBright)->isChecked());
    }

    // What the page shows must be what the card does: single-colour "Breath" (the default, and what Reset
    // runs) has no radio of its own on screen, so "Breath" looks chosen for it, and stops looking so once
    // another mode runs. In "LED Off" the interval field looks disabled, not just acts so.
    void chosenModeAndDisabledFieldsShowOnScreen()
    {
        seed(true, QStringLiteral("lang_en"), nullptr);
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        Korvo_LEDControlWidget *page = nullptr;
        QVERIFY(openLedPage(window, page));
        QTRY_VERIFY(page->isVisible());
        QRadioButton *breath = page->radio(Korvo_LEDControlWidget::MultipleBreath);
        QRadioButton *bright = page->radio(Korvo_LEDControlWidget::MultipleBright);
        QVERIFY(page->radio(Korvo_LEDControlWidget::SingleBreath)->isChecked());
        // The indicator: the radio's left end.
        const auto indicator
            = [](QRadioButton *radio) { return radio->grab().toImage().copy(0, 0, 20, radio->height()); };
        const QImage singleBreathRuns = indicator(breath);
        const QImage idle = indicator(bright);
        QVERIFY(singleBreathRuns != idle);

        bright->setChecked(true);
        QCOMPARE(indicator(bright), singleBreathRuns);
        QCOMPARE(indicator(breath), idle);

        const QImage intervalEnabled = page->intervalBox()->grab().toImage();
        page->radio(Korvo_LEDControlWidget::LedOff)->setChecked(true);
        QVERIFY(!page->intervalBox()->isEnabled());
        QVERIFY(page->intervalBox()->grab().toImage() != intervalEnabled);
        // The palette beside it changes nothing in this mode: it looks and acts disabled too.
        QVERIFY(!palette(window)->isEnabled());
        page->radio(Korvo_LEDControlWidget::MultipleBreath)->setChecked(true);
        QVERIFY(palette(window)->isEnabled());
    }

    void storedModeWithoutColoursStartsWithTheDisabledPalette()
    {
        LedRecord gradient;
        gradient.LedMode = Korvo_LEDControlWidget::Gradient;
        seed(true, QStringLiteral("lang_en"), &gradient);
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        QVERIFY(ledPage(window)->radio(Korvo_LEDControlWidget::Gradient)->isChecked());
        QVERIFY(!palette(window)->isEnabled());
    }

    void textsComeFromTheTableInBothLanguages()
    {
        for (const auto &language : { qMakePair(QStringLiteral("lang_en"), QStringLiteral("Light")),
                 qMakePair(QStringLiteral("lang_ch"), QStringLiteral("灯效")) }) {
            seed(true, language.first, nullptr);
            Lumetra2 window;
            QVERIFY(MainWindowFixture::waitForCardStartUp(window));
            QCOMPARE(ledPage(window)->titleText(), language.second);
        }
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        QCOMPARE(
            ledPage(window)->radio(Korvo_LEDControlWidget::StateDisplay)->text(), QStringLiteral("状态显示"));
    }

    void storedRecordOnlyWithApplyLast()
    {
        LedRecord led;
        led.LedMode = Korvo_LEDControlWidget::MultipleBright;
        led.CheckedColorButtonStatic = 0x06;
        led.Interval = 9;
        seed(true, QStringLiteral("lang_en"), &led);
        {
            Lumetra2 window;
            QVERIFY(MainWindowFixture::waitForCardStartUp(window));
            QCOMPARE(ledPage(window)->intervalBox()->value(), 9);
            QVERIFY(ledPage(window)->radio(Korvo_LEDControlWidget::MultipleBright)->isChecked());
        }
        seed(false, QStringLiteral("lang_en"), &led);
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        QCOMPARE(ledPage(window)->intervalBox()->value(), 2);
        QVERIFY(ledPage(window)->radio(Korvo_LEDControlWidget::SingleBreath)->isChecked());
    }

    void closingStoresTheLedRecord()
    {
        seed(false, QStringLiteral("lang_en"), nullptr);
        {
            Lumetra2 window;
            QVERIFY(MainWindowFixture::waitForCardStartUp(window));
            window.show();
            Korvo_LEDControlWidget *page = ledPage(window);
            page->radio(Korvo_LEDControlWidget::MultipleBreath)->setChecked(true);
            page->colorButton(5)->onTimeOut();
            page->intervalBox()->setValue(12);
            window.close();
        }
        ConfigStore saved;
        QVERIFY(saved.load());
        LedRecord read;
        QVERIFY(
            saved.getLedRecord(QStringLiteral("GeForce GTX 1070 Ti"), sim().cardConfig(0).subsystemId, read));
        QCOMPARE(read.LedMode, 2);
        QCOMPARE(int(read.CheckedColorButtonStatic), 0x21);
        QCOMPARE(read.Interval, 12);
        QCOMPARE(read.Color1, 0xFFFFFFFFu);
    }

    void noLightingControllerNoPage()
    {
        sim().editCard(0, [](SimCardConfig &card) { card.hasLed = false; });
        seed(true, QStringLiteral("lang_en"), nullptr);
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        QVERIFY(!window.cards().first().hasLed);
        QVERIFY(!window.session(0)->pages().ledPage);
        QVERIFY(!window.session(0)->pages().colorPalette);
    }
};

QTEST_MAIN(TestMainWindowLed)
#include "tst_mainwindowled.moc"
