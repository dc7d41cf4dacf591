#include "i2ctransport.h"
#include "nvapiversions.h"

#include <QtTest>

#include <vector>

using Calls = QList<QPair<bool, NvU32>>;
using Statuses = QList<int>;

namespace {
/// Answers the scripted statuses of one entry in turn, then fails.
struct ScriptedEntry
{
    bool extended = false;
    Statuses answers;
    int next = 0;
    Calls *calls = nullptr;

    NvStatus operator()(NvI2cInfo &info)
    {
        calls->append({ extended, info.version });
        return next < answers.size() ? answers[next++] : NvApiStatus::Error;
    }
};
} // namespace

/// The fallback chain with no driver at all: the two calls are scripted here.
class TestI2cTransport : public QObject
{
    Q_OBJECT

private slots:
    void fallbackChain_data()
    {
        const NvU32 v3 = NvApiVersion::i2cV3, v2 = NvApiVersion::i2cV2, v1 = NvApiVersion::i2cV1;
        const NvStatus V = NvApiStatus::IncompatibleStructVersion, E = NvApiStatus::Error;
        QTest::addColumn<Statuses>("plain");
        QTest::addColumn<Statuses>("extended");
        QTest::addColumn<Calls>("calls");
        QTest::addColumn<bool>("ok");
        QTest::newRow("plain works") << Statuses { 0 } << Statuses {} << Calls { { false, v3 } } << true;
        QTest::newRow("versions refused on plain")
            << Statuses { V, V, 0 } << Statuses {} << Calls { { false, v3 }, { false, v2 }, { false, v1 } }
            << true;
        QTest::newRow("plain fails, extended works")
            << Statuses { E } << Statuses { 0 } << Calls { { false, v3 }, { true, v3 } } << true;
        QTest::newRow("plain fails, extended refuses v3")
            << Statuses { E } << Statuses { V, 0 } << Calls { { false, v3 }, { true, v3 }, { true, v2 } }
            << true;
        QTest::newRow("plain refuses v3, then fails at v2")
            << Statuses { V, E } << Statuses { 0 } << Calls { { false, v3 }, { false, v2 }, { true, v2 } }
            << true;
        QTest::newRow("extended refuses, plain refuses v1")
            << Statuses { E, V } << Statuses { V, V }
            << Calls { { false, v3 }, { true, v3 }, { true, v2 }, { false, v1 } } << false;
        QTest::newRow("extended fails after a refusal at v2")
            << Statuses { E } << Statuses { V, E, V, E }
            << Calls { { false, v3 }, { true, v3 }, { true, v2 }, { true, v2 }, { true, v1 } } << false;
        QTest::newRow("both fail") << Statuses { E } << Statuses { E, E }
                                   << Calls { { false, v3 }, { true, v3 }, { true, v3 } } << false;
        QTest::newRow("extended works at v1 after refusals")
            << Statuses { E } << Statuses { V, E, V, 0 }
            << Calls { { false, v3 }, { true, v3 }, { true, v2 }, { true, v2 }, { true, v1 } } << true;
        QTest::newRow("refused at every version on plain")
            << Statuses { V, V, V } << Statuses {} << Calls { { false, v3 }, { false, v2 }, { false, v1 } }
            << false;
    }

    void fallbackChain()
    {
        QFETCH(Statuses, plain);
        QFETCH(Statuses, extended);
        QFETCH(Calls, calls);
        QFETCH(bool, ok);
        Calls made;
        std::uint8_t reg = 0;
        NvI2cInfo info = I2cTransport::record(0xA0, &reg, 0, nullptr, 0);
        const bool result = I2cTransport::run(
            info, ScriptedEntry { false, plain, 0, &made }, ScriptedEntry { true, extended, 0, &made });
        QCOMPARE(made, calls);
        QCOMPARE(result, ok);
    }

    void recordIsFilledForTheCardsBus()
    {
        std::uint8_t reg = 0x00;
        std::uint8_t data[2] = { 0, 0 };
        const NvI2cInfo info = I2cTransport::record(0x9E, &reg, 1, data, 2);
        QCOMPARE(info.displayMask, NvU32(0));
        QCOMPARE(int(info.bIsDDCPort), 0);
        QCOMPARE(int(info.i2cDevAddress), 0x9E);
        QCOMPARE(info.pbI2cRegAddress, &reg);
        QCOMPARE(info.regAddrSize, NvU32(1));
        QCOMPARE(info.pbData, data);
        QCOMPARE(info.cbSize, NvU32(2));
        QCOMPARE(info.i2cSpeed, NvU32(0xFFFF));
        QCOMPARE(info.i2cSpeedKhz, 6);
        QCOMPARE(int(info.portId), 1);
        QCOMPARE(info.bIsPortIdSet, NvU32(1));
    }

    void registerSizeIsOneByteAtMost()
    {
        std::uint8_t reg = 0;
        QCOMPARE(I2cTransport::record(0xAC, &reg, 0, nullptr, 0).regAddrSize, NvU32(0));
        QCOMPARE(I2cTransport::record(0xAC, &reg, 4, nullptr, 0).regAddrSize, NvU32(1));
        QCOMPARE(I2cTransport::record(0xAC, &reg, -2, nullptr, 0).regAddrSize, NvU32(0));
    }
};

QTEST_GUILESS_MAIN(TestI2cTransport)
#include "tst_i2ctransport.moc"
