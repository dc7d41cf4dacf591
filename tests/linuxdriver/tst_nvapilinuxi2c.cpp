#include "bridgeentries.h"
#include "bridgei2c.h"
#include "fakenvml.h"
#include "fakesysfs.h"
#include "gpucontroller.h"
#include "i2cadapters.h"
#include "i2cpolicy.h"
#include "korvo_ledcontrolwidget.h"
#include "korvo_sendcolortoled.h"
#include "korvo_sendnvinfotolcdthread.h"
#include "makerids.h"
#include "moduleloader.h"
#include "nvapibinding.h"
#include "recordingi2cbus.h"

#include "nvapiversions.h"

#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <fnmatch.h>
#include <memory>
#include <thread>

namespace {

/// Lets the program's binding "load" the library linked into the test.
class InProcessBridge : public ModuleLoader
{
public:
    QString libraryPath() const override { return QStringLiteral("/in-process/libnvapi-linux.so"); }
    void *load(const QString &) override { return this; }
    void *resolve(void *, const char *symbol) override
    {
        return std::strcmp(symbol, "nvapi_QueryInterface") == 0 ? reinterpret_cast<void *>(&query) : nullptr;
    }
    void free(void *) override { }

private:
    static void *query(NvU32 id) { return BridgeEntries::entryFor(id); }
};

// Three GPUs: two of the maker's and another maker's, each with seven adapters
// (ports 10 first, then 2, 1, 5, 6, 7, 8); the card's bus is the third, i2c-2, i2c-12 and i2c-22.
const char *const BusIds[] = { "0000:01:00.0", "0000:02:00.0", "0000:03:00.0" };
const char *const Locations[] = { "1:00.0", "2:00.0", "3:00.0" };
constexpr int Ports[] = { 10, 2, 1, 5, 6, 7, 8 };
constexpr int CardAdapter[] = { 2, 12, 22 };
constexpr NvU32 OtherMaker = 0x397D1462;

} // namespace

