// Card files that are not what they seem: FIFOs, devices, huge files and
// numbers at and past the edge of what a simulated card computes with.

#include "simcard.h"
#include "simcardfile.h"
#include "simdynamics.h"

#include <QTemporaryDir>
#include <QtTest>

#include <chrono>
#include <cstdint>
#include <future>
#include <memory>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct LoadResult
{
    bool finished = false;
    bool ok = false;
    QString error;
    SimCardFile::Contents contents;
};

// Loads on a thread of its own, so that a load that blocks fails the test
// instead of hanging it; such a thread is left behind and ends with the process.
LoadResult loadWithin(const QString &path, std::chrono::seconds limit = std::chrono::seconds(10))
{
    auto promise = std::make_shared<std::promise<LoadResult>>();
    std::future<LoadResult> future = promise->get_future();
    std::thread([promise, path] {
        LoadResult result;
        result.finished = true;
        result.ok = SimCardFile::load(path, result.contents, result.error);
        promise->set_value(result);
    }).detach();
    if (future.wait_for(limit) != std::future_status::ready)
        return LoadResult {};
    return future.get();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray oneCard(const QByteArray &children, const QByteArray &cardAttributes = QByteArray())
{
    return "<simulatedCards>\n<card name=\"A\"" + cardAttributes + ">\n" + children
        + "\n</card>\n</simulatedCards>\n";
}

} // namespace

class TestSimCardFile : public QObject
{
    Q_OBJECT

private slots:
    void fifoIsRefusedWithoutBlocking();
    void deviceAndDirectoryAreRefused_data();
    void deviceAndDirectoryAreRefused();
    void fileOfTheLargestSizeIsRead();
    void largerFileIsRefused_data();
    void largerFileIsRefused();
    void numbersAtTheirLimitsAreTaken_data();
    void numbersAtTheirLimitsAreTaken();
    void numbersPastTheirLimitsNameFileLineAndAttribute_data();
    void numbersPastTheirLimitsNameFileLineAndAttribute();
    void malformedNumbersAreRefused_data();
    void malformedNumbersAreRefused();
    void reversedRangesAreRefused_data();
    void reversedRangesAreRefused();
    void cardAtTheLimitsComputesInRange();

private:
    QTemporaryDir m_dir;
};

void TestSimCardFile::fifoIsRefusedWithoutBlocking()
{
    const QString path = m_dir.filePath(QStringLiteral("cards.fifo"));
    QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    const LoadResult result = loadWithin(path);
    QVERIFY2(result.finished, "reading a FIFO blocked");
    QVERIFY(!result.ok);
    QVERIFY2(result.error.contains(path), qPrintable(result.error));
    QVERIFY2(result.error.contains(QLatin1String("not a regular file")), qPrintable(result.error));
}

void TestSimCardFile::deviceAndDirectoryAreRefused_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("character device") << QStringLiteral("/dev/null");
    QTest::newRow("endless device") << QStringLiteral("/dev/zero");
    QTest::newRow("directory") << m_dir.path();
}

void TestSimCardFile::deviceAndDirectoryAreRefused()
{
    QFETCH(QString, path);
    const LoadResult result = loadWithin(path);
    QVERIFY2(result.finished, "reading did not end");
    QVERIFY(!result.ok);
    QVERIFY2(result.error.startsWith(path + QLatin1Char(':')), qPrintable(result.error));
    QVERIFY2(result.error.contains(QLatin1String("not a regular file")), qPrintable(result.error));
}

void TestSimCardFile::fileOfTheLargestSizeIsRead()
{
    const QString path = m_dir.filePath(QStringLiteral("largest.xml"));
    QByteArray bytes = "<simulatedCards driverVersion=\"38571\">";
    const QByteArray tail = "</simulatedCards>";
    bytes += QByteArray(4 * 1024 * 1024 - bytes.size() - tail.size(), ' ') + tail;
    QCOMPARE(bytes.size(), 4 * 1024 * 1024);
    QVERIFY(writeFile(path, bytes));
    const LoadResult result = loadWithin(path);
    QVERIFY(result.finished);
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(result.contents.driverVersion.value_or(0), NvU32(38571));
}

