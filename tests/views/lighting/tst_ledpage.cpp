#include "gpucontroller.h"
#include "korvo_colorbutton.h"
#include "korvo_colorbuttongroup.h"
#include "korvo_colorpalettebox.h"
#include "korvo_ledcontrolwidget.h"
#include "korvo_sendcolortoled.h"
#include "ledtestsupport.h"
#include "modifyspinbox.h"
#include "nvapiids.h"
#include "simulatedcard.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using Page = Korvo_LEDControlWidget;

// The LED page against the simulated lighting controller: the packets of each effect, the page's state
// rules, and the mended faults.
class TestLedPage : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<SimulatedCard> m_card;
    std::unique_ptr<GpuController> m_controller;
    std::unique_ptr<Korvo_SendColorToLed> m_sender;

    void setKind(int kind)
    {
        sim().editCard(0, [kind](SimCardConfig &card) { card.ledKind = static_cast<NvU8>(kind); });
    }

    std::unique_ptr<Page> makePage() { return std::make_unique<Page>(m_controller.get(), m_sender.get()); }
    std::unique_ptr<Page> makePage(const LedRecord &record)
    {
        return std::make_unique<Page>(m_controller.get(), m_sender.get(), record);
    }

    static LedRecord record(int mode, quint8 presets, quint8 customs, int interval = 2)
    {
        LedRecord r;
        r.LedMode = mode;
        r.CheckedColorButtonStatic = presets;
        r.CheckedColorButtonDynamic = customs;
        r.Interval = interval;
        return r;
    }

    static void click(Korvo_ColorButton *button) { button->onTimeOut(); }

    static std::vector<NvU8> rgb(const QColor &c)
    {
        return { NvU8(c.red()), NvU8(c.green()), NvU8(c.blue()) };
    }

    static bool anyVisibleRadioChecked(const Page &page)
    {
        for (int m = 0; m < Page::ModeCount; ++m) {
            QRadioButton *r = page.radio(Page::Mode(m));
            if (!r->isHidden() && r->isChecked())
                return true;
        }
        return false;
    }

    static bool controlsEnabled(const Page &page)
    {
        bool all = page.resetButton()->isEnabled() && page.intervalBox()->isEnabled();
        for (int i = 0; i < 14; ++i)
            all = all && page.colorButton(i)->isEnabled();
        return all;
    }
    static bool controlsDisabled(const Page &page)
    {
        bool none = !page.resetButton()->isEnabled() && !page.intervalBox()->isEnabled();
        for (int i = 0; i < 14; ++i)
            none = none && !page.colorButton(i)->isEnabled();
        return none;
    }

