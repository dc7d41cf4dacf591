#include "cardprotocol.h"

#include <QtTest>

class TestCardProtocol : public QObject
{
    Q_OBJECT

private:
    static QByteArray bytes(std::initializer_list<int> list)
    {
        QByteArray out;
        for (int b : list)
            out.append(static_cast<char>(b));
        return out;
    }

private slots:
    void probePacketIsFiveBytes()
    {
        const QByteArray packet = CardProtocol::ledCommandPacket(nullptr, 0, 10, 0, 0, false);
        QCOMPARE(packet, bytes({ 0x05, 0x0A, 0x00, 0x00, 0xF0 }));
    }

    void threeBytePayloadPacket()
    {
        const std::uint8_t rgb[3] = { 0x12, 0x34, 0x56 };
        const QByteArray packet = CardProtocol::ledCommandPacket(rgb, 3, 1, 50, 4, false);
        const int sum = 0x08 + 1 + 50 + 4 + 0x12 + 0x34 + 0x56;
        QCOMPARE(packet, bytes({ 0x08, 0x01, 50, 4, 0x12, 0x34, 0x56, (~sum) & 0xFF }));
    }

    void storeBitIsInsideTheChecksum()
    {
        const std::uint8_t rgb[3] = { 255, 0, 0 };
        const QByteArray plain = CardProtocol::ledCommandPacket(rgb, 3, 0, 50, 2, false);
        const QByteArray stored = CardProtocol::ledCommandPacket(rgb, 3, 0, 50, 2, true);
        QCOMPARE(std::uint8_t(stored[0]), std::uint8_t(0x88));
        QCOMPARE(std::uint8_t(plain[0]), std::uint8_t(0x08));
        // 0x80 more in the sum lowers the complement by 0x80 (mod 256).
        QCOMPARE(std::uint8_t(stored[7]), std::uint8_t(std::uint8_t(plain[7]) - 0x80));
    }

    void sevenColoursFitEightDoNot()
    {
        std::uint8_t payload[24] = {};
        const QByteArray seven = CardProtocol::ledCommandPacket(payload, 21, 2, 50, 3, false);
        QCOMPARE(seven.size(), 26);
        QCOMPARE(std::uint8_t(seven[0]), std::uint8_t(26));
        QVERIFY(CardProtocol::ledCommandPacket(payload, 24, 2, 50, 3, false).isEmpty());
        QVERIFY(CardProtocol::ledCommandPacket(payload, -1, 2, 50, 3, false).isEmpty());
        QVERIFY(CardProtocol::ledCommandPacket(nullptr, 3, 2, 50, 3, false).isEmpty());
    }

    void ledStateParsing()
    {
        QByteArray answer(27, '\0');
        answer[0] = 3;
        answer[1] = 9; // more than the controller can hold
        answer[2] = 7;
        answer[3] = char(200);
        answer[4] = 1;
        for (int i = 5; i < 26; ++i)
            answer[i] = char(i);
        LedStateReading state;
        QVERIFY(CardProtocol::parseLedState(answer, state));
        QCOMPARE(state.kind, 3);
        QCOMPARE(state.colorCount, 7);
        QCOMPARE(state.parameters[0], 7u);
        QCOMPARE(state.parameters[1], 200u);
        QCOMPARE(state.parameters[2], 1u);
        QCOMPARE(int(state.colors[0][0]), 5);
        QCOMPARE(int(state.colors[6][2]), 25);

        LedStateReading untouched;
        untouched.kind = 42;
        QVERIFY(!CardProtocol::parseLedState(answer.left(26), untouched));
        QCOMPARE(untouched.kind, 42);
    }

