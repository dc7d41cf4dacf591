#include "cardprotocol.h"
#include "gpucontroller.h"
#include "korvo_globalshortcut.h"
#include "korvo_hotkeyedit.h"
#include "korvo_lcdcontrollorwidget.h"
#include "korvo_messagebox.h"
#include "korvo_sendnvinfotolcdthread.h"
#include "languagetexts.h"
#include "lcdtestsupport.h"
#include "simulatedcard.h"
#include "workertestsupport.h"

#include <QCheckBox>
#include <QImage>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QtTest>

#include <memory>

// The LCD page against the simulated card's LCD: what it shows, what Apply and Cancel do, what the feeder
// sends.
class TestLcdPage : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<SimulatedCard> m_card;
    std::unique_ptr<GpuController> m_controller;
    std::unique_ptr<Korvo_SendNvInfoToLCDThread> m_feeder;
    int m_answer = MsgBoxResultYes;
    QStringList m_boxTexts;

    std::unique_ptr<Korvo_LCDControllorWidget> makePage(const LcdRecord *record = nullptr)
    {
        if (record)
            return std::make_unique<Korvo_LCDControllorWidget>(m_feeder.get(), *record);
        return std::make_unique<Korvo_LCDControllorWidget>(m_feeder.get());
    }

    static bool buttonsShown(const Korvo_LCDControllorWidget &page)
    {
        return !page.applyButton()->isHidden() && !page.cancelButton()->isHidden();
    }
    static bool buttonsHidden(const Korvo_LCDControllorWidget &page)
    {
        return page.applyButton()->isHidden() && page.cancelButton()->isHidden();
    }

