#include "configstore.h"
#include "inprocessdriver.h"
#include "korvo_messagebox.h"
#include "lumetra2.h"
#include "lumetraresources.h"

#include <QDir>
#include <QTemporaryDir>
#include <QX11Info>
#include <QtTest>

#include <xcb/xcb.h>

#include <memory>

// The window manager's close (Alt+F4, the title bar's button) on a real X server: it asks "Exit
// program?" as the close button does, and only a yes saves and ends.
class TestWindowClose : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<InProcessDriver> m_driver;
    QStringList m_questions;
    int m_answer = MsgBoxResultNo;

    static xcb_atom_t atom(xcb_connection_t *connection, const char *name)
    {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(qstrlen(name)), name), nullptr);
        const xcb_atom_t value = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
        free(reply);
        return value;
    }

    /// What a window manager sends for Alt+F4: WM_PROTOCOLS with WM_DELETE_WINDOW.
    static void sendDeleteWindow(QWidget &window)
    {
        xcb_connection_t *connection = QX11Info::connection();
        xcb_client_message_event_t message = {};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = static_cast<xcb_window_t>(window.winId());
        message.type = atom(connection, "WM_PROTOCOLS");
        message.data.data32[0] = atom(connection, "WM_DELETE_WINDOW");
        message.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(
            connection, 0, message.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&message));
        xcb_flush(connection);
    }

    /// Whether the close wrote today's date into config.xml (it was seeded with 2020/01/02).
    static bool closeDateWritten()
    {
        QFile file(QStringLiteral("config.xml"));
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const QByteArray text = file.readAll();
        const int at = text.indexOf("LastCloseDate");
        return at >= 0
            && text.mid(at, 40).contains(
                QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")).toUtf8());
    }

private slots:
    void initTestCase() { initLumetraResources(); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir::setCurrent(m_dir->path()));
        qputenv("XDG_CONFIG_DIRS", m_dir->filePath(QStringLiteral("xdg")).toLocal8Bit());
        m_driver = std::make_unique<InProcessDriver>();
        ConfigStore store(QStringLiteral("config.xml"), [] { return QDate(2020, 1, 2); });
        store.load();
        GeneralSettingRecord general;
        general.Language = QStringLiteral("lang_en");
        general.StartOnBoot = false;
        store.setGeneralSetting(general);
        store.setNotPromptHPS(true);
        store.setLastCloseDate(QDate(2020, 1, 2));
        QVERIFY(store.save());
        m_questions.clear();
        Korvo_MessageBox::setAutoAnswer([this](Korvo_MessageBox *box) {
            m_questions << box->text();
            box->done(m_answer);
        });
    }

    void cleanup()
    {
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        QCoreApplication::exec();
        Korvo_MessageBox::setAutoAnswer(nullptr);
        m_driver.reset();
        QDir::setCurrent(QDir::tempPath());
        m_dir.reset();
    }

    void windowManagersCloseAsksLikeTheCloseButton()
    {
        Lumetra2 window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        m_answer = MsgBoxResultNo;
        sendDeleteWindow(window);
        QTRY_COMPARE(m_questions.size(), 1);
        QCOMPARE(m_questions.first(), QStringLiteral("Exit program?"));
        QTest::qWait(100);
        QVERIFY(window.isVisible());
        QVERIFY(!closeDateWritten());

        m_answer = MsgBoxResultYes;
        sendDeleteWindow(window);
        QTRY_COMPARE(m_questions.size(), 2);
        QTRY_VERIFY(!window.isVisible());
        QVERIFY(closeDateWritten());
    }
};

QTEST_MAIN(TestWindowClose)
#include "tst_windowclose.moc"
