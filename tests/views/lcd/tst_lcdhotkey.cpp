#include "gpucontroller.h"
#include "korvo_globalshortcut.h"
#include "korvo_hotkeyedit.h"
#include "korvo_lcdcontrollorwidget.h"
#include "korvo_messagebox.h"
#include "korvo_sendnvinfotolcdthread.h"
#include "languagetexts.h"
#include "simulatedcard.h"
#include "workertestsupport.h"

#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QtTest>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

bool press(const QString &keys)
{
    return QProcess::execute(QStringLiteral("xdotool"), { QStringLiteral("key"), keys }) == 0;
}

/// Another X client, which can hold a key combination the page then cannot have.
class OtherClient
{
public:
    OtherClient()
        : m_connection(xcb_connect(nullptr, nullptr))
    {
    }
    ~OtherClient() { xcb_disconnect(m_connection); }
    OtherClient(const OtherClient &) = delete;
    OtherClient &operator=(const OtherClient &) = delete;

    bool grabControlWith(xcb_keysym_t symbol)
    {
        if (xcb_connection_has_error(m_connection))
            return false;
        const xcb_setup_t *setup = xcb_get_setup(m_connection);
        const xcb_window_t root = xcb_setup_roots_iterator(setup).data->root;
        const xcb_keycode_t code = keyCodeOf(symbol);
        if (!code)
            return false;
        bool ok = true;
        // The lock variants too, as the program grabs them.
        for (int lock :
            { 0, int(XCB_MOD_MASK_LOCK), int(XCB_MOD_MASK_2), int(XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2) }) {
            xcb_void_cookie_t cookie = xcb_grab_key_checked(m_connection, 1, root,
                quint16(XCB_MOD_MASK_CONTROL | lock), code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
            if (xcb_generic_error_t *error = xcb_request_check(m_connection, cookie)) {
                std::free(error);
                ok = false;
            }
        }
        return ok;
    }

private:
    xcb_keycode_t keyCodeOf(xcb_keysym_t symbol)
    {
        const xcb_setup_t *setup = xcb_get_setup(m_connection);
        const int count = setup->max_keycode - setup->min_keycode + 1;
        xcb_get_keyboard_mapping_reply_t *reply = xcb_get_keyboard_mapping_reply(
            m_connection, xcb_get_keyboard_mapping(m_connection, setup->min_keycode, quint8(count)), nullptr);
        if (!reply)
            return 0;
        const xcb_keysym_t *symbols = xcb_get_keyboard_mapping_keysyms(reply);
        xcb_keycode_t found = 0;
        for (int i = 0; i < count * reply->keysyms_per_keycode && !found; ++i) {
            if (symbols[i] == symbol)
                found = xcb_keycode_t(setup->min_keycode + i / reply->keysyms_per_keycode);
        }
        std::free(reply);
        return found;
    }

    xcb_connection_t *m_connection;
};

} // namespace

