#include "hotkeytable.h"
#include "korvo_hotkeyedit.h"

#include <QKeyEvent>
#include <QtTest>

// The key names and the two edits. Key events carry what the platform puts in them: on X11 the key symbol as
// the native virtual key, which the edits must turn into the Windows code they keep.
class TestHotKeyEdit : public QObject
{
    Q_OBJECT

private:
    static void press(QWidget *edit, int qtKey, quint32 keySymbol, const QString &text = QString(),
        Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent event(QEvent::KeyPress, qtKey, modifiers, 0, keySymbol, 0, text);
        QCoreApplication::sendEvent(edit, &event);
    }

private slots:
    void keyTableHasItsSeventyNineNames()
    {
        QCOMPARE(HotKeyTable::keys().size(), 79);
        QCOMPARE(HotKeyTable::keyText(32), QStringLiteral("Space"));
        QCOMPARE(HotKeyTable::keyText(33), QStringLiteral("PageUp"));
        QCOMPARE(HotKeyTable::keyText(34), QStringLiteral("PageDown"));
        QCOMPARE(HotKeyTable::keyText(37), QStringLiteral("LeftArrow"));
        QCOMPARE(HotKeyTable::keyText(38), QStringLiteral("UpArrow"));
        QCOMPARE(HotKeyTable::keyText(39), QStringLiteral("RightArrow"));
        QCOMPARE(HotKeyTable::keyText(40), QStringLiteral("DownArrow"));
        QCOMPARE(HotKeyTable::keyText(48), QStringLiteral("0"));
        QCOMPARE(HotKeyTable::keyText(57), QStringLiteral("9"));
        QCOMPARE(HotKeyTable::keyText(65), QStringLiteral("A"));
        QCOMPARE(HotKeyTable::keyText(90), QStringLiteral("Z"));
        QCOMPARE(HotKeyTable::keyText(96), QStringLiteral("Num 0"));
        QCOMPARE(HotKeyTable::keyText(105), QStringLiteral("Num 9"));
        QCOMPARE(HotKeyTable::keyText(106), QStringLiteral("Num *"));
        QCOMPARE(HotKeyTable::keyText(107), QStringLiteral("Num + "));
        QCOMPARE(HotKeyTable::keyText(109), QStringLiteral("Num - "));
        QCOMPARE(HotKeyTable::keyText(110), QStringLiteral("Num ."));
        QCOMPARE(HotKeyTable::keyText(111), QStringLiteral("Num / "));
        QCOMPARE(HotKeyTable::keyText(112), QStringLiteral("F1"));
        QCOMPARE(HotKeyTable::keyText(116), QStringLiteral("F5"));
        QCOMPARE(HotKeyTable::keyText(123), QStringLiteral("F12"));
        QCOMPARE(HotKeyTable::keyText(186), QStringLiteral("; : "));
        QCOMPARE(HotKeyTable::keyText(187), QStringLiteral(" = +"));
        QCOMPARE(HotKeyTable::keyText(189), QStringLiteral(" - _"));
        QCOMPARE(HotKeyTable::keyText(191), QStringLiteral(" / ? "));
        QCOMPARE(HotKeyTable::keyText(192), QStringLiteral("`~"));
        QCOMPARE(HotKeyTable::keyText(219), QStringLiteral("[{"));
        QCOMPARE(HotKeyTable::keyText(220), QStringLiteral("\\ | "));
        QCOMPARE(HotKeyTable::keyText(221), QStringLiteral("] } "));
        QCOMPARE(HotKeyTable::keyText(222), QStringLiteral("'\""));
        // Codes between the ranges are not keys of the table.
        for (quint32 code :
            { 0u, 8u, 13u, 16u, 17u, 35u, 36u, 41u, 47u, 58u, 64u, 91u, 95u, 108u, 124u, 188u, 190u, 223u })
            QVERIFY2(!HotKeyTable::isKey(code), qPrintable(QString::number(code)));
        QSet<quint32> codes;
        for (const HotKeyTable::Entry &entry : HotKeyTable::keys())
            codes.insert(entry.code);
        QCOMPARE(codes.size(), 79);
    }

    void modifierTableHasThree()
    {
        QCOMPARE(HotKeyTable::modifiers().size(), 3);
        QCOMPARE(HotKeyTable::modifierText(16), QStringLiteral("Shift"));
        QCOMPARE(HotKeyTable::modifierText(17), QStringLiteral("Ctrl"));
        QCOMPARE(HotKeyTable::modifierText(18), QStringLiteral("Alt"));
        QVERIFY(!HotKeyTable::isModifier(0));
        QVERIFY(!HotKeyTable::isModifier(65));
    }

