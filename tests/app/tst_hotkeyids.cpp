#include "korvo_globalshortcut.h"

#include <QtTest>

// The Windows flags and ids of combinations, shared by every backend, and the contract without an X display.
class TestHotKeyIds : public QObject
{
    Q_OBJECT

private slots:
    void flagsAndIds_data()
    {
        QTest::addColumn<quint32>("modifierKey");
        QTest::addColumn<quint32>("key");
        QTest::addColumn<quint32>("flags");
        QTest::addColumn<quint32>("id");
        QTest::newRow("Ctrl+F5") << 17u << 116u << 2u << 118u;
        QTest::newRow("Alt+A") << 18u << 65u << 1u << 64u;
        QTest::newRow("Shift+Num 1") << 16u << 97u << 4u << 101u;
        QTest::newRow("other modifier is Ctrl") << 20u << 49u << 2u << 51u;
        QTest::newRow("zero modifier is Ctrl") << 0u << 49u << 2u << 51u;
    }

    void flagsAndIds()
    {
        QFETCH(quint32, modifierKey);
        QFETCH(quint32, key);
        QFETCH(quint32, flags);
        QFETCH(quint32, id);
        QCOMPARE(Korvo_GlobalShortCut::modifierFlags(modifierKey), flags);
        QCOMPARE(Korvo_GlobalShortCut::hotkeyId(key, flags), id);
    }

    void withoutXDisplayTheSystemRefusesButTheCombinationIsKept()
    {
        Korvo_GlobalShortCut shortcut;
        QVERIFY(!shortcut.setShortcut(17, 116));
        QCOMPARE(shortcut.virtualKey(), 116u);
        QCOMPARE(shortcut.currentModifierFlags(), 2u);
        QVERIFY(shortcut.hasRegistration(116, 2));
        QVERIFY(!shortcut.unsetShortcut());
        QVERIFY(!shortcut.hasRegistration(116, 2));
        QCOMPARE(shortcut.virtualKey(), 0u);
    }
};

QTEST_MAIN(TestHotKeyIds)
#include "tst_hotkeyids.moc"
