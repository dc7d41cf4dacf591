#include "configstore.h"
#include "inprocessdriver.h"
#include "korvo_messagebox.h"
#include "lumetra2.h"
#include "lumetraresources.h"
#include "mainwindowfixture.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QX11Info>
#include <QtTest>

#include <xcb/xcb.h>

#include <memory>

// The main window under a real window manager on a real X server: its close (Alt+F4, the title bar's
// button) asks "Exit program?" as the close button does, and only a yes saves and ends; message boxes open
// over the place the window manager chose for the window.
class TestWindowClose : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> m_fixture;
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

    static bool windowManagerRunning()
    {
        xcb_connection_t *connection = QX11Info::connection();
        xcb_get_property_reply_t *reply = xcb_get_property_reply(connection,
            xcb_get_property(connection, 0, static_cast<xcb_window_t>(QX11Info::appRootWindow()),
                atom(connection, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW, 0, 1),
            nullptr);
        const bool running = reply && xcb_get_property_value_length(reply) > 0;
        free(reply);
        return running;
    }

    /// Where the X server has the window's top-left corner, whatever Qt believes.
    static QPoint serverPosition(const QWidget &window)
    {
        xcb_connection_t *connection = QX11Info::connection();
        xcb_translate_coordinates_reply_t *reply = xcb_translate_coordinates_reply(connection,
            xcb_translate_coordinates(connection, static_cast<xcb_window_t>(window.winId()),
                static_cast<xcb_window_t>(QX11Info::appRootWindow()), 0, 0),
            nullptr);
        const QPoint position = reply ? QPoint(reply->dst_x, reply->dst_y) : QPoint(-1, -1);
        free(reply);
        return position;
    }

    /// Shows the window as start-up does and waits until the window manager has placed it.
    static bool showPlaced(Lumetra2 &window, QPoint &placed)
    {
        window.setAttribute(Qt::WA_TranslucentBackground);
        window.setWindowFlags(Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            return false;
        QElapsedTimer waited;
        waited.start();
        while (serverPosition(window) == QPoint(0, 0) && waited.elapsed() < 5000)
            QTest::qWait(20);
        QTest::qWait(300);
        placed = serverPosition(window);
        return placed != QPoint(0, 0);
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

    QProcess m_windowManager;

private slots:
    void initTestCase()
    {
        initLumetraResources();
        m_windowManager.start(QStringLiteral("openbox"), { QStringLiteral("--sm-disable") });
        QVERIFY2(m_windowManager.waitForStarted(), "openbox, from the project's package list");
        // Wait until it manages windows: a window shown before would be placed by nobody.
        QTRY_VERIFY_WITH_TIMEOUT(windowManagerRunning(), 10000);
    }

    void cleanupTestCase()
    {
        m_windowManager.terminate();
        m_windowManager.waitForFinished();
    }

    void init()
    {
        m_fixture = std::make_unique<MainWindowFixture>([this](Korvo_MessageBox *box) {
            m_questions << box->text();
            box->done(m_answer);
        });
        QVERIFY(m_fixture->isValid());
        QVERIFY(MainWindowFixture::seedConfig([&](ConfigStore &store) {
            GeneralSettingRecord general;
            general.Language = QStringLiteral("lang_en");
            general.StartOnBoot = false;
            store.setGeneralSetting(general);
            store.setNotPromptHPS(true);
            store.setLastCloseDate(QDate(2020, 1, 2));
        }));
        m_questions.clear();
    }

    void cleanup() { m_fixture.reset(); }

    void windowManagersCloseAsksLikeTheCloseButton()
    {
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
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

    // The window as start-up makes it (frameless, translucent), placed by the window manager. Qt could keep
    // a place from before the manager placed the window; then message boxes opened over the window's top-left
    // corner and the first drag threw it into the screen's corner.
    void dragMovesTheWindowFromWhereTheWindowManagerPlacedIt()
    {
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        QPoint placed;
        QVERIFY(showPlaced(window, placed));

        // The real pointer, 20 px to the right from a free spot of the top band, left of the tabs.
        const QPoint grip = placed + QPoint(60, 40);
        QStringList steps = { QStringLiteral("mousemove"), QString::number(grip.x()),
            QString::number(grip.y()), QStringLiteral("mousedown"), QStringLiteral("1") };
        for (const int dx : { 10, 20 })
            steps << QStringLiteral("sleep") << QStringLiteral("0.2") << QStringLiteral("mousemove")
                  << QString::number(grip.x() + dx) << QString::number(grip.y());
        steps << QStringLiteral("sleep") << QStringLiteral("0.2") << QStringLiteral("mouseup")
              << QStringLiteral("1");
        QProcess pointer;
        pointer.start(QStringLiteral("xdotool"), steps);
        QVERIFY2(pointer.waitForStarted(), "xdotool, from the project's package list");
        QTRY_COMPARE(pointer.state(), QProcess::NotRunning);
        QTRY_COMPARE(serverPosition(window), placed + QPoint(20, 0));
    }

    void messageBoxOpensCentredOnWhereTheWindowManagerPlacedTheWindow()
    {
        Lumetra2 window;
        QVERIFY(MainWindowFixture::waitForCardStartUp(window));
        QPoint placed;
        QVERIFY(showPlaced(window, placed));

        Korvo_MessageBox box(MsgBoxOneButton, QString(), QStringLiteral("hint"), English, &window);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTest::qWait(300);
        const QPoint boxCentre = QRect(serverPosition(box), box.size()).center();
        const QPoint windowCentre = QRect(placed, window.size()).center();
        QVERIFY2((boxCentre - windowCentre).manhattanLength() <= 2,
            qPrintable(QStringLiteral("box centred at %1,%2, window at %3,%4")
                           .arg(boxCentre.x())
                           .arg(boxCentre.y())
                           .arg(windowCentre.x())
                           .arg(windowCentre.y())));
    }
};

QTEST_MAIN(TestWindowClose)
#include "tst_windowclose.moc"