private slots:
    void init()
    {
        m_card = std::make_unique<SimulatedCard>(SimulatedCard::Dynamics::Frozen);
        m_controller = std::make_unique<GpuController>();
        QVERIFY(m_controller->isInitialized());
        m_feeder = std::make_unique<Korvo_SendNvInfoToLCDThread>(m_controller.get());
        m_answer = MsgBoxResultYes;
        m_boxTexts.clear();
        Korvo_MessageBox::setAutoAnswer([this](Korvo_MessageBox *box) {
            m_boxTexts.append(box->text());
            if (m_answer == MsgBoxResultYes || !box->noButton())
                box->yesButton()->click();
            else
                box->noButton()->click();
        });
    }

    void cleanup()
    {
        Korvo_MessageBox::setAutoAnswer(nullptr);
        m_feeder.reset();
        m_controller.reset();
        m_card.reset();
    }

    void defaults()
    {
        auto page = makePage();
        QVERIFY(page->automaticRadio()->isChecked());
        QVERIFY(!page->manualRadio()->isChecked());
        QCOMPARE(page->timeBox()->value(), 10);
        QCOMPARE(page->timeBox()->minimum(), 1);
        QCOMPARE(page->timeBox()->maximum(), 30);
        QVERIFY(page->lcdSwitch()->isChecked());
        QCOMPARE(page->lcdSwitch()->objectName(), QStringLiteral("CbLCD"));
        QCOMPARE(page->modifierEdit()->text(), QStringLiteral("Ctrl"));
        QCOMPARE(page->keyEdit()->text(), QStringLiteral("1"));
        QCOMPARE(page->currentLcdRecord(), LcdRecord());
        // Automatic: the time box is open, the hotkey edits are not, and no hotkey is registered.
        QVERIFY(page->timeBox()->isEnabled());
        QVERIFY(!page->modifierEdit()->isEnabled());
        QVERIFY(!page->keyEdit()->isEnabled());
        QVERIFY(!page->isHotKeyRegistered());
        QCOMPARE(page->hotkey()->virtualKey(), 0u);
        // The feeder runs from construction on, with the page's values.
        QVERIFY(!m_feeder->isStopped());
        QVERIFY(m_feeder->isAutoSwitch());
        QCOMPARE(m_feeder->autoSwitchPeriodMs(), 10000);
        QVERIFY(waitForCalls(NvApiId::I2cWrite, 1));
        QCOMPARE(int(sim().lastLcdFrame(0).at(3)), 0x80);
    }

    void pageStyleSheet()
    {
        auto page = makePage();
        QCOMPARE(page->styleSheet(),
            QStringLiteral("Korvo_HotKeyEdit{font-size:13px;}\t\t\t\t\t\tModifySpinBox{font-size:13px;}"));
        QCOMPARE(page->lcdSwitch()->toolTip(), QStringLiteral("开启/关闭LCD"));
        LanguageTexts english;
        english.fill(English);
        page->setLanguageTexts(english.lcdControl(), English);
        QCOMPARE(page->lcdSwitch()->toolTip(), QStringLiteral("Turn on/off LCD"));
        QCOMPARE(page->automaticRadio()->text(), QStringLiteral("Switch Automatically"));
        QCOMPARE(page->manualRadio()->text(), QStringLiteral("Switch Manually"));
        QCOMPARE(page->applyButton()->text(), QStringLiteral("Apply"));
        QCOMPARE(page->cancelButton()->text(), QStringLiteral("Cancel"));
    }

    void storedModifierZeroShowsCtrlAndStaysUntilApply()
    {
        LcdRecord stored;
        stored.ModifierKey = 0;
        auto page = makePage(&stored);
        QCOMPARE(page->modifierEdit()->text(), QStringLiteral("Ctrl"));
        QCOMPARE(page->currentLcdRecord().ModifierKey, 0u);
        page->onConfirmClick();
        QCOMPARE(page->currentLcdRecord().ModifierKey, 17u);
    }

    void storedSwitchTimeIsShownClampedAndKeptUntilApply()
    {
        LcdRecord stored;
        stored.SwitchTime = 45;
        auto page = makePage(&stored);
        QCOMPARE(page->timeBox()->value(), 30);
        QCOMPARE(page->currentLcdRecord().SwitchTime, 45u);
        QCOMPARE(m_feeder->autoSwitchPeriodMs(), 30000);
        page->onConfirmClick();
        QCOMPARE(page->currentLcdRecord().SwitchTime, 30u);
    }

    void storedKeyOutsideTheTableLeavesTheDefault()
    {
        LcdRecord stored;
        stored.NormalKey = 0;
        stored.AutoSwitch = false;
        auto page = makePage(&stored);
        QCOMPARE(page->keyEdit()->text(), QStringLiteral("0"));
        QCOMPARE(page->keyEdit()->currentKey(), 48u);
        QCOMPARE(page->currentLcdRecord().NormalKey, 0u);
        // Never registered: on X11 a grab of key 0 would take every key.
        QVERIFY(!page->isHotKeyRegistered());
        QVERIFY(!page->hotkey()->hasRegistration(0, Korvo_GlobalShortCut::ControlFlag));
    }

    void anyChangeShowsTheButtonsAndCancelRestores()
    {
        auto page = makePage();
        page->onCancelClick();
        QVERIFY(buttonsHidden(*page));
        page->timeBox()->setValue(20);
        QVERIFY(buttonsShown(*page));
        page->onCancelClick();
        QCOMPARE(page->timeBox()->value(), 10);
        QVERIFY(buttonsHidden(*page));
        QCOMPARE(m_feeder->autoSwitchPeriodMs(), 10000);

        page->manualRadio()->setChecked(true);
        QVERIFY(buttonsShown(*page));
        QVERIFY(!page->timeBox()->isEnabled());
        QVERIFY(page->keyEdit()->isEnabled());
        page->keyEdit()->setKey(116);
        page->onCancelClick();
        QVERIFY(page->automaticRadio()->isChecked());
        QCOMPARE(page->keyEdit()->text(), QStringLiteral("1"));
        QVERIFY(buttonsHidden(*page));
    }

    void cancelUnderASwitchedOffLcdLeavesEverythingDisabled()
    {
        LcdRecord stored;
        stored.EnableLcd = false;
        auto page = makePage(&stored);
        QVERIFY(!page->automaticRadio()->isEnabled());
        QVERIFY(!page->timeBox()->isEnabled());
        page->lcdSwitch()->setChecked(true);
        page->manualRadio()->setChecked(true);
        QVERIFY(page->keyEdit()->isEnabled());
        // Cancel puts the switch back first and the radio second; the radio must not open what the switch
        // closed.
        page->onCancelClick();
        QVERIFY(!page->lcdSwitch()->isChecked());
        QVERIFY(page->automaticRadio()->isChecked());
        QVERIFY(!page->automaticRadio()->isEnabled());
        QVERIFY(!page->manualRadio()->isEnabled());
        QVERIFY(!page->timeBox()->isEnabled());
        QVERIFY(!page->keyEdit()->isEnabled());
        QVERIFY(!page->modifierEdit()->isEnabled());
    }

    void refusedQuestionAppliesNothing()
    {
        auto page = makePage();
        page->timeBox()->setValue(3);
        m_answer = MsgBoxResultNo;
        page->onConfirmClick();
        QCOMPARE(m_boxTexts, QStringList { QStringLiteral("确定应用当前修改吗?") });
        QCOMPARE(page->currentLcdRecord().SwitchTime, 10u);
        QCOMPARE(m_feeder->autoSwitchPeriodMs(), 10000);
        QVERIFY(buttonsShown(*page));
    }

    // Apply acts on its press; the question box takes the release, so the button must not stay pressed.
    void applyDoesNotStayPressedAfterItsQuestion()
    {
        auto page = makePage();
        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page.get()));
        m_answer = MsgBoxResultNo;
        QTest::mousePress(page->applyButton(), Qt::LeftButton);
        QCOMPARE(m_boxTexts.size(), 1);
        QVERIFY(!page->applyButton()->isDown());
    }

    void lcdOffSendsOneOffFrameAndStopsTheFeeder()
    {
        TimeScaleGuard fast(0.01);
        auto page = makePage();
        QVERIFY(waitForCalls(NvApiId::I2cWrite, 3));
        page->lcdSwitch()->setChecked(false);
        QVERIFY(!page->automaticRadio()->isEnabled());
        QVERIFY(!page->manualRadio()->isEnabled());
        QVERIFY(!page->timeBox()->isEnabled());
        QVERIFY(!page->keyEdit()->isEnabled());
        page->onConfirmClick();
        QVERIFY(!page->currentLcdRecord().EnableLcd);
        QTRY_VERIFY(m_feeder->isStopped());
        QVERIFY(m_feeder->wait(2000));
        const std::vector<NvU8> modes = sentModes();
        QCOMPARE(int(modes.back()), int(CardProtocol::LcdOff));
        QCOMPARE(int(std::count(modes.begin(), modes.end(), CardProtocol::LcdOff)), 1);
        QTest::qWait(100);
        QCOMPARE(sentModes().size(), modes.size());

        page->lcdSwitch()->setChecked(true);
        page->onConfirmClick();
        QVERIFY(page->currentLcdRecord().EnableLcd);
        QVERIFY(!m_feeder->isStopped());
        QTRY_VERIFY(sentModes().size() > modes.size() + 2);
        QVERIFY(sentModes().back() != CardProtocol::LcdOff);
    }

    void automaticSwitchingCyclesEveryTimeBoxSeconds()
    {
        TimeScaleGuard fast(0.005);
        auto page = makePage();
        page->timeBox()->setValue(2);
        page->onConfirmClick();
        QCOMPARE(m_feeder->autoSwitchPeriodMs(), 2000);
        sim().clearI2cLog();
        QTRY_VERIFY_WITH_TIMEOUT(runsOf(sentModes()).size() >= 4, 10000);
        const auto runs = runsOf(sentModes());
        // A page stays for the period plus the frame that switches: 2 s at one frame a second is 3 frames.
        QCOMPARE(runs[1].second, 3);
        QCOMPARE(runs[2].second, 3);
        QCOMPARE(int(runs[2].first),
            int(Korvo_SendNvInfoToLCDThread::nextDisplayMode(LCDDisplayMode(runs[1].first))));
    }

    void hotkeyInAutomaticModeDoesNothing()
    {
        auto page = makePage();
        const LCDDisplayMode before = m_feeder->currentDisplayMode();
        page->onHotKeyActivated();
        QCOMPARE(m_feeder->currentDisplayMode(), before);
    }

    void gaugeChoiceReachesTheLcdAtOnce()
    {
        auto page = makePage();
        QVERIFY(waitForCalls(NvApiId::I2cWrite, 1));
        const int frames = sim().lcdFrameCount(0);
        page->setLCDCurrentDisplayMode(LcdPage20);
        QVERIFY(sim().lcdFrameCount(0) > frames);
        QCOMPARE(int(sim().lastLcdFrame(0).at(3)), 0x20);
        QCOMPARE(int(m_feeder->currentDisplayMode()), 0x20);
    }

    void withoutFeederNothingIsSent()
    {
        Korvo_LCDControllorWidget page(nullptr);
        page.setLCDCurrentDisplayMode(LcdPage40);
        page.onHotKeyActivated();
        page.timeBox()->setValue(5);
        page.onConfirmClick();
        QCOMPARE(page.currentLcdRecord().SwitchTime, 5u);
        QCOMPARE(sim().lcdFrameCount(0), 0);
    }

    void paintsTheBandAndTheCutCorner()
    {
        auto page = makePage();
        page->resize(285, 294);
        QImage image(page->size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        page->render(&image, QPoint(), QRegion(), QWidget::RenderFlags(QWidget::DrawChildren));
        // Inside the page: the highlight; the bottom right corner beyond the cut: nothing.
        const QColor body = image.pixelColor(5, page->height() / 2);
        QVERIFY(body.alpha() > 0);
        QVERIFY(body.red() > body.green());
        QCOMPARE(image.pixelColor(page->width() - 2, page->height() - 2).alpha(), 0);
        // The title band is the highlight laid twice: more opaque than the body.
        QVERIFY(image.pixelColor(page->width() - 5, 3).alpha() > body.alpha());
    }
};

QTEST_MAIN(TestLcdPage)
#include "tst_lcdpage.moc"