void TestSimCardFile::largerFileIsRefused_data()
{
    QTest::addColumn<qint64>("size");
    QTest::newRow("one byte over") << qint64(4 * 1024 * 1024 + 1);
    QTest::newRow("two gigabytes") << qint64(2) * 1024 * 1024 * 1024;
}

void TestSimCardFile::largerFileIsRefused()
{
    QFETCH(qint64, size);
    const QString path = m_dir.filePath(QStringLiteral("huge.xml"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QVERIFY(file.write("<simulatedCards>") > 0);
    QVERIFY(file.resize(size)); // sparse: no disk space taken
    file.close();
    const LoadResult result = loadWithin(path);
    QFile::remove(path);
    QVERIFY2(result.finished, "reading did not end");
    QVERIFY(!result.ok);
    QVERIFY2(result.error.startsWith(path + QLatin1Char(':')), qPrintable(result.error));
    QVERIFY2(result.error.contains(QLatin1String("larger than 4 MiB")), qPrintable(result.error));
}

void TestSimCardFile::numbersAtTheirLimitsAreTaken_data()
{
    QTest::addColumn<QByteArray>("element");
    QTest::newRow("clocks low") << QByteArray(
        "<clocks idleMhz=\"0\" baseMhz=\"0\" boostMhz=\"0\" maxBoostMhz=\"0\" videoMhz=\"0\"/>");
    QTest::newRow("clocks high") << QByteArray(
        "<clocks idleMhz=\"100000\" baseMhz=\"100000\" "
        "boostMhz=\"100000\" maxBoostMhz=\"100000\" videoMhz=\"100000\"/>");
    QTest::newRow("memory clocks") << QByteArray("<memory clockMhz=\"100000\" idleClockMhz=\"0x186A0\"/>");
    QTest::newRow("offsets") << QByteArray("<offsets gpuMinMhz=\"-100000\" gpuMaxMhz=\"100000\" "
                                           "memoryMinMhz=\"-100000\" memoryMaxMhz=\"100000\"/>");
    QTest::newRow("voltage") << QByteArray("<voltage idleUv=\"0\" loadUv=\"5000000\" deltaMinUv=\"-1000000\" "
                                           "deltaMaxUv=\"1000000\" overVoltageMaxUv=\"1000000\"/>");
    QTest::newRow("power") << QByteArray("<power min=\"0\" default=\"500\" max=\"1000\"/>");
    QTest::newRow("thermal") << QByteArray("<thermal min=\"-128\" default=\"0\" max=\"255\"/>");
    QTest::newRow("fan") << QByteArray("<fan count=\"20\" minLevel=\"0\" maxLevel=\"100\" "
                                       "autoMinLevel=\"100\" minRpm=\"0\" maxRpm=\"100000\"/>");
    QTest::newRow("unsigned") << QByteArray("<identity deviceId=\"0xFFFFFFFF\" subsystemId=\"4294967295\"/>");
}

void TestSimCardFile::numbersAtTheirLimitsAreTaken()
{
    QFETCH(QByteArray, element);
    SimCardFile::Contents contents;
    QString error;
    QVERIFY2(SimCardFile::parse(oneCard(element), contents, error), qPrintable(error));
    QCOMPARE(int(contents.cards.size()), 1);
}

void TestSimCardFile::numbersPastTheirLimitsNameFileLineAndAttribute_data()
{
    QTest::addColumn<QByteArray>("element");
    QTest::addColumn<QString>("attribute");
    QTest::newRow("video clock") << QByteArray("<clocks videoMhz=\"2000000000\"/>") << "videoMhz";
    QTest::newRow("boost clock") << QByteArray("<clocks boostMhz=\"100001\" maxBoostMhz=\"100001\"/>")
                                 << "boostMhz";
    QTest::newRow("negative clock") << QByteArray("<clocks idleMhz=\"-1\"/>") << "idleMhz";
    QTest::newRow("memory clock") << QByteArray("<memory clockMhz=\"1073741824\"/>") << "clockMhz";
    QTest::newRow("idle memory clock")
        << QByteArray("<memory idleClockMhz=\"2147483647\"/>") << "idleClockMhz";
    QTest::newRow("gpu offset") << QByteArray("<offsets gpuMinMhz=\"-2147483648\"/>") << "gpuMinMhz";
    QTest::newRow("memory offset") << QByteArray("<offsets memoryMaxMhz=\"100001\"/>") << "memoryMaxMhz";
    QTest::newRow("load voltage") << QByteArray("<voltage loadUv=\"2147483647\"/>") << "loadUv";
    QTest::newRow("voltage delta") << QByteArray("<voltage deltaMaxUv=\"2147483647\"/>") << "deltaMaxUv";
    QTest::newRow("over-voltage") << QByteArray("<voltage overVoltageMaxUv=\"-1\"/>") << "overVoltageMaxUv";
    QTest::newRow("power") << QByteArray("<power max=\"1e300\"/>") << "max";
    QTest::newRow("thermal") << QByteArray("<thermal max=\"8388608\"/>") << "max";
    QTest::newRow("thermal low") << QByteArray("<thermal min=\"-8388609\"/>") << "min";
    QTest::newRow("auto fan level") << QByteArray("<fan autoMinLevel=\"101\"/>") << "autoMinLevel";
    QTest::newRow("fan speed") << QByteArray("<fan maxRpm=\"2147483647\"/>") << "maxRpm";
    QTest::newRow("fan count") << QByteArray("<fan count=\"21\"/>") << "count";
    QTest::newRow("led kind") << QByteArray("<led kind=\"256\"/>") << "kind";
    QTest::newRow("identity") << QByteArray("<identity deviceId=\"0x100000000\"/>") << "deviceId";
    QTest::newRow("huge") << QByteArray("<clocks idleMhz=\"99999999999999999999999999\"/>") << "idleMhz";
}

void TestSimCardFile::numbersPastTheirLimitsNameFileLineAndAttribute()
{
    QFETCH(QByteArray, element);
    QFETCH(QString, attribute);
    const QString path = m_dir.filePath(QStringLiteral("limits.xml"));
    QVERIFY(writeFile(path, oneCard(element)));
    const LoadResult result = loadWithin(path);
    QVERIFY(result.finished);
    QVERIFY2(!result.ok, element.constData());
    QVERIFY2(result.error.startsWith(path + QLatin1String(": line 3: ")), qPrintable(result.error));
    QVERIFY2(result.error.contains(attribute + QLatin1String("=\"")), qPrintable(result.error));
    QVERIFY2(result.error.contains(QLatin1String("outside")), qPrintable(result.error));
}

void TestSimCardFile::malformedNumbersAreRefused_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("double minus") << QByteArray("--5");
    QTest::newRow("double minus at the bottom") << QByteArray("--9223372036854775808");
    QTest::newRow("minus inside hex") << QByteArray("0x-10");
    QTest::newRow("minus twice around hex") << QByteArray("-0x-10");
    QTest::newRow("plus") << QByteArray("+5");
    QTest::newRow("space after minus") << QByteArray("- 5");
    QTest::newRow("hex prefix alone") << QByteArray("0x");
    QTest::newRow("minus alone") << QByteArray("-");
    QTest::newRow("decimal point") << QByteArray("5.0");
}

void TestSimCardFile::malformedNumbersAreRefused()
{
    QFETCH(QByteArray, value);
    SimCardFile::Contents contents;
    QString error;
    QVERIFY2(!SimCardFile::parse(oneCard("<offsets gpuMinMhz=\"" + value + "\"/>"), contents, error),
        value.constData());
    QVERIFY2(error.contains(QLatin1String("gpuMinMhz")), qPrintable(error));
}

void TestSimCardFile::reversedRangesAreRefused_data()
{
    QTest::addColumn<QByteArray>("element");
    QTest::addColumn<QString>("expected");
    QTest::newRow("voltage delta") << QByteArray("<voltage deltaMinUv=\"100\" deltaMaxUv=\"-100\"/>")
                                   << "deltaMinUv <= deltaMaxUv";
    QTest::newRow("fan levels") << QByteArray("<fan minLevel=\"60\" maxLevel=\"40\"/>") << "minLevel";
    QTest::newRow("offsets") << QByteArray("<offsets gpuMinMhz=\"10\" gpuMaxMhz=\"-10\"/>") << "minimum";
}

void TestSimCardFile::reversedRangesAreRefused()
{
    QFETCH(QByteArray, element);
    QFETCH(QString, expected);
    SimCardFile::Contents contents;
    QString error;
    QVERIFY2(!SimCardFile::parse(oneCard(element), contents, error), element.constData());
    QVERIFY2(error.contains(expected), qPrintable(error));
}

void TestSimCardFile::cardAtTheLimitsComputesInRange()
{
    // The highest clocks and offsets a file may give, on a card whose video
    // clock is a hundred times its base clock.
    const QByteArray xml = oneCard(
        "<clocks idleMhz=\"0\" baseMhz=\"1000\" boostMhz=\"100000\" maxBoostMhz=\"100000\" "
        "videoMhz=\"100000\"/>\n"
        "<memory clockMhz=\"100000\" idleClockMhz=\"100000\"/>\n"
        "<offsets gpuMinMhz=\"-100000\" gpuMaxMhz=\"100000\" memoryMinMhz=\"-100000\" "
        "memoryMaxMhz=\"100000\"/>\n"
        "<voltage idleUv=\"5000000\" loadUv=\"5000000\" deltaMinUv=\"-1000000\" deltaMaxUv=\"1000000\" "
        "overVoltageMaxUv=\"1000000\"/>\n"
        "<power min=\"0\" default=\"1000\" max=\"1000\"/>\n"
        "<thermal min=\"255\" default=\"255\" max=\"255\"/>\n"
        "<fan minLevel=\"0\" maxLevel=\"100\" autoMinLevel=\"100\" minRpm=\"100000\" maxRpm=\"100000\"/>");
    SimCardFile::Contents contents;
    QString error;
    QVERIFY2(SimCardFile::parse(xml, contents, error), qPrintable(error));
    QCOMPARE(int(contents.cards.size()), 1);

    // A moment of full load, where the card runs at the top of its range.
    double fullLoad = 0.0;
    while (SimDynamics::load(fullLoad, 0.0) < 0.75)
        fullLoad += 0.5;
    SimCard card(contents.cards[0], fullLoad);
    card.setGpuOffsetKhz(INT32_MAX);
    card.setMemoryOffsetKhz(INT32_MAX);
    card.setVoltageDeltaUv(INT32_MAX);
    card.setOverVoltageDeltaUv(INT32_MAX);
    card.setPowerLimit(UINT32_MAX);
    card.setThermalLimit(INT32_MAX, true);
    card.setCooler(INT32_MAX, 1);
    card.advanceTo(fullLoad + 1.0);
    QVERIFY(SimDynamics::load(fullLoad + 1.0, 0.0) >= 0.7);

    const SimReadings &readings = card.readings();
    QCOMPARE(card.tuning().gpuOffsetKhz, 100000 * 1000);
    QCOMPARE(card.tuning().thermalLimitRaw, 255 * 256);
    QCOMPARE(readings.gpuClockMhz, 200000);
    QCOMPARE(readings.memoryClockMhz, 200000);
    QCOMPARE(qint64(readings.videoClockMhz), qint64(100000) * 200000 / 1000);
    QCOMPARE(readings.fanLevelPercent, 100);
    QCOMPARE(readings.fanRpm, 100000);
    QCOMPARE(card.coreVoltageUv(), 6000000);
    QCOMPARE(card.clockKhz(0, 0), NvU32(200000) * 1000);
    QCOMPARE(card.clockKhz(4, 2), NvU32(200000) * 1000);
    // Past what a 32-bit kHz field holds: the record says the most it can.
    QCOMPARE(card.clockKhz(8, 0), NvU32(UINT32_MAX));

    card.setGpuOffsetKhz(INT32_MIN);
    QCOMPARE(card.tuning().gpuOffsetKhz, -100000 * 1000);
    QCOMPARE(card.clockKhz(0, 2), NvU32(0));
}

QTEST_GUILESS_MAIN(TestSimCardFile)
#include "tst_simcardfile.moc"