// The card's own I2C bus through the library for real cards: the adapter it
// finds, the bytes the program's commands put on it, the guards that keep
// everything else off any bus, and one caller at a time per bus.
class TestNvapiLinuxI2c : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    InProcessBridge m_loader;
    RecordingI2cBus m_bus;
    std::unique_ptr<GpuController> m_controller;

    static FakeNvml &fake() { return FakeNvml::instance(); }

    GpuController &card(int index)
    {
        m_controller->selectGpu(index);
        return *m_controller;
    }

    void start()
    {
        m_controller.reset();
        BridgeI2c::instance().reload();
        m_controller = std::make_unique<GpuController>();
        QCOMPARE(m_controller->gpuCount(), 3);
        m_bus.clear();
    }

    /// A transport record as the program fills it (version 3, port 1).
    static NvI2cInfo record(NvU8 address, NvU8 *reg, NvU32 regSize, NvU8 *data, NvU32 size)
    {
        NvI2cInfo info {};
        info.version = NvApiVersion::i2cV3;
        info.i2cDevAddress = address;
        info.pbI2cRegAddress = reg;
        info.regAddrSize = regSize;
        info.pbData = data;
        info.cbSize = size;
        info.i2cSpeed = 0xFFFF;
        info.i2cSpeedKhz = 6;
        info.portId = 1;
        info.bIsPortIdSet = 1;
        return info;
    }

    NvPhysicalGpuHandle handle(int index)
    {
        NvPhysicalGpuHandle handles[64] = {};
        NvU32 count = 0;
        BridgeEntries::enumPhysicalGpus(handles, &count);
        return handles[index];
    }

    static std::vector<NvU8> ledPacket(std::vector<NvU8> body)
    {
        body.insert(body.begin(), static_cast<NvU8>(body.size() + 2));
        NvU8 sum = 0;
        for (NvU8 b : body)
            sum = static_cast<NvU8>(sum + b);
        body.push_back(static_cast<NvU8>(~sum));
        return body;
    }

    static std::vector<NvU8> lcdFrame(std::size_t size)
    {
        std::vector<NvU8> frame(size, 0x11);
        frame[0] = 0xAA;
        frame[1] = 0x88;
        unsigned sum = 0;
        for (std::size_t i = 0; i < 33 && i < size; ++i)
            sum += frame[i];
        if (size >= 35) {
            frame[33] = static_cast<NvU8>(sum);
            frame[34] = static_cast<NvU8>(sum >> 8);
        }
        return frame;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QString sys = m_dir.filePath(QStringLiteral("sys"));
        FakeSysfs sysfs(sys);
        for (int card = 0; card < 3; ++card) {
            const unsigned subsystemVendor = card < 2 ? MakerSubsystemVendorId : (OtherMaker & 0xFFFF);
            QVERIFY(sysfs.addPciDevice(QLatin1String(BusIds[card]), 0xA1, 0x10DE, subsystemVendor));
            for (int i = 0; i < 7; ++i) {
                // Newer drivers end the name in a newline; the second card's come without one.
                QByteArray name = QByteArray("NVIDIA i2c adapter ") + QByteArray::number(Ports[i]) + " at "
                    + Locations[card];
                if (card != 1)
                    name += '\n';
                QVERIFY(sysfs.addAdapter(QLatin1String(BusIds[card]), card * 10 + i, name));
            }
        }
        qputenv("LUMETRA_LINUX_SYSFS_ROOT", sys.toLocal8Bit());
        qputenv("LUMETRA_NVML_LIBRARY", FAKE_NVML_PATH);
        qputenv("LUMETRA_I2C_CONF", m_dir.filePath(QStringLiteral("i2c.conf")).toLocal8Bit());
        qputenv("XDG_RUNTIME_DIR", m_dir.filePath(QStringLiteral("runtime")).toLocal8Bit());
        fake().reset(3);
        fake().setValue(2, "pciSubSystemId", OtherMaker);
        SimCardConfig maker;
        for (int adapter : CardAdapter)
            m_bus.attach(adapter, maker);
        BridgeI2c::instance().setBus(&m_bus);
        QVERIFY(NvApiBinding::instance().setModuleLoader(&m_loader));
    }

    void cleanupTestCase()
    {
        m_controller.reset();
        NvApiBinding::instance().setModuleLoader(nullptr);
        BridgeI2c::instance().setBus(nullptr);
    }

    void init()
    {
        qunsetenv("LUMETRA_LINUX_I2C");
        qunsetenv("LUMETRA_LINUX_I2C_ADAPTER");
        QFile::remove(m_dir.filePath(QStringLiteral("i2c.conf")));
        m_bus.failWith(0);
        m_bus.setBlockRead(true);
        start();
    }

    void adapterNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("busId");
        QTest::addColumn<int>("port");
        QTest::newRow("port 1") << "NVIDIA i2c adapter 1 at 1:00.0"
                                << "0000:01:00.0" << 1;
        QTest::newRow("trailing newline") << "NVIDIA i2c adapter 1 at 1:00.0\n"
                                          << "0000:01:00.0" << 1;
        QTest::newRow("adapter 10") << "NVIDIA i2c adapter 10 at 1:00.0"
                                    << "0000:01:00.0" << 10;
        QTest::newRow("hex bus") << "NVIDIA i2c adapter 1 at 2b:00.0"
                                 << "0000:2b:00.0" << 1;
        QTest::newRow("another device") << "NVIDIA i2c adapter 1 at 2:00.0"
                                        << "0000:01:00.0" << -1;
        QTest::newRow("another function") << "NVIDIA i2c adapter 1 at 1:00.1"
                                          << "0000:01:00.0" << -1;
        QTest::newRow("not NVIDIA") << "i915 gmbus dpb"
                                    << "0000:01:00.0" << -1;
        QTest::newRow("text after") << "NVIDIA i2c adapter 1 at 1:00.0 x"
                                    << "0000:01:00.0" << -1;
        QTest::newRow("no port") << "NVIDIA i2c adapter  at 1:00.0"
                                 << "0000:01:00.0" << -1;
    }
    void adapterNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, busId);
        QFETCH(int, port);
        QCOMPARE(I2cAdapters::portOf(name.toStdString(), busId.toStdString()).value_or(-1), port);
    }

    void eachCardsPortOneAdapterIsFound()
    {
        const std::string root = I2cAdapters::sysfsRoot();
        for (int card = 0; card < 3; ++card)
            QCOMPARE(I2cAdapters::cardAdapter(root, BusIds[card]).value_or(-1), CardAdapter[card]);
        QVERIFY(!I2cAdapters::cardAdapter(root, "0000:09:00.0"));
        QVERIFY(!I2cAdapters::cardAdapter(root, "../../../etc"));
    }

    // The start-up probe: the lighting controller and the LCD answer on the
    // maker's cards; the other maker's card is never written to at all.
    void probeFindsTheDevicesOnTheMakersCardsOnly()
    {
        QVERIFY(card(0).probeLightingController());
        QVERIFY(card(0).probeLcd());
        QVERIFY(card(1).probeLightingController());
        QVERIFY(card(1).probeLcd());
        QVERIFY(!card(2).probeLightingController());
        QVERIFY(!card(2).probeLcd());
        for (const auto &t : m_bus.transactions())
            QVERIFY2(t.adapter == 2 || t.adapter == 12, qPrintable(QString::number(t.adapter)));
        QCOMPARE(m_bus.card(22)->led()->acceptedCount(), 0);
    }

    void ledCommandBytesOnPortOneOfThatCard()
    {
        const std::uint8_t rgb[] = { 255, 0, 4 };
        QVERIFY(card(1).sendLedCommand(rgb, 3, 0, 50, 2, false));
        const auto log = m_bus.transactions();
        QCOMPARE(log.size(), std::size_t(1));
        QCOMPARE(log[0].adapter, 12);
        QCOMPARE(log[0].messages.size(), std::size_t(1));
        const I2cMessage &m = log[0].messages[0];
        QCOMPARE(int(m.address), 0x50);
        QVERIFY(!m.read);
        const std::vector<NvU8> expected = { 0x08, 0x00, 0x32, 0x02, 0xFF, 0x00, 0x04,
            static_cast<NvU8>(~(0x08 + 0x32 + 0x02 + 0xFF + 0x04)) };
        QCOMPARE(m.bytes, expected);
        LedStateReading state;
        QVERIFY(card(1).readLedState(state));
        QCOMPARE(state.colors[0][0], 255);
        QCOMPARE(state.colors[0][2], 4);
    }

    // The LED page itself: choosing Gradient sends command 4 with 50 and 2, on the selected card's bus.
    void theLedPagesCommandOnTheSelectedCard()
    {
        card(1);
        Korvo_SendColorToLed sender(m_controller.get());
        auto page = std::make_unique<Korvo_LEDControlWidget>(m_controller.get(), &sender);
        m_bus.clear();
        page->radio(Korvo_LEDControlWidget::Gradient)->setChecked(true);
        const auto log = m_bus.transactions();
        QVERIFY(!log.empty());
        QCOMPARE(log.back().adapter, 12);
        QCOMPARE(log.back().messages.back().bytes, ledPacket({ 4, 50, 2 }));
        page.reset();
    }

    // The LCD feeder's frames, from its own thread, reach 0xAC on the card's bus.
    void theLcdFeedersFramesReachTheLcd()
    {
        card(0);
        const int before = m_bus.card(2)->lcd()->frameCount();
        Korvo_SendNvInfoToLCDThread feeder(m_controller.get());
        // The result comes from the feeder's thread: received queued, by a context that ends before the
        // feeder.
        QObject context;
        int results = 0;
        bool firstOk = false;
        connect(
            &feeder, &Korvo_SendNvInfoToLCDThread::sendDataToLCDResult, &context,
            [&results, &firstOk](bool ok) { firstOk = results++ == 0 ? ok : firstOk; }, Qt::QueuedConnection);
        feeder.startSampling();
        QTRY_VERIFY_WITH_TIMEOUT(results > 0, 5000);
        QVERIFY(feeder.stopWithin(3000));
        QVERIFY(firstOk);
        QVERIFY(m_bus.card(2)->lcd()->frameCount() > before);
    }

    void lcdFramesReachTheLcd()
    {
        QVERIFY(card(0).sendLcdFrame(true, true, 5, 0x10));
        const auto log = m_bus.transactions();
        QVERIFY(!log.empty());
        const I2cMessage &m = log.back().messages.back();
        QCOMPARE(log.back().adapter, 2);
        QCOMPARE(int(m.address), 0x56);
        QCOMPARE(m.bytes.size(), std::size_t(35));
        QCOMPARE(int(m.bytes[0]), 0xAA);
        QCOMPARE(int(m.bytes[1]), 0x88);
    }

    void boardSensorsAreRead_data()
    {
        QTest::addColumn<bool>("blockRead");
        QTest::newRow("SMBus block read") << true;
        QTest::newRow("register write, then read") << false;
    }
    void boardSensorsAreRead()
    {
        QFETCH(bool, blockRead);
        m_bus.setBlockRead(blockRead);
        SimReadings readings = m_bus.card(2)->readings();
        readings.boardSensorC = { 45.0, 50.5, 38.0, 61.0 };
        m_bus.card(2)->setReadings(readings);
        BoardTemperatures temperatures;
        card(0).readBoardTemperatures(temperatures);
        QCOMPARE(temperatures.sensorC[0], 45);
        QCOMPARE(temperatures.sensorC[1], 50);
        QCOMPARE(temperatures.sensorC[2], 38);
        QCOMPARE(temperatures.sensorC[3], 61);
        const auto log = m_bus.transactions();
        QCOMPARE(log.size(), std::size_t(4));
        QCOMPARE(int(log[0].messages.back().address), 0x9E >> 1);
        QCOMPARE(log[0].blockRead, blockRead);
        if (!blockRead) {
            QCOMPARE(log[0].messages.size(), std::size_t(2));
            QCOMPARE(log[0].messages[0].bytes, std::vector<NvU8>({ 0x00 }));
        }
    }

    // Each refusal answers its status and puts nothing on any bus.
    void guards_data()
    {
        QTest::addColumn<int>("gpu");
        QTest::addColumn<int>("address");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("port");
        QTest::addColumn<QByteArray>("switchValue");
        QTest::addColumn<int>("status");
        const auto bytes = [](const std::vector<NvU8> &b) {
            return QByteArray(reinterpret_cast<const char *>(b.data()), int(b.size()));
        };
        const QByteArray probe = bytes(ledPacket({ 0x0A, 0, 0 }));
        QByteArray broken = probe;
        broken[broken.size() - 1] = char(broken.back() ^ 1);
        QTest::newRow("another maker's card") << 2 << 0xA0 << probe << 1 << QByteArray() << -104;
        QTest::newRow("address outside the list") << 0 << 0x70 << probe << 1 << QByteArray() << -104;
        QTest::newRow("EEPROM's other half") << 0 << 0xA2 << probe << 1 << QByteArray() << -104;
        QTest::newRow("a sensor is not written")
            << 0 << 0x90 << bytes({ 0x01, 0x60 }) << 1 << QByteArray() << -104;
        QTest::newRow("port 2") << 0 << 0xA0 << probe << 2 << QByteArray() << -105;
        QTest::newRow("malformed lighting packet") << 0 << 0xA0 << broken << 1 << QByteArray() << -5;
        QTest::newRow("34-byte LCD frame") << 0 << 0xAC << bytes(lcdFrame(34)) << 1 << QByteArray() << -5;
        QTest::newRow("switched off") << 0 << 0xA0 << probe << 1 << QByteArray("off") << -104;
    }
    void guards()
    {
        QFETCH(int, gpu);
        QFETCH(int, address);
        QFETCH(QByteArray, bytes);
        QFETCH(int, port);
        QFETCH(QByteArray, switchValue);
        QFETCH(int, status);
        if (!switchValue.isEmpty()) {
            qputenv("LUMETRA_LINUX_I2C", switchValue);
            BridgeI2c::instance().reload();
        }
        NvU8 reg = 0;
        NvI2cInfo info
            = record(NvU8(address), &reg, 0, reinterpret_cast<NvU8 *>(bytes.data()), NvU32(bytes.size()));
        info.portId = NvU8(port);
        QCOMPARE(BridgeEntries::i2cWrite(handle(gpu), &info), status);
        NvU32 pair[2] = {};
        QCOMPARE(BridgeEntries::i2cWriteEx(handle(gpu), &info, pair), status);
        QVERIFY(m_bus.transactions().empty());
    }

    void readsOfEveryDeviceAreAllowed()
    {
        NvU8 reg = 0;
        NvU8 answer[27] = {};
        NvI2cInfo info = record(0xA1, &reg, 0, answer, 27);
        NvU32 pair[2] = {};
        QCOMPARE(BridgeEntries::i2cReadEx(handle(0), &info, pair), NvApiStatus::Ok);
        QCOMPARE(pair[0], 27u);
        QCOMPARE(int(answer[0]), 3); // the controller's kind
        NvI2cInfo foreign = record(0xA1, &reg, 0, answer, 27);
        QCOMPARE(BridgeEntries::i2cRead(handle(2), &foreign), NvApiStatus::NotSupported);
    }

    void transportChecksAreTheSimulatedDriversOwn()
    {
        NvU8 reg = 0;
        NvU8 data[40] = {};
        NvI2cInfo info = record(0x9E, &reg, 1, data, 17);
        QCOMPARE(BridgeEntries::i2cRead(handle(0), &info), -116);
        info = record(0x9E, nullptr, 1, data, 2);
        QCOMPARE(BridgeEntries::i2cRead(handle(0), &info), NvApiStatus::InvalidArgument);
        info = record(0x9E, &reg, 1, data, 2);
        info.i2cSpeed = 0;
        QCOMPARE(BridgeEntries::i2cRead(handle(0), &info), NvApiStatus::InvalidArgument);
        info = record(0x9E, &reg, 1, data, 2);
        info.version = 0x30038;
        QCOMPARE(BridgeEntries::i2cRead(handle(0), &info), NvApiStatus::IncompatibleStructVersion);
        QVERIFY(m_bus.transactions().empty());
    }

    void noAccessToTheBusIsAPrivilegeRefusal()
    {
        m_bus.failWith(EACCES);
        auto probe = ledPacket({ 0x0A, 0, 0 });
        NvU8 reg = 0;
        NvI2cInfo info = record(0xA0, &reg, 0, probe.data(), NvU32(probe.size()));
        QCOMPARE(BridgeEntries::i2cWrite(handle(0), &info), -137);
        QVERIFY(!card(0).probeLightingController());
        m_bus.failWith(EIO);
        QCOMPARE(BridgeEntries::i2cWrite(handle(0), &info), NvApiStatus::Error);
    }

    void adapterOverrideAndConfiguration()
    {
        qputenv("LUMETRA_LINUX_I2C_ADAPTER", "0000:01:00.0=11");
        BridgeI2c::instance().reload();
        card(0).probeLightingController();
        QCOMPARE(m_bus.transactions().back().adapter, 11);
        qunsetenv("LUMETRA_LINUX_I2C_ADAPTER");

        QFile conf(m_dir.filePath(QStringLiteral("i2c.conf")));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write("# another board, and only that one\nonly 0x397D1462\n");
        conf.close();
        BridgeI2c::instance().reload();
        m_bus.clear();
        QVERIFY(!card(0).probeLightingController());
        QVERIFY(card(2).probeLightingController());
        QCOMPARE(m_bus.transactions().size(), std::size_t(1));
        QCOMPARE(m_bus.transactions().front().adapter, 22);
    }

    void policyParsing()
    {
        const I2cPolicy p = I2cPolicy::parse("allow 0x12345678\nadapter 0000:05:00.0 7\nbogus line\n",
            nullptr, "0000:06:00.0=9,broken,0000:07:00.0=x");
        QVERIFY(p.enabled);
        QVERIFY(p.cardAllowed(0x250310DE, 0x12345678));
        QVERIFY(p.cardAllowed(0x250310DE, 0x00001D17));
        QVERIFY(!p.cardAllowed(0x25031002, 0x00001D17)); // not NVIDIA's vendor id
        QCOMPARE(p.adapters.at("0000:05:00.0"), 7);
        QCOMPARE(p.adapters.at("0000:06:00.0"), 9);
        QCOMPARE(p.adapters.count("0000:07:00.0"), std::size_t(0));
        QVERIFY(!I2cPolicy::parse("off\n", nullptr, nullptr).enabled);
        QVERIFY(!I2cPolicy::parse("", "off", nullptr).enabled);
        QVERIFY(I2cPolicy::parse("", "on", nullptr).enabled);
    }

    // The LCD feeder, the LED sender and a page share one bus: no message ever
    // lands inside another's transaction.
    void threeThreadsOnOneBus()
    {
        std::atomic<int> failures { 0 };
        const auto worker = [this, &failures](int kind) {
            GpuController controller;
            controller.selectGpu(0);
            for (int i = 0; i < 40; ++i) {
                const std::uint8_t rgb[] = { std::uint8_t(i), 0, 0 };
                BoardTemperatures t;
                bool ok = true;
                if (kind == 0)
                    ok = controller.sendLedCommand(rgb, 3, 1, 50, 4, false);
                else if (kind == 1)
                    ok = controller.sendLcdFrame(true, true, 5, 0x20);
                else
                    controller.readBoardTemperatures(t);
                if (!ok)
                    ++failures;
            }
        };
        std::thread a(worker, 0), b(worker, 1), c(worker, 2);
        a.join();
        b.join();
        c.join();
        QCOMPARE(failures.load(), 0);
        QVERIFY(!m_bus.overlapped());
        QCOMPARE(m_bus.transactions().size(), std::size_t(40 + 40 + 160));
    }

    // The udev rule grants the logged-in user port 1 of the maker's cards and nothing else.
    void udevRuleGrantsOnlyTheCardsBus()
    {
        QFile ruleFile(QStringLiteral(UDEV_RULE_PATH));
        QVERIFY(ruleFile.open(QIODevice::ReadOnly));
        QStringList rules;
        for (const QString &line : QString::fromUtf8(ruleFile.readAll()).split(QLatin1Char('\n'))) {
            if (!line.trimmed().isEmpty() && !line.trimmed().startsWith(QLatin1Char('#')))
                rules << line.trimmed();
        }
        QCOMPARE(rules.size(), 1);
        FakeSysfs sysfs(m_dir.filePath(QStringLiteral("sys")));
        QList<int> granted;
        for (int card = 0; card < 3; ++card) {
            const QString device = sysfs.deviceFolder(QLatin1String(BusIds[card]));
            for (int i = 0; i < 7; ++i) {
                const int adapter = card * 10 + i;
                if (udevMatches(rules.front(), device, adapter))
                    granted << adapter;
            }
        }
        QCOMPARE(granted, QList<int>({ 2, 12 }));
        QVERIFY(rules.front().contains(QStringLiteral("TAG+=\"uaccess\"")));
        QVERIFY(rules.front().contains(QStringLiteral("ATTRS{subsystem_vendor}==\"0x%1\"")
                                           .arg(MakerSubsystemVendorId, 4, 16, QLatin1Char('0'))));
    }

