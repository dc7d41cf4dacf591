#include "cardprotocol.h"
#include "gpucontroller.h"
#include "i2cfallbackcases.h"
#include "nvapiids.h"
#include "nvapiversions.h"
#include "simulatedcard.h"

#include <QtTest>

#include <memory>

namespace {
/// The calls one transaction made, as (extended, version) pairs.
Calls transactionCalls()
{
    Calls calls;
    for (const SimCallRecord &r : sim().callLog()) {
        if (r.id == NvApiId::I2cWrite || r.id == NvApiId::I2cRead)
            calls.append({ false, r.version });
        else if (r.id == NvApiId::I2cWriteEx || r.id == NvApiId::I2cReadEx)
            calls.append({ true, r.version });
    }
    return calls;
}

/// The ids of the driver calls since the counters were cleared, in order.
std::vector<NvU32> callIds()
{
    std::vector<NvU32> ids;
    for (const SimCallRecord &r : sim().callLog())
        ids.push_back(r.id);
    return ids;
}

QByteArray toBytes(const std::vector<NvU8> &v)
{
    return QByteArray(reinterpret_cast<const char *>(v.data()), int(v.size()));
}
} // namespace

class TestGpuI2c : public QObject
{
    Q_OBJECT

    std::unique_ptr<SimulatedCard> m_card;
    std::unique_ptr<GpuController> m_gpu;

private slots:
    void init()
    {
        m_card = std::make_unique<SimulatedCard>();
        m_gpu = std::make_unique<GpuController>();
        sim().clearCounters();
    }
    void cleanup()
    {
        m_gpu.reset();
        m_card.reset();
    }

    void fallbackChain_data() { addI2cFallbackRows(); }

    void fallbackChain()
    {
        QFETCH(Statuses, plain);
        QFETCH(Statuses, extended);
        QFETCH(Calls, calls);
        QFETCH(bool, ok);
        sim().queueStatuses(NvApiId::I2cWrite, std::vector<NvStatus>(plain.begin(), plain.end()));
        sim().queueStatuses(NvApiId::I2cWriteEx, std::vector<NvStatus>(extended.begin(), extended.end()));
        QCOMPARE(m_gpu->sendLedCommand(nullptr, 0, 10, 0, 0, false), ok);
        QCOMPARE(transactionCalls(), calls);
    }

    void transportRecordIsFilledTheSameEveryTime()
    {
        QVERIFY(m_gpu->sendLedCommand(nullptr, 0, 10, 0, 0, false));
        std::int32_t celsius = 0;
        QVERIFY(m_gpu->readBoardSensor(0x9E, celsius));
        const auto log = sim().i2cLog();
        QCOMPARE(int(log.size()), 2);
        QCOMPARE(int(log[0].address), 0xA0);
        QVERIFY(log[0].registerBytes.empty()); // no register sent to the lighting controller
        QCOMPARE(int(log[1].address), 0x9E);
        QCOMPARE(log[1].registerBytes, (std::vector<NvU8> { 0x00 }));
    }

    void probePacketReachesTheController()
    {
        QVERIFY(m_gpu->sendLedCommand(nullptr, 0, 10, 0, 0, false));
        QCOMPARE(toBytes(sim().lastLedPacket(0)), QByteArray("\x05\x0A\x00\x00\xF0", 5));
        const std::uint8_t colours[6] = { 255, 0, 0, 0, 0, 255 };
        QVERIFY(m_gpu->sendLedCommand(colours, 6, 1, 50, 3, true));
        const SimLedState state = sim().ledState(0);
        QCOMPARE(int(state.command), 1);
        QCOMPARE(state.colourCount, 2);
        QVERIFY(state.stored);
        QCOMPARE(sim().ledRefusedCount(0), 0);

        LedStateReading reading;
        QVERIFY(m_gpu->readLedState(reading));
        QCOMPARE(reading.kind, 3);
        QCOMPARE(reading.colorCount, 2);
        QCOMPARE(int(reading.colors[1][2]), 255);
    }