// The LCD page's hotkey on a real (virtual) X server: chosen by pressing keys in the edits, registered on
// Apply, pressed anywhere with xdotool.
class TestLcdHotKey : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<SimulatedCard> m_card;
    std::unique_ptr<GpuController> m_controller;
    std::unique_ptr<Korvo_SendNvInfoToLCDThread> m_feeder;
    QStringList m_boxTexts;

    /// Types `keys` into the edit through the X server, as a user would.
    static bool typeInto(Korvo_HotKeyEdit *edit, const QString &keys)
    {
        edit->activateWindow();
        edit->setFocus();
        if (!QTest::qWaitFor([edit] { return edit->hasFocus(); }, 3000))
            return false;
        if (!press(keys))
            return false;
        QTest::qWait(200);
        return true;
    }

    std::unique_ptr<Korvo_LCDControllorWidget> shownPage(const LcdRecord &record = LcdRecord())
    {
        auto page = std::make_unique<Korvo_LCDControllorWidget>(m_feeder.get(), record);
        page->resize(285, 294);
        page->show();
        if (!QTest::qWaitForWindowExposed(page.get()))
            return nullptr;
        return page;
    }

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server");
    }

    void init()
    {
        m_card = std::make_unique<SimulatedCard>(SimulatedCard::Dynamics::Frozen);
        m_controller = std::make_unique<GpuController>();
        QVERIFY(m_controller->isInitialized());
        m_feeder = std::make_unique<Korvo_SendNvInfoToLCDThread>(m_controller.get());
        m_boxTexts.clear();
        Korvo_MessageBox::setAutoAnswer([this](Korvo_MessageBox *box) {
            m_boxTexts.append(box->text());
            box->yesButton()->click();
        });
    }

    void cleanup()
    {
        Korvo_MessageBox::setAutoAnswer(nullptr);
        m_feeder.reset();
        m_controller.reset();
        m_card.reset();
    }

    void realKeysChooseTheHotkey()
    {
        auto page = shownPage();
        QVERIFY(page);
        page->manualRadio()->setChecked(true);
        QVERIFY(typeInto(page->keyEdit(), QStringLiteral("F5")));
        QCOMPARE(page->keyEdit()->text(), QStringLiteral("F5"));
        QVERIFY(typeInto(page->keyEdit(), QStringLiteral("a")));
        QCOMPARE(page->keyEdit()->text(), QStringLiteral("A"));
        QVERIFY(typeInto(page->keyEdit(), QStringLiteral("BackSpace")));
        QCOMPARE(page->keyEdit()->text(), QStringLiteral("A"));
        QVERIFY(typeInto(page->modifierEdit(), QStringLiteral("Shift_L")));
        QCOMPARE(page->modifierEdit()->text(), QStringLiteral("Shift"));
        QVERIFY(typeInto(page->modifierEdit(), QStringLiteral("a")));
        QCOMPARE(page->modifierEdit()->text(), QStringLiteral("Shift"));
        QVERIFY(typeInto(page->modifierEdit(), QStringLiteral("Control_L")));
        QCOMPARE(page->modifierEdit()->text(), QStringLiteral("Ctrl"));
    }

    void ctrlF5SwitchesTheLcdPageAndAutomaticReleasesIt()
    {
        auto page = shownPage();
        QVERIFY(page);
        page->manualRadio()->setChecked(true);
        QVERIFY(typeInto(page->keyEdit(), QStringLiteral("F5")));
        page->onConfirmClick();
        QVERIFY(page->isHotKeyRegistered());
        QCOMPARE(page->hotkey()->currentModifierFlags(), 2u);
        QCOMPARE(page->hotkey()->virtualKey(), 116u);
        QCOMPARE(Korvo_GlobalShortCut::hotkeyId(116, 2), 118u);
        QVERIFY(page->hotkey()->hasRegistration(116, 2));
        QCOMPARE(page->currentLcdRecord().NormalKey, 116u);
        QVERIFY(!page->currentLcdRecord().AutoSwitch);
        QVERIFY(!m_feeder->isAutoSwitch());

        const LCDDisplayMode before = m_feeder->currentDisplayMode();
        QVERIFY(press(QStringLiteral("ctrl+F5")));
        QTRY_COMPARE_WITH_TIMEOUT(
            m_feeder->currentDisplayMode(), Korvo_SendNvInfoToLCDThread::nextDisplayMode(before), 3000);
        // The next frame carries the new page.
        const LCDDisplayMode now = m_feeder->currentDisplayMode();
        QTRY_COMPARE_WITH_TIMEOUT(int(sim().lastLcdFrame(0).at(3)), int(now), 3000);

        page->automaticRadio()->setChecked(true);
        page->onConfirmClick();
        QVERIFY(!page->isHotKeyRegistered());
        QVERIFY(!page->hotkey()->hasRegistration(116, 2));
        QVERIFY(m_feeder->isAutoSwitch());
        QVERIFY(press(QStringLiteral("ctrl+F5")));
        QTest::qWait(300);
        QCOMPARE(m_feeder->currentDisplayMode(), now);
        // Released at the server: another object may take the combination now.
        Korvo_GlobalShortCut other;
        QVERIFY(other.setShortcut(17, 116));
    }

    void applyingAnotherKeyReleasesTheOldOne()
    {
        LcdRecord manual;
        manual.AutoSwitch = false;
        manual.NormalKey = 116;
        auto page = shownPage(manual);
        QVERIFY(page);
        QVERIFY(page->isHotKeyRegistered());
        QVERIFY(typeInto(page->keyEdit(), QStringLiteral("F6")));
        page->onConfirmClick();
        QVERIFY(page->hotkey()->hasRegistration(117, 2));
        QVERIFY(!page->hotkey()->hasRegistration(116, 2));
        Korvo_GlobalShortCut other;
        QVERIFY(other.setShortcut(17, 116));
        QVERIFY(other.unsetShortcut());

        // One press, one switch: applying again did not add a second filter.
        page->onConfirmClick();
        const LCDDisplayMode before = m_feeder->currentDisplayMode();
        QVERIFY(press(QStringLiteral("ctrl+F6")));
        QTRY_COMPARE_WITH_TIMEOUT(
            m_feeder->currentDisplayMode(), Korvo_SendNvInfoToLCDThread::nextDisplayMode(before), 3000);
        QTest::qWait(300);
        QCOMPARE(m_feeder->currentDisplayMode(), Korvo_SendNvInfoToLCDThread::nextDisplayMode(before));
    }

    void storedManualHotkeyIsRegisteredButKeyZeroNever()
    {
        LcdRecord manual;
        manual.AutoSwitch = false;
        manual.NormalKey = 116;
        {
            auto page = shownPage(manual);
            QVERIFY(page);
            QVERIFY(page->isHotKeyRegistered());
            QVERIFY(page->hotkey()->hasRegistration(116, 2));
        }
        manual.NormalKey = 0;
        auto page = shownPage(manual);
        QVERIFY(page);
        QVERIFY(!page->isHotKeyRegistered());
        QCOMPARE(page->hotkey()->virtualKey(), 0u);
        // Nothing grabbed: a plain key still reaches the focused edit.
        page->manualRadio()->setChecked(true);
        QVERIFY(typeInto(page->keyEdit(), QStringLiteral("F7")));
        QCOMPARE(page->keyEdit()->text(), QStringLiteral("F7"));
    }

    void combinationHeldElsewhereIsReportedAndThePreviousOneKept()
    {
        LcdRecord manual;
        manual.AutoSwitch = false;
        manual.NormalKey = 116; // Ctrl+F5
        auto page = shownPage(manual);
        QVERIFY(page);
        LanguageTexts english;
        english.fill(English);
        page->setLanguageTexts(english.lcdControl(), English);
        OtherClient other;
        QVERIFY(other.grabControlWith(0xFFC3)); // F6

        page->keyEdit()->setKey(117);
        page->timeBox()->setValue(25);
        page->onConfirmClick();
        QCOMPARE(m_boxTexts,
            QStringList({ QStringLiteral("Apply these settings?"),
                QStringLiteral("This hotkey is used by another program, please choose another one.") }));
        // Nothing applied; Ctrl+F5 still works; the buttons wait for another choice.
        QCOMPARE(page->currentLcdRecord(), manual);
        QVERIFY(page->isHotKeyRegistered());
        QVERIFY(page->hotkey()->hasRegistration(116, 2));
        QVERIFY(!page->hotkey()->hasRegistration(117, 2));
        QVERIFY(!page->applyButton()->isHidden());
        const LCDDisplayMode before = m_feeder->currentDisplayMode();
        QVERIFY(press(QStringLiteral("ctrl+F5")));
        QTRY_COMPARE_WITH_TIMEOUT(
            m_feeder->currentDisplayMode(), Korvo_SendNvInfoToLCDThread::nextDisplayMode(before), 3000);
    }
};

QTEST_MAIN(TestLcdHotKey)
#include "tst_lcdhotkey.moc"