private:
    static QString sysfsValue(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QString();
        // udev drops trailing white space of an attribute's value.
        return QString::fromUtf8(file.readAll()).trimmed();
    }

    /// The rule's keys as udev evaluates them for the i2c-dev device of one adapter.
    static bool udevMatches(const QString &rule, const QString &pciDevice, int adapter)
    {
        const QString kernel = QStringLiteral("i2c-%1").arg(adapter);
        const QString adapterFolder = pciDevice + QLatin1Char('/') + kernel;
        for (QString key : rule.split(QStringLiteral(", "))) {
            key = key.trimmed();
            const int eq = key.indexOf(QStringLiteral("=="));
            if (eq < 0)
                continue; // an assignment, not a match
            const QString name = key.left(eq);
            const QString pattern = key.mid(eq + 2).remove(QLatin1Char('"'));
            QString value;
            if (name == QLatin1String("SUBSYSTEM"))
                value = QStringLiteral("i2c-dev");
            else if (name == QLatin1String("KERNEL"))
                value = kernel;
            else if (name == QLatin1String("ATTR{name}"))
                value = sysfsValue(adapterFolder + QStringLiteral("/name"));
            else if (name == QLatin1String("ATTRS{vendor}"))
                value = sysfsValue(pciDevice + QStringLiteral("/vendor"));
            else if (name == QLatin1String("ATTRS{subsystem_vendor}"))
                value = sysfsValue(pciDevice + QStringLiteral("/subsystem_vendor"));
            else
                return false; // a key this check does not know: fail loudly
            if (fnmatch(pattern.toUtf8().constData(), value.toUtf8().constData(), 0) != 0)
                return false;
        }
        return true;
    }
};

QTEST_MAIN(TestNvapiLinuxI2c)
#include "tst_nvapilinuxi2c.moc"