    void oversizedPayloadIsRefusedUnsent()
    {
        std::uint8_t payload[24] = {};
        QVERIFY(!m_gpu->sendLedCommand(payload, 24, 2, 50, 3, false));
        QCOMPARE(sim().ledPacketCount(0), 0);
        QVERIFY(sim().i2cLog().empty());
    }

    void noLightingControllerMeansFailure()
    {
        sim().editCard(0, [](SimCardConfig &c) { c.hasLed = false; });
        QVERIFY(!m_gpu->sendLedCommand(nullptr, 0, 10, 0, 0, false));
        LedStateReading reading;
        reading.kind = 77;
        QVERIFY(!m_gpu->readLedState(reading));
        QCOMPARE(reading.kind, 77);
    }

    void lcdFrameThroughTheDriver()
    {
        sim().setGpuClockMhz(0, 1683);
        sim().setTemperature(0, 61.0);
        sim().setFanRpm(0, 1500);
        sim().setMemoryUsedKb(0, 0x12345);
        const std::uint8_t before = GpuController::lcdSequence();
        QVERIFY(m_gpu->sendLcdFrame(true, true, 10, 0x80));
        const QByteArray f = toBytes(sim().lastLcdFrame(0));
        QCOMPARE(f.size(), 35);
        QCOMPARE(std::uint8_t(f[2]), std::uint8_t(before + 1));
        QCOMPARE(std::uint8_t(f[3]), std::uint8_t(0xF6));
        QCOMPARE(f.mid(4, 4), QByteArray("\x00\x00\x80\x00", 4)); // 8 GB in KB
        QCOMPARE(std::uint8_t(f[8]) | std::uint8_t(f[9]) << 8, 1607); // base clock
        QCOMPARE(std::uint8_t(f[10]), std::uint8_t(83)); // thermal limit
        QCOMPARE(std::uint8_t(f[12]) | std::uint8_t(f[13]) << 8, 3500); // first tachometer range word
        QCOMPARE(f.mid(14, 5), QByteArray("\x01\x00\x07\x00\x01", 5)); // 1070 Ti
        QCOMPARE(int(f[19]), 0);
        QCOMPARE(f.mid(21, 4), QByteArray("\x45\x23\x01\x00", 4));
        QCOMPARE(std::uint8_t(f[25]) | std::uint8_t(f[26]) << 8, 1683);
        QCOMPARE(int(f[27]), 61);
        QCOMPARE(std::uint8_t(f[29]) | std::uint8_t(f[30]) << 8, 1500);
        QCOMPARE(sim().lcdRefusedCount(0), 0);

        QVERIFY(m_gpu->sendLcdFrame(false, true, 10, 0x80));
        QCOMPARE(int(sim().lastLcdFrame(0)[3]), 0xF0);
        QVERIFY(m_gpu->sendLcdFrame(true, false, 10, 0x40));
        QCOMPARE(int(sim().lastLcdFrame(0)[3]), 0x40);
    }

    void sequenceNumberWraps()
    {
        std::uint8_t last = GpuController::lcdSequence();
        bool wrapped = false;
        for (int i = 0; i < 256; ++i) {
            QVERIFY(m_gpu->sendLcdFrame(true, false, 10, 0x10));
            const std::uint8_t now = sim().lastLcdFrame(0)[2];
            QCOMPARE(now, std::uint8_t(last + 1));
            if (last == 255 && now == 0)
                wrapped = true;
            last = now;
        }
        QVERIFY(wrapped);
    }

    void frameRefusedBeforeTheControllerInitialised()
    {
        sim().failCalls(NvApiId::EnumPhysicalGpus, NvApiStatus::Error);
        GpuController failed;
        QVERIFY(!failed.isInitialized());
        const std::uint8_t before = GpuController::lcdSequence();
        QVERIFY(!failed.sendLcdFrame(true, true, 10, 0x80));
        QCOMPARE(GpuController::lcdSequence(), before);
    }

