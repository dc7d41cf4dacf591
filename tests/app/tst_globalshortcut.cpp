#include "korvo_globalshortcut.h"

#include <QProcess>
#include <QSignalSpy>
#include <QWidget>
#include <QtTest>

// The hotkey through the X11 backend on a real (virtual) X server, pressed by xdotool.
class TestGlobalShortCut : public QObject
{
    Q_OBJECT

private:
    static bool press(const QString &keys)
    {
        return QProcess::execute(QStringLiteral("xdotool"), { QStringLiteral("key"), keys }) == 0;
    }

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server");
    }

    void ctrlF5EmitsOnce()
    {
        Korvo_GlobalShortCut shortcut;
        QSignalSpy spy(&shortcut, &Korvo_GlobalShortCut::activated);
        QVERIFY(shortcut.setShortcut(17, 116));
        QCOMPARE(shortcut.virtualKey(), 116u);
        QCOMPARE(shortcut.currentModifierFlags(), 2u);
        QVERIFY(press(QStringLiteral("ctrl+F5")));
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 3000);
        QTest::qWait(300);
        QCOMPARE(spy.count(), 1);
        // Other keys and other modifiers are not ours.
        QVERIFY(press(QStringLiteral("F5")));
        QVERIFY(press(QStringLiteral("alt+F5")));
        QTest::qWait(300);
        QCOMPARE(spy.count(), 1);
        QVERIFY(shortcut.unsetShortcut());
        QVERIFY(press(QStringLiteral("ctrl+F5")));
        QTest::qWait(300);
        QCOMPARE(spy.count(), 1);
    }

    void countsWithTheLockKeysOn()
    {
        Korvo_GlobalShortCut shortcut;
        QSignalSpy spy(&shortcut, &Korvo_GlobalShortCut::activated);
        QVERIFY(shortcut.setShortcut(16, 97)); // Shift + Num 1
        QVERIFY(press(QStringLiteral("Caps_Lock")));
        QVERIFY(press(QStringLiteral("shift+KP_1")) || press(QStringLiteral("shift+KP_End")));
        QVERIFY(press(QStringLiteral("Caps_Lock")));
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 3000);
    }

    void secondShortcutReleasesTheFirst()
    {
        Korvo_GlobalShortCut shortcut;
        QSignalSpy spy(&shortcut, &Korvo_GlobalShortCut::activated);
        QVERIFY(shortcut.setShortcut(17, 116));
        QVERIFY(shortcut.setShortcut(18, 65)); // Alt+A
        QVERIFY(!shortcut.hasRegistration(116, 2));
        QVERIFY(press(QStringLiteral("ctrl+F5")));
        QTest::qWait(300);
        QCOMPARE(spy.count(), 0);
        QVERIFY(press(QStringLiteral("alt+a")));
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 3000);
        // Released for real: another object may take Ctrl+F5 now.
        Korvo_GlobalShortCut other;
        QVERIFY(other.setShortcut(17, 116));
    }

    void pressReachesEvenAFocusedWindowOnce()
    {
        QWidget window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        Korvo_GlobalShortCut shortcut;
        QSignalSpy spy(&shortcut, &Korvo_GlobalShortCut::activated);
        QVERIFY(shortcut.setShortcut(17, 116));
        QVERIFY(press(QStringLiteral("ctrl+F5")));
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 3000);
        QTest::qWait(300);
        QCOMPARE(spy.count(), 1);
    }
};

QTEST_MAIN(TestGlobalShortCut)
#include "tst_globalshortcut.moc"
