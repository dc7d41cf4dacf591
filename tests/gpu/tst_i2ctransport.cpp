#include "i2cfallbackcases.h"
#include "i2ctransport.h"
#include "nvapiversions.h"

#include <QtTest>

#include <vector>

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
    void fallbackChain_data() { addI2cFallbackRows(); }

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