    void switchTimeCodes_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("code");
        const int table[][2] = { { -5, 1 }, { 0, 1 }, { 1, 11 }, { 2, 2 }, { 3, 3 }, { 4, 4 }, { 5, 5 },
            { 6, 5 }, { 7, 6 }, { 10, 6 }, { 11, 7 }, { 15, 7 }, { 16, 8 }, { 20, 8 }, { 21, 9 }, { 24, 9 },
            { 25, 10 }, { 29, 10 }, { 30, 11 }, { 99, 11 } };
        for (const auto &row : table)
            QTest::addRow("%d s", row[0]) << row[0] << row[1];
    }

    void switchTimeCodes()
    {
        QFETCH(int, seconds);
        QFETCH(int, code);
        QCOMPARE(int(CardProtocol::lcdModeByte(true, true, seconds, 0x40)), 0xF0 | code);
    }

    void modeByteWhenManualOrOff()
    {
        QCOMPARE(int(CardProtocol::lcdModeByte(true, false, 10, 0x40)), 0x40);
        QCOMPARE(int(CardProtocol::lcdModeByte(false, false, 10, 0x40)), 0xF0);
        QCOMPARE(int(CardProtocol::lcdModeByte(false, true, 3, 0x80)), 0xF0);
    }

    void pageCycle()
    {
        std::uint8_t page = 0x10;
        QList<int> seen;
        for (int i = 0; i < 5; ++i) {
            seen << page;
            page = CardProtocol::nextLcdPage(page);
        }
        QCOMPARE(seen, (QList<int> { 0x10, 0x80, 0x40, 0x20, 0x10 }));
    }

    void modelDigits_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("1070 Ti") << "GeForce GTX 1070 Ti" << QList<int> { 1, 0, 7, 0, 1 };
        QTest::newRow("1080") << "GeForce GTX 1080" << QList<int> { 1, 0, 8, 0, 0 };
        QTest::newRow("960") << "GeForce GTX 960" << QList<int> { 0, 9, 6, 0, 0 };
        QTest::newRow("no GTX") << "GeForce RTX 2060" << QList<int> { 0, 0, 0, 0, 0 };
        QTest::newRow("Ti without space") << "GeForce GTX 1080Ti" << QList<int> { 0, 0, 0, 0, 1 };
        QTest::newRow("long model keeps four") << "GeForce GTX 123456 X" << QList<int> { 1, 2, 3, 4, 0 };
    }

    void modelDigits()
    {
        QFETCH(QString, name);
        QFETCH(QList<int>, expected);
        const auto got = CardProtocol::lcdModelBytes(name);
        QList<int> list;
        for (auto b : got)
            list << b;
        QCOMPARE(list, expected);
    }

    void fanFlagRule()
    {
        QCOMPARE(int(CardProtocol::lcdFanFlag(0x13001D17, "GeForce GTX 1080", 1200)), 1);
        QCOMPARE(int(CardProtocol::lcdFanFlag(0x12001D17, "GeForce GTX 1080", 1200)), 0);
        QCOMPARE(int(CardProtocol::lcdFanFlag(0x13001D17, "GeForce GTX 1070 Ti", 1200)), 0);
        QCOMPARE(int(CardProtocol::lcdFanFlag(0x13001D17, "GeForce GTX 1080", 0)), 0);
    }

    void lcdFrameBytes()
    {
        CardProtocol::LcdFrameData d;
        d.sequence = 7;
        d.modeByte = 0xF6;
        d.dedicatedKb = 8388608; // 0x00800000
        d.baseGpuClockMhz = 1607; // 0x0647
        d.thermalLimitC = 83;
        d.tachRangeWord = 0x1234;
        d.gpuName = "GeForce GTX 1070 Ti";
        d.subSystemId = 0x13001D17;
        d.usedKb = 0x00012345;
        d.gpuClockMhz = 0x10000 + 1683; // wider than its field: low bytes only
        d.temperatureC = 61;
        d.fanSpeedRpm = 1500;
        const auto f = CardProtocol::lcdFrame(d);
        const int expectedHead[]
            = { 0xAA, 0x88, 7, 0xF6, 0x00, 0x00, 0x80, 0x00, 0x47, 0x06, 83, 0, 0x34, 0x12, 1, 0, 7, 0, 1, 0,
                  0, 0x45, 0x23, 0x01, 0x00, 1683 & 0xFF, 1683 >> 8, 61, 0, 1500 & 0xFF, 1500 >> 8, 0, 0 };
        for (int i = 0; i < 33; ++i)
            QCOMPARE(int(f[i]), expectedHead[i]);
        int sum = 0;
        for (int i = 0; i < 33; ++i)
            sum += expectedHead[i];
        QCOMPARE(int(f[33]), sum & 0xFF);
        QCOMPARE(int(f[34]), (sum >> 8) & 0xFF);
    }

    void boardSensorValues_data()
    {
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("celsius");
        QTest::newRow("-25") << 0xE7 << 0x00 << -25;
        QTest::newRow("-1") << 0xFF << 0x00 << -1;
        QTest::newRow("50") << 0x32 << 0x80 << 50;
        QTest::newRow("-0.5 truncates to 0") << 0xFF << 0x80 << 0;
        QTest::newRow("-55.9") << 0xC8 << 0x10 << -55;
        QTest::newRow("127.9") << 0x7F << 0xF0 << 127;
    }

    void boardSensorValues()
    {
        QFETCH(int, high);
        QFETCH(int, low);
        QFETCH(int, celsius);
        QCOMPARE(CardProtocol::boardSensorCelsius(std::uint8_t(high), std::uint8_t(low)), celsius);
    }
};

QTEST_APPLESS_MAIN(TestCardProtocol)
#include "tst_cardprotocol.moc"