    void editsStartAtTheirDefaults()
    {
        Korvo_HotKeyEdit modifier(true);
        Korvo_HotKeyEdit key(false);
        QCOMPARE(modifier.text(), QStringLiteral("Ctrl"));
        QCOMPARE(modifier.currentKey(), 17u);
        QCOMPARE(key.text(), QStringLiteral("0"));
        QCOMPARE(key.currentKey(), 48u);
        QCOMPARE(key.contextMenuPolicy(), Qt::NoContextMenu);
        QVERIFY(!key.testAttribute(Qt::WA_InputMethodEnabled));
    }

    void setKeyTakesOnlyTableCodes()
    {
        Korvo_HotKeyEdit key(false);
        QVERIFY(key.setKey(116));
        QCOMPARE(key.text(), QStringLiteral("F5"));
        QVERIFY(!key.setKey(0));
        QVERIFY(!key.setKey(17)); // a modifier is not a key
        QCOMPARE(key.text(), QStringLiteral("F5"));
        QCOMPARE(key.currentKey(), 116u);
        Korvo_HotKeyEdit modifier(true);
        QVERIFY(!modifier.setKey(65));
        QVERIFY(modifier.setKey(18));
        QCOMPARE(modifier.text(), QStringLiteral("Alt"));
    }

    void keyEditTakesF5AndIgnoresTheRest()
    {
        Korvo_HotKeyEdit key(false);
        press(&key, Qt::Key_F5, 0xFFC2);
        QCOMPARE(key.text(), QStringLiteral("F5"));
        QCOMPARE(key.currentKey(), 116u);
        // Backspace, Home and Ctrl are not keys of the table: nothing changes, nothing is deleted.
        press(&key, Qt::Key_Backspace, 0xFF08);
        press(&key, Qt::Key_Home, 0xFF50);
        press(&key, Qt::Key_Control, 0xFFE3);
        press(&key, Qt::Key_Delete, 0xFFFF);
        QCOMPARE(key.text(), QStringLiteral("F5"));
        QCOMPARE(key.currentKey(), 116u);
    }

    void lettersChooseTheLetterAndNeverInsertText()
    {
        Korvo_HotKeyEdit key(false);
        // 'a' is the key symbol 0x61, which as a Windows code would read "Num 1".
        press(&key, Qt::Key_A, 0x61, QStringLiteral("a"));
        QCOMPARE(key.text(), QStringLiteral("A"));
        QCOMPARE(key.currentKey(), 65u);
        press(&key, Qt::Key_X, 0x58, QStringLiteral("X"), Qt::ShiftModifier);
        QCOMPARE(key.text(), QStringLiteral("X"));
        QCOMPARE(key.currentKey(), 88u);
        press(&key, Qt::Key_1, 0x31, QStringLiteral("1"));
        QCOMPARE(key.text(), QStringLiteral("1"));
        press(&key, Qt::Key_Equal, 0x3D, QStringLiteral("="));
        QCOMPARE(key.text(), QStringLiteral(" = +"));
        QCOMPARE(key.currentKey(), 187u);
        press(&key, Qt::Key_Plus, 0xFFAB, QStringLiteral("+"), Qt::KeypadModifier);
        QCOMPARE(key.text(), QStringLiteral("Num + "));
        // A character the table does not know, however typed, adds nothing.
        press(&key, Qt::Key_Exclam, 0x21, QStringLiteral("!"), Qt::ShiftModifier);
        QCOMPARE(key.text(), QStringLiteral("Num + "));
    }

    void modifierEditTakesShiftNotLetters()
    {
        Korvo_HotKeyEdit modifier(true);
        press(&modifier, Qt::Key_Shift, 0xFFE1);
        QCOMPARE(modifier.text(), QStringLiteral("Shift"));
        QCOMPARE(modifier.currentKey(), 16u);
        press(&modifier, Qt::Key_A, 0x61, QStringLiteral("a"));
        QCOMPARE(modifier.text(), QStringLiteral("Shift"));
        QCOMPARE(modifier.currentKey(), 16u);
        press(&modifier, Qt::Key_Alt, 0xFFEA);
        QCOMPARE(modifier.text(), QStringLiteral("Alt"));
        press(&modifier, Qt::Key_Control, 0xFFE4);
        QCOMPARE(modifier.text(), QStringLiteral("Ctrl"));
        press(&modifier, Qt::Key_F5, 0xFFC2);
        QCOMPARE(modifier.currentKey(), 17u);
    }

    void pastingAndTypingThroughQtKeysDoNothing()
    {
        Korvo_HotKeyEdit key(false);
        key.show();
        QTest::keyClicks(&key, QStringLiteral("hello"));
        QTest::keySequence(&key, QKeySequence::Paste);
        QCOMPARE(key.text(), QStringLiteral("0"));
    }
};

QTEST_MAIN(TestHotKeyEdit)
#include "tst_hotkeyedit.moc"