    void probesSendWhatTheStartUpScanSends()
    {
        sim().freezeAll(true);
        // What the card list's start-up scan sends today, call for call.
        const std::uint8_t none = 0;
        QVERIFY(m_gpu->sendLedCommand(&none, 0, 10, 0, 0, false));
        const std::vector<NvU32> scanLedCalls = callIds();
        sim().clearCounters();
        QVERIFY(m_gpu->probeLightingController());
        QCOMPARE(callIds(), scanLedCalls);
        QCOMPARE(toBytes(sim().lastLedPacket(0)), QByteArray("\x05\x0A\x00\x00\xF0", 5));

        sim().clearCounters();
        QVERIFY(m_gpu->sendLcdFrame(true, true, 10, 0x80));
        const std::vector<NvU32> scanLcdCalls = callIds();
        const QByteArray scanFrame = toBytes(sim().lastLcdFrame(0));
        sim().clearCounters();
        QVERIFY(m_gpu->probeLcd());
        QCOMPARE(callIds(), scanLcdCalls);
        const QByteArray probeFrame = toBytes(sim().lastLcdFrame(0));
        QCOMPARE(probeFrame.size(), 35);
        QCOMPARE(std::uint8_t(probeFrame[2]), std::uint8_t(scanFrame[2] + 1)); // the next sequence number
        QCOMPARE(std::uint8_t(probeFrame[3]), std::uint8_t(0xF6)); // on, switching every 10 s
        QCOMPARE(probeFrame.mid(3, 30), scanFrame.mid(3, 30));
    }

    void probesFindNoDeviceThatTakesNoWrite()
    {
        QVERIFY(m_gpu->probeLightingController());
        QVERIFY(m_gpu->probeLcd());
        sim().editCard(0, [](SimCardConfig &c) {
            c.hasLed = false;
            c.hasLcd = false;
        });
        QVERIFY(!m_gpu->probeLightingController());
        QVERIFY(!m_gpu->probeLcd());

        sim().clearCards();
        GpuController none;
        QVERIFY(!none.probeLightingController());
        QVERIFY(!none.probeLcd());
    }

    void boardSensors()
    {
        sim().setBoardSensor(0, 0, -25.0);
        sim().setBoardSensor(0, 1, -1.0);
        sim().setBoardSensor(0, 2, 50.5);
        sim().setBoardSensor(0, 3, 41.0);
        BoardTemperatures board;
        m_gpu->readBoardTemperatures(board);
        QCOMPARE(board.sensorC[0], -25);
        QCOMPARE(board.sensorC[1], -1);
        QCOMPARE(board.sensorC[2], 50);
        QCOMPARE(board.sensorC[3], 41);

        sim().failCalls(NvApiId::I2cRead, NvApiStatus::Error);
        sim().failCalls(NvApiId::I2cReadEx, NvApiStatus::Error);
        std::int32_t celsius = 99;
        QVERIFY(!m_gpu->readBoardSensor(0x9E, celsius));
        QCOMPARE(celsius, 0);
        m_gpu->readBoardTemperatures(board);
        ExtremesTable table;
        m_gpu->readExtremes(table);
        QCOMPARE(extreme(table, Extreme::BoardSensor3).minimum, 0);
        QCOMPARE(extreme(table, Extreme::BoardSensor3).maximum, 50);
    }

    void missingSensorReadsZero()
    {
        sim().editCard(0, [](SimCardConfig &c) { c.boardSensors = { true, false, true, true }; });
        std::int32_t celsius = 5;
        QVERIFY(!m_gpu->readBoardSensor(0x90, celsius));
        QCOMPARE(celsius, 0);
        QVERIFY(m_gpu->readBoardSensor(0x9E, celsius));
    }
};

QTEST_GUILESS_MAIN(TestGpuI2c)
#include "tst_gpui2c.moc"
