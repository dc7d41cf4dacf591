#include "fixedinfotexts.h"

#include <QtTest>

class TestFixedInfoTexts : public QObject
{
    Q_OBJECT

private slots:
    void memoryTypeTable_data()
    {
        QTest::addColumn<uint>("code");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("multiplier");
        const char *texts[] = { "Unknown", "SDRAM", "DDR1", "DDR2", "GDDR2", "GDDR3", "GDDR4", "DDR3",
            "GDDR5", "LPDDR2", "GDDR5X", "HBM1", "HBM2", "SDDR4", "GDDR6", "GDDR6X" };
        for (uint code = 0; code < 16; ++code) {
            const int multiplier = code == 1 ? 1 : code == 6 ? 4 : 2;
            QTest::addRow("%u", code) << code << QString(texts[code]) << multiplier;
        }
        QTest::addRow("16") << 16u << QString("Unknown") << 2;
        QTest::addRow("huge") << 0xFFFFFFFFu << QString("Unknown") << 2;
    }

    void memoryTypeTable()
    {
        QFETCH(uint, code);
        QFETCH(QString, text);
        QFETCH(int, multiplier);
        const MemoryType type = FixedInfoTexts::memoryType(true, code);
        QCOMPARE(QString(type.text), text);
        QCOMPARE(type.multiplier, multiplier);
    }

    void failedQueryIsUnknown()
    {
        const MemoryType type = FixedInfoTexts::memoryType(false, 6);
        QCOMPARE(QString(type.text), QString("Unknown"));
        QCOMPARE(type.multiplier, 2);
    }

    void driverVersion()
    {
        QCOMPARE(FixedInfoTexts::driverVersion(41109), QString("411.09"));
        QCOMPARE(FixedInfoTexts::driverVersion(38571), QString("385.71"));
        QCOMPARE(FixedInfoTexts::driverVersion(100), QString("1.00"));
        QCOMPARE(FixedInfoTexts::driverVersion(5), QString("0.05"));
    }

    void bandwidth()
    {
        QCOMPARE(FixedInfoTexts::bandwidth(2, 4004, 256), QString("256.3GB/s"));
        QCOMPARE(FixedInfoTexts::bandwidth(4, 4004, 256), QString("512.5GB/s"));
        QCOMPARE(FixedInfoTexts::bandwidth(2, 4004, 0), QString("0.0GB/s"));
        QCOMPARE(FixedInfoTexts::bandwidth(1, 1000, 64), QString("8.0GB/s"));
        // The product is taken in 64 bits: no wrap on a wide bus at a high clock.
        QCOMPARE(FixedInfoTexts::bandwidth(4, 2000000, 4096), QString("4096000.0GB/s"));
    }
};

QTEST_GUILESS_MAIN(TestFixedInfoTexts)
#include "tst_fixedinfotexts.moc"