private slots:
    void init()
    {
        m_card = std::make_unique<SimulatedCard>(SimulatedCard::Dynamics::Frozen);
        sim().setTemperature(0, 45);
        m_controller = std::make_unique<GpuController>();
        m_sender = std::make_unique<Korvo_SendColorToLed>(m_controller.get());
        sim().clearI2cLog();
    }
    void cleanup()
    {
        m_sender.reset();
        m_controller.reset();
        m_card.reset();
    }

    // --- packets -------------------------------------------------------------------------------------

    void ledOffIsTheFiveBytePacketAfter100Ms()
    {
        auto page = makePage();
        sim().clearI2cLog();
        QElapsedTimer timer;
        timer.start();
        page->radio(Page::LedOff)->setChecked(true);
        QVERIFY(timer.elapsed() >= 100);
        QCOMPARE(hex(lastLedWrite()), hex({ 0x05, 0x00, 0x00, 0x0A, 0xF0 }));
        QCOMPARE(ledWrites().size(), std::size_t(1));
    }

    void gradientIsCommand4With50And2()
    {
        auto page = makePage();
        QVERIFY(!page->radio(Page::Gradient)->isHidden());
        sim().clearI2cLog();
        page->radio(Page::Gradient)->setChecked(true);
        QCOMPARE(hex(lastLedWrite()), hex(ledPacket(4, 50, 2, {})));
    }

    void singleBreathSendsTheLastColourWithTheInterval()
    {
        auto page = makePage(record(Page::SingleBreath, 0x04, 0, 5));
        QVERIFY(ledWrites().empty());
        page->intervalBox()->setValue(9);
        QCOMPARE(hex(lastLedWrite()), hex(ledPacket(1, 50, 9, { 255, 255, 0 })));
    }

    void singleBrightIs0With50And2()
    {
        auto page = makePage(record(Page::SingleBright, 0x08, 0, 7));
        click(page->colorButton(5));
        QCOMPARE(hex(lastLedWrite()), hex(ledPacket(0, 50, 2, { 0, 0, 255 })));
    }

    void severalBrightSendsAllColoursOldestFirst()
    {
        auto page = makePage(record(Page::MultipleBright, 0, 0, 3));
        click(page->colorButton(6));
        click(page->colorButton(1));
        click(page->colorButton(3));
        QCOMPARE(hex(lastLedWrite()), hex(ledPacket(2, 50, 3, { 139, 0, 255, 255, 165, 0, 0, 255, 0 })));
    }

    void severalBreathIsCommand1()
    {
        auto page = makePage(record(Page::MultipleBreath, 0x03, 0, 4));
        page->intervalBox()->setValue(6);
        // Presets are requested in order, so red was checked first.
        QCOMPARE(hex(lastLedWrite()), hex(ledPacket(1, 50, 6, { 255, 0, 0, 255, 165, 0 })));
    }

    void noColourCollectedSendsRed()
    {
        auto page = makePage(record(Page::MultipleBreath, 0, 0, 2));
        QVERIFY(page->group()->checkedButtons().isEmpty());
        page->intervalBox()->setValue(3);
        QCOMPARE(hex(lastLedWrite()), hex(ledPacket(1, 50, 3, { 255, 0, 0 })));
    }

    void eighthColourUnchecksTheOldestAndSevenGoOut()
    {
        auto page = makePage(record(Page::MultipleBreath, 0x01, 0, 2));
        for (int i = 1; i < 7; ++i)
            click(page->colorButton(i));
        click(page->customButton(0));
        QVERIFY(!page->colorButton(0)->isChecked());
        QCOMPARE(page->group()->checkedButtons().size(), 7);
        std::vector<NvU8> payload;
        for (int i = 1; i < 7; ++i) {
            const auto c = rgb(Page::presetColor(i));
            payload.insert(payload.end(), c.begin(), c.end());
        }
        payload.insert(payload.end(), { 255, 255, 255 });
        QCOMPARE(hex(lastLedWrite()), hex(ledPacket(1, 50, 2, payload)));
        QCOMPARE(lastLedWrite().size(), std::size_t(26));
    }

    void destructionOnKind3SetsTheStoreBit()
    {
        auto page = makePage(record(Page::MultipleBright, 0x05, 0, 4));
        sim().clearI2cLog();
        page.reset();
        QCOMPARE(hex(lastLedWrite()), hex(ledPacket(2, 50, 4, { 255, 0, 0, 255, 255, 0 }, true)));
        QVERIFY(lastLedWrite()[0] & 0x80);
    }

    void destructionOnOtherKindsSendsNothing()
    {
        setKind(0);
        auto page = makePage(record(Page::MultipleBright, 0x05, 0, 4));
        QCOMPARE(page->controllerKind(), 0);
        sim().clearI2cLog();
        page.reset();
        QVERIFY(ledWrites().empty());
    }

    // --- page state ------------------------------------------------------------------------------------

    void buildingSendsNothing_data()
    {
        QTest::addColumn<int>("mode");
        for (int mode : { 0, 1, 2, 3, 5, 6, 9 })
            QTest::newRow(qPrintable(QString::number(mode))) << mode;
    }
    void buildingSendsNothing()
    {
        QFETCH(int, mode);
        auto page = makePage(record(mode, 0x11, 0x02, 5));
        auto defaults = makePage();
        QTest::qWait(50);
        QVERIFY2(ledWrites().empty(), hex(lastLedWrite()).constData());
    }

    void defaultStateIsSingleBreathRedInterval2()
    {
        auto page = makePage();
        QVERIFY(page->radio(Page::SingleBreath)->isChecked());
        QVERIFY(!anyVisibleRadioChecked(*page));
        QCOMPARE(page->group()->checkedButtons(), QList<Korvo_ColorButton *>({ page->colorButton(0) }));
        QCOMPARE(page->intervalBox()->value(), 2);
        const LedRecord r = page->currentLedRecord();
        QCOMPARE(r.LedMode, 0);
        QCOMPARE(int(r.CheckedColorButtonStatic), 1);
        QCOMPARE(int(r.CheckedColorButtonDynamic), 0);
        QCOMPARE(r.Color1, 0xFFFFFFFFu);
    }

    void theOnlyCheckedColourStaysCheckedAndStillSends()
    {
        auto page = makePage(record(Page::MultipleBreath, 0x10, 0, 2));
        click(page->colorButton(4));
        QVERIFY(page->colorButton(4)->isChecked());
        QCOMPARE(hex(lastLedWrite()), hex(ledPacket(1, 50, 2, { 0, 127, 255 })));
    }

    void storedSingleModeWithSeveralColoursKeepsOne()
    {
        auto page = makePage(record(Page::SingleBright, 0x05, 0x03, 2));
        const auto checked = page->group()->checkedButtons();
        QCOMPARE(checked, QList<Korvo_ColorButton *>({ page->colorButton(2) }));
        int shownChecked = 0;
        for (int i = 0; i < 14; ++i)
            shownChecked += page->colorButton(i)->isChecked() ? 1 : 0;
        QCOMPARE(shownChecked, 1);
    }

    void doubleClickNeitherTogglesNorSends()
    {
        auto page = makePage(record(Page::MultipleBreath, 0x01, 0, 2));
        page->resize(400, 400);
        page->setAttribute(Qt::WA_DontShowOnScreen);
        page->show();
        Korvo_ColorButton *green = page->colorButton(3);
        QTest::mouseDClick(green, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
        QTest::qWait(Korvo_ColorButton::ClickDelayMs + 150);
        QVERIFY(!green->isChecked());
        QVERIFY(ledWrites().empty());
    }

    void offGradientAndStateDisableTheColourControls_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("LED Off") << int(Page::LedOff);
        QTest::newRow("Gradient") << int(Page::Gradient);
        QTest::newRow("State-Display") << int(Page::StateDisplay);
    }
    void offGradientAndStateDisableTheColourControls()
    {
        QFETCH(int, mode);
        auto page = makePage(record(Page::MultipleBreath, 0x01, 0, 2));
        QVERIFY(controlsEnabled(*page));
        page->radio(Page::Mode(mode))->setChecked(true);
        QVERIFY(controlsDisabled(*page));
        page->radio(Page::MultipleBright)->setChecked(true);
        QVERIFY(controlsEnabled(*page));
        // A stored record of the mode starts disabled too.
        auto stored = makePage(record(mode, 0x01, 0, 2));
        QVERIFY(controlsDisabled(*stored));
    }

    void intervalBoxOffers2To16_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("shown");
        QTest::newRow("0") << 0 << 2;
        QTest::newRow("1") << 1 << 2;
        QTest::newRow("9") << 9 << 9;
        QTest::newRow("40") << 40 << 16;
        QTest::newRow("-1 (unsigned)") << -1 << 16;
    }
    void intervalBoxOffers2To16()
    {
        QFETCH(int, stored);
        QFETCH(int, shown);
        auto page = makePage(record(Page::MultipleBreath, 0x01, 0, stored));
        QCOMPARE(page->intervalBox()->minimum(), 2);
        QCOMPARE(page->intervalBox()->maximum(), 16);
        QCOMPARE(page->intervalBox()->value(), shown);
        QCOMPARE(page->currentLedRecord().Interval, shown);
        click(page->colorButton(0)); // sends with the stored interval
        QCOMPARE(int(lastLedWrite().at(3)), shown);
    }

    void resetWithOnlyPresetsRepaintsWhiteAndSendsNothing()
    {
        LedRecord r = record(Page::MultipleBreath, 0x06, 0, 2);
        r.Color1 = 0xFF102030;
        r.Color7 = 0x00405060;
        auto page = makePage(r);
        QCOMPARE(page->customButton(0)->color(), QColor(0x10, 0x20, 0x30));
        QCOMPARE(page->customButton(6)->color(), QColor(0x40, 0x50, 0x60));
        QSignalSpy palette(page.get(), &Page::colorButtonHasDoubleClick);
        page->onResetButtonClick();
        for (int i = 0; i < 7; ++i)
            QCOMPARE(page->customButton(i)->color(), QColor(255, 255, 255));
        QVERIFY(ledWrites().empty());
        QCOMPARE(palette.count(), 1);
        QCOMPARE(palette.last().at(0).value<QColor>(), QColor(255, 0, 0));
        QVERIFY(page->radio(Page::MultipleBreath)->isChecked());
    }

    void resetWithACustomColourGoesBackToRedBreath()
    {
        LedRecord r = record(Page::MultipleBright, 0x02, 0x01, 5);
        r.Color1 = 0xFF00FF00;
        auto page = makePage(r);
        page->onResetButtonClick();
        QVERIFY(page->radio(Page::SingleBreath)->isChecked());
        QCOMPARE(page->group()->checkedButtons(), QList<Korvo_ColorButton *>({ page->colorButton(0) }));
        QCOMPARE(hex(lastLedWrite()), hex(ledPacket(1, 50, 5, { 255, 0, 0 })));
        QCOMPARE(ledWrites().size(), std::size_t(1));
    }

    void storedSingleModesCheckNoVisibleRadio_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("0") << 0;
        QTest::newRow("1") << 1;
    }
    void storedSingleModesCheckNoVisibleRadio()
    {
        QFETCH(int, mode);
        auto page = makePage(record(mode, 0x01, 0, 2));
        QVERIFY(page->radio(Page::Mode(mode))->isChecked());
        QVERIFY(page->radio(Page::Mode(mode))->isHidden());
        QVERIFY(!anyVisibleRadioChecked(*page));
        QCOMPARE(page->currentLedRecord().LedMode, mode);
    }

    void storedGradientOnOtherKindBecomesBreathAndIsSent()
    {
        setKind(1);
        auto page = makePage(record(Page::Gradient, 0x08, 0, 6));
        QCOMPARE(page->controllerKind(), 1);
        QVERIFY(page->radio(Page::Gradient)->isHidden());
        QVERIFY(page->radio(Page::SingleBreath)->isChecked());
        QVERIFY(controlsEnabled(*page));
        QCOMPARE(ledWrites().size(), std::size_t(1));
        QCOMPARE(hex(lastLedWrite()), hex(ledPacket(1, 50, 6, { 0, 255, 0 })));
        QCOMPARE(page->currentLedRecord().LedMode, 0);
    }

    void failedStateReadLeavesKind0()
    {
        sim().failCalls(NvApiId::I2cRead, -1);
        sim().failCalls(NvApiId::I2cReadEx, -1);
        auto page = makePage(record(Page::Gradient, 0x01, 0, 2));
        sim().clearFaults();
        QCOMPARE(page->controllerKind(), 0);
        QVERIFY(page->radio(Page::Gradient)->isHidden());
    }

    void recordRoundTrips()
    {
        LedRecord r = record(Page::MultipleBright, 0x41, 0x05, 11);
        r.Color1 = 0xFF010203;
        r.Color3 = 0x00AABBCC;
        auto page = makePage(r);
        const LedRecord back = page->currentLedRecord();
        QCOMPARE(back.LedMode, 3);
        QCOMPARE(int(back.CheckedColorButtonStatic), 0x41);
        QCOMPARE(int(back.CheckedColorButtonDynamic), 0x05);
        QCOMPARE(back.Interval, 11);
        QCOMPARE(back.Color1, 0xFF010203u);
        QCOMPARE(back.Color3, 0xFFAABBCCu);
        QCOMPARE(back.Color2, 0xFFFFFFFFu);
        auto off = makePage(record(42, 0x01, 0, 2));
        QCOMPARE(off->currentLedRecord().LedMode, 6);
    }

    void titleAndTextsComeFromTheTable()
    {
        auto page = makePage();
        Lang_LedControl texts;
        texts.light = QStringLiteral("Light");
        texts.ledOff = QStringLiteral("LED Off");
        texts.reset = QStringLiteral("Reset");
        page->setLanguageTexts(texts, English);
        QCOMPARE(page->titleText(), QStringLiteral("Light"));
        QCOMPARE(page->radio(Page::LedOff)->text(), QStringLiteral("LED Off"));
        QCOMPARE(page->resetButton()->toolTip(), QStringLiteral("Reset"));
        QCOMPARE(page->resetButton()->objectName(), QStringLiteral("ResetDynamicColors"));
    }

    void backgroundFillsTheTitleBand()
    {
        auto page = makePage();
        page->resize(400, 300);
        page->setAttribute(Qt::WA_DontShowOnScreen);
        page->show();
        QImage image(page->size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        page->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        // Highlight (252, 10, 53) at alpha 60 twice in the band, once below; nothing in the cut corner.
        QVERIFY2(qAlpha(image.pixel(380, 5)) > qAlpha(image.pixel(380, 200)),
            qPrintable(
                QStringLiteral("%1 %2").arg(qAlpha(image.pixel(380, 5))).arg(qAlpha(image.pixel(380, 200)))));
        QVERIFY(qAlpha(image.pixel(380, 200)) > 40);
        QCOMPARE(qAlpha(image.pixel(398, 298)), 0);
        // The colour buttons sit on rows 2.5 and 3.5 of the six below the band.
        QCOMPARE(page->colorButton(0)->geometry(), QRect(60, 130, 30, 30));
        QCOMPARE(page->customButton(6)->geometry(), QRect(60 + 6 * 40, 170, 30, 30));
        QCOMPARE(page->resetButton()->geometry(), QRect(60 + 7 * 40, 170, 30, 30));
    }

    // --- mended faults ---------------------------------------------------------------------------------

    void customButtonClickKeepsItsOwnColour()
    {
        auto page = makePage(record(Page::MultipleBreath, 0x01, 0, 2));
        Korvo_ColorPaletteBox palette;
        palette.resize(300, 300);
        connect(page.get(), &Page::colorButtonHasDoubleClick, &palette, &Korvo_ColorPaletteBox::adjustColor);
        connect(&palette, &Korvo_ColorPaletteBox::colorChanged, page.get(),
            &Page::setCurrentBindColorCircleButtonColor);
        QSignalSpy answers(&palette, &Korvo_ColorPaletteBox::colorChanged);
        click(page->customButton(0));
        QVERIFY(!answers.isEmpty()); // the palette did move and answer
        QCOMPARE(page->boundButton(), page->customButton(0));
        QCOMPARE(page->customButton(0)->color(), QColor(255, 255, 255));
        QVERIFY(!page->colorSendPending());
        QCOMPARE(hex(lastLedWrite()), hex(ledPacket(1, 50, 2, { 255, 0, 0, 255, 255, 255 })));
        QCOMPARE(page->currentLedRecord().Color1, 0xFFFFFFFFu);
        // A real pick afterwards still recolours the button and is sent 500 ms later.
        sim().clearI2cLog();
        palette.adjustColor(QColor(0, 0, 255));
        QCOMPARE(page->customButton(0)->color(), QColor(0, 0, 255));
        QVERIFY(page->colorSendPending());
        QVERIFY(ledWrites().empty());
        QVERIFY(waitForLedWrites(1, 2000));
        QCOMPARE(hex(lastLedWrite()), hex(ledPacket(1, 50, 2, { 255, 0, 0, 0, 0, 255 })));
    }

    void paletteResizeAfterTheFirstDoesNotRecolourTheBoundButton()
    {
        auto page = makePage(record(Page::MultipleBreath, 0x01, 0x01, 2));
        Korvo_ColorPaletteBox palette;
        connect(&palette, &Korvo_ColorPaletteBox::colorChanged, page.get(),
            &Page::setCurrentBindColorCircleButtonColor);
        palette.setAttribute(Qt::WA_DontShowOnScreen);
        palette.resize(300, 300);
        palette.show();
        click(page->customButton(0)); // binds it (and unchecks it: another colour stays)
        click(page->customButton(0)); // checks it again
        QVERIFY(page->customButton(0)->isChecked());
        sim().clearI2cLog();
        palette.resize(280, 280);
        QCoreApplication::processEvents();
        QCOMPARE(page->customButton(0)->color(), QColor(255, 255, 255));
        QVERIFY(!page->colorSendPending());
        QTest::qWait(Page::ColorSendDelayMs + 100);
        QVERIFY(ledWrites().empty());
    }

    void storedStateDisplayStartsTheSender()
    {
        auto page = makePage(record(Page::StateDisplay, 0x01, 0, 2));
        QVERIFY(page->radio(Page::StateDisplay)->isChecked());
        QVERIFY(m_sender->isRunning());
        QVERIFY(waitForLedWrites(1));
        QCOMPARE(hex(ledWrites().front()), hex(ledPacket(1, 50, 4, { 0, 255, 0 })));
    }

    void destructionInStateDisplayStartsNoThread()
    {
        auto page = makePage(record(Page::MultipleBreath, 0x01, 0, 2));
        page->radio(Page::StateDisplay)->setChecked(true);
        QVERIFY(waitForLedWrites(1));
        QVERIFY(m_sender->stopWithin(3000));
        sim().clearI2cLog();
        page.reset();
        QVERIFY(!m_sender->isRunning());
        QVERIFY(ledWrites().empty());
    }

    void aStuckSenderCostsOneCommandNotTheWindow()
    {
        auto page = makePage(record(Page::MultipleBreath, 0x01, 0, 2));
        sim().holdNextCall(NvApiId::I2cWrite);
        page->radio(Page::StateDisplay)->setChecked(true);
        QVERIFY(sim().waitUntilHeld(NvApiId::I2cWrite));
        QElapsedTimer timer;
        timer.start();
        page->radio(Page::LedOff)->setChecked(true);
        const qint64 waited = timer.elapsed();
        sim().releaseHeldCall(NvApiId::I2cWrite);
        // The sender's own stop request and the page's bounded wait, then the command is dropped.
        QVERIFY2(waited >= Page::SenderStopWaitMs && waited < 7000, qPrintable(QString::number(waited)));
        for (const auto &write : ledWrites())
            QVERIFY(write != ledPacket(0, 0, 10, {}));
        QTRY_VERIFY(!m_sender->isRunning());
        // The next choice goes out as usual.
        page->radio(Page::Gradient)->setChecked(true);
        QCOMPARE(hex(lastLedWrite()), hex(ledPacket(4, 50, 2, {})));
    }

    void leavingStateDisplayStopsTheSender()
    {
        auto page = makePage(record(Page::MultipleBreath, 0x01, 0, 2));
        page->radio(Page::StateDisplay)->setChecked(true);
        QVERIFY(m_sender->isRunning());
        QVERIFY(waitForLedWrites(1));
        page->radio(Page::MultipleBright)->setChecked(true);
        QVERIFY(!m_sender->isRunning());
        QCOMPARE(hex(lastLedWrite()), hex(ledPacket(2, 50, 2, { 255, 0, 0 })));
    }

    void withoutControllerNothingHappens()
    {
        Page page(nullptr, nullptr);
        page.radio(Page::LedOff)->setChecked(true);
        page.setCurrentBindColorCircleButtonColor(Qt::blue);
        QCOMPARE(page.controllerKind(), 0);
        QVERIFY(ledWrites().empty());
    }
};

QTEST_MAIN(TestLedPage)
#include "tst_ledpage.moc"
