#include "simcardfile.h"

#include <QFile>
#include <QStringList>
#include <QXmlStreamReader>

#include <cerrno>
#include <cmath>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int MaxCards = 64;
constexpr int MaxTextLength = 63; // the driver's short strings hold 64 bytes with the terminator
// Real card files are a few kilobytes; the cap keeps /dev/zero or a huge
// file from taking all memory.
constexpr qint64 MaxFileBytes = 4 * 1024 * 1024;
const std::array<NvU8, 4> SensorAddresses = { 0x9E, 0x90, 0x96, 0x92 };

// Numbers a card may give. Beyond sense for a graphics card, but small enough
// that the card's arithmetic (MHz to kHz, degrees to 1/256 degree, products
// of clocks and of speeds with levels) stays far inside 32 bits.
constexpr SimCardFile::Range ClockMhz { 0, 100000 };
constexpr SimCardFile::Range OffsetMhz { -100000, 100000 };
constexpr SimCardFile::Range VoltageUv { 0, 5000000 };
constexpr SimCardFile::Range VoltageDeltaUv { -1000000, 1000000 };
constexpr SimCardFile::Range OverVoltageUv { 0, 1000000 };
constexpr SimCardFile::Range Celsius { -128, 255 };
constexpr SimCardFile::Range Percent { 0, 100 };
constexpr SimCardFile::Range CoolerCount { 1, 20 };
constexpr SimCardFile::Range Rpm { 0, 100000 };
constexpr SimCardFile::Range Unsigned32 { 0, 0xFFFFFFFFLL };
constexpr SimCardFile::Range Unsigned8 { 0, 0xFF };
constexpr double MaxPowerPercent = 1000.0;
constexpr double MaxPhaseRadians = 1000.0;

int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    int digit = -1;
    if (u >= u'0' && u <= u'9')
        digit = u - u'0';
    else if (u >= u'a' && u <= u'f')
        digit = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F')
        digit = u - u'A' + 10;
    return digit < base ? digit : -1;
}

// Decimal or 0x hex with an optional leading minus, nothing else. A magnitude
// past 2^62 is kept at 2^62: still a number, and outside every range.
bool parseInteger(const QString &text, qlonglong &value)
{
    constexpr quint64 Cap = quint64(1) << 62;
    QString digits = text.trimmed();
    const bool negative = digits.startsWith(QLatin1Char('-'));
    if (negative)
        digits.remove(0, 1);
    int base = 10;
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        digits.remove(0, 2);
    }
    if (digits.isEmpty())
        return false;
    quint64 magnitude = 0;
    for (const QChar c : digits) {
        const int digit = digitValue(c, base);
        if (digit < 0)
            return false;
        magnitude = magnitude > (Cap - quint64(digit)) / quint64(base) ? Cap : magnitude * base + digit;
    }
    value = negative ? -qlonglong(magnitude) : qlonglong(magnitude);
    return true;
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}
} // namespace

SimCardFile::SimCardFile(QXmlStreamReader &reader)
    : m_reader(reader)
{
}

bool SimCardFile::load(const QString &path, Contents &contents, QString &error)
{
    QByteArray bytes;
    if (!readFile(path, bytes, error)) {
        error = QStringLiteral("%1: %2").arg(path, error);
        return false;
    }
    if (parse(bytes, contents, error))
        return true;
    error = QStringLiteral("%1: %2").arg(path, error);
    return false;
}

bool SimCardFile::readFile(const QString &path, QByteArray &bytes, QString &error)
{
    QFile file;
    qint64 size = 0;
    if (!openRegularFile(path, file, size, error))
        return false;
    bytes = size > MaxFileBytes ? QByteArray() : file.read(MaxFileBytes + 1);
    if (size > MaxFileBytes || bytes.size() > MaxFileBytes) {
        error = QStringLiteral("larger than %1 MiB, the most a card file may have").arg(MaxFileBytes >> 20);
        bytes.clear();
        return false;
    }
    if (file.error() != QFileDevice::NoError) {
        error = QStringLiteral("cannot read: %1").arg(file.errorString());
        return false;
    }
    return true;
}

bool SimCardFile::openRegularFile(const QString &path, QFile &file, qint64 &size, QString &error)
{
    // A FIFO blocks the open until someone writes, a device may never end:
    // only a regular file is opened, and the open itself cannot block.
    const QByteArray native = QFile::encodeName(path);
    struct stat status = {};
    if (::stat(native.constData(), &status) != 0) {
        error = QStringLiteral("cannot open: %1").arg(systemError());
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        error = QStringLiteral("not a regular file");
        return false;
    }
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = QStringLiteral("cannot open: %1").arg(systemError());
        return false;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        error = QStringLiteral("cannot open: %1").arg(file.errorString());
        return false;
    }
    // Looked at again on the open file: the path may have been replaced since.
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        error = QStringLiteral("not a regular file");
        return false;
    }
    size = status.st_size;
    return true;
}

bool SimCardFile::parse(const QByteArray &xml, Contents &contents, QString &error)
{
    QXmlStreamReader reader(xml);
    SimCardFile file(reader);
    Contents parsed;
    if (!file.readRoot(parsed)) {
        error = file.m_error;
        return false;
    }
    contents = parsed;
    return true;
}

bool SimCardFile::fail(const QString &message)
{
    if (m_error.isEmpty())
        m_error = QStringLiteral("line %1: %2").arg(m_reader.lineNumber()).arg(message);
    return false;
}

bool SimCardFile::readRoot(Contents &contents)
{
    if (!m_reader.readNextStartElement())
        return fail(m_reader.hasError() ? m_reader.errorString() : QStringLiteral("the file has no element"));
    if (m_reader.name() != QLatin1String("simulatedCards"))
        return fail(
            QStringLiteral("the root element must be <simulatedCards>, not <%1>").arg(m_reader.name()));
    if (!checkAttributes({ "driverVersion", "branch" }))
        return false;
    if (m_reader.attributes().hasAttribute("driverVersion")) {
        NvU32 version = 0;
        if (!readUnsigned("driverVersion", version))
            return false;
        contents.driverVersion = version;
    }
    if (m_reader.attributes().hasAttribute("branch")) {
        std::string branch;
        if (!readText("branch", branch))
            return false;
        contents.branch = branch;
    }
    while (m_reader.readNextStartElement()) {
        if (m_reader.name() != QLatin1String("card"))
            return fail(QStringLiteral("unknown element <%1>; expected <card>").arg(m_reader.name()));
        SimCardConfig card;
        if (!readCard(card))
            return false;
        contents.cards.push_back(card);
    }
    while (!m_reader.atEnd() && !m_reader.hasError())
        m_reader.readNext();
    if (m_reader.hasError())
        return fail(m_reader.errorString());
    int physical = 0;
    for (const SimCardConfig &card : contents.cards)
        physical += card.tcc ? 0 : 1;
    if (physical > MaxCards || int(contents.cards.size()) - physical > MaxCards)
        return fail(QStringLiteral("more than %1 cards of one kind").arg(MaxCards));
    return true;
}

bool SimCardFile::readCard(SimCardConfig &card)
{
    if (!checkAttributes({ "name", "tcc", "phase", "usage", "frozen" }))
        return false;
    if (!readText("name", card.name) || !readBool("tcc", card.tcc)
        || !readDouble("phase", card.loadPhase, -MaxPhaseRadians, MaxPhaseRadians)
        || !readBool("usage", card.usagePresent) || !readBool("frozen", card.frozen))
        return false;
    if (card.name.empty())
        return fail(QStringLiteral("a card needs a name"));
    // A card in a file has only the I2C devices the file lists.
    card.hasLed = false;
    card.hasLcd = false;
    card.boardSensors = { false, false, false, false };
    while (m_reader.readNextStartElement()) {
        if (!readCardChild(card))
            return false;
    }
    return !m_reader.hasError() || fail(m_reader.errorString());
}

bool SimCardFile::readCardChild(SimCardConfig &card)
{
    const QStringRef name = m_reader.name();
    bool ok = false;
    if (name == QLatin1String("identity"))
        ok = readIdentity(card);
    else if (name == QLatin1String("memory"))
        ok = readMemory(card);
    else if (name == QLatin1String("clocks"))
        ok = readClocks(card);
    else if (name == QLatin1String("offsets"))
        ok = readOffsets(card);
    else if (name == QLatin1String("voltage"))
        ok = readVoltage(card);
    else if (name == QLatin1String("power"))
        ok = readPower(card);
    else if (name == QLatin1String("thermal"))
        ok = readThermal(card);
    else if (name == QLatin1String("fan"))
        ok = readFan(card);
    else if (name == QLatin1String("led"))
        ok = readLed(card);
    else if (name == QLatin1String("lcd"))
        ok = readLcd(card);
    else if (name == QLatin1String("boardSensors"))
        ok = readSensors(card);
    else
        return fail(QStringLiteral("unknown element <%1> in <card>").arg(name));
    return ok && skipEmptyElement();
}

bool SimCardFile::readIdentity(SimCardConfig &card)
{
    return checkAttributes({ "deviceId", "subsystemId", "revisionId", "extDeviceId", "vbios" })
        && readUnsigned("deviceId", card.deviceId) && readUnsigned("subsystemId", card.subsystemId)
        && readUnsigned("revisionId", card.revisionId) && readUnsigned("extDeviceId", card.extDeviceId)
        && readText("vbios", card.vbiosVersion);
}

bool SimCardFile::readMemory(SimCardConfig &card)
{
    const bool sizeGiven = m_reader.attributes().hasAttribute("sizeKb");
    if (!checkAttributes({ "type", "sizeKb", "availableKb", "sharedSystemKb", "busWidth", "clockMhz",
            "idleClockMhz", "idleUsedKb" })
        || !readUnsigned("type", card.memoryType) || !readUnsigned("sizeKb", card.dedicatedKb))
        return false;
    if (sizeGiven)
        card.availableDedicatedKb = card.dedicatedKb;
    return readUnsigned("availableKb", card.availableDedicatedKb)
        && readUnsigned("sharedSystemKb", card.sharedSystemKb) && readUnsigned("busWidth", card.busWidthBits)
        && readInt("clockMhz", card.memoryMhz, ClockMhz)
        && readInt("idleClockMhz", card.memoryIdleMhz, ClockMhz)
        && readUnsigned("idleUsedKb", card.memoryIdleUsedKb);
}

bool SimCardFile::readClocks(SimCardConfig &card)
{
    if (!checkAttributes({ "idleMhz", "baseMhz", "boostMhz", "maxBoostMhz", "videoMhz" })
        || !readInt("idleMhz", card.gpuIdleMhz, ClockMhz) || !readInt("baseMhz", card.gpuBaseMhz, ClockMhz)
        || !readInt("boostMhz", card.gpuBoostMhz, ClockMhz)
        || !readInt("maxBoostMhz", card.gpuMaxBoostMhz, ClockMhz)
        || !readInt("videoMhz", card.videoBaseMhz, ClockMhz))
        return false;
    if (card.gpuIdleMhz > card.gpuBaseMhz || card.gpuBaseMhz > card.gpuBoostMhz)
        return fail(QStringLiteral("<clocks> needs idleMhz <= baseMhz <= boostMhz"));
    if (card.gpuMaxBoostMhz < card.gpuBoostMhz)
        card.gpuMaxBoostMhz = card.gpuBoostMhz;
    return true;
}

bool SimCardFile::readOffsets(SimCardConfig &card)
{
    bool editable = card.gpuEditable && card.memoryEditable;
    if (!checkAttributes({ "gpuMinMhz", "gpuMaxMhz", "memoryMinMhz", "memoryMaxMhz", "editable", "p0" })
        || !readInt("gpuMinMhz", card.gpuOffsetMinMhz, OffsetMhz)
        || !readInt("gpuMaxMhz", card.gpuOffsetMaxMhz, OffsetMhz)
        || !readInt("memoryMinMhz", card.memoryOffsetMinMhz, OffsetMhz)
        || !readInt("memoryMaxMhz", card.memoryOffsetMaxMhz, OffsetMhz) || !readBool("editable", editable)
        || !readBool("p0", card.hasP0))
        return false;
    card.gpuEditable = editable;
    card.memoryEditable = editable;
    if (card.gpuOffsetMinMhz > card.gpuOffsetMaxMhz || card.memoryOffsetMinMhz > card.memoryOffsetMaxMhz)
        return fail(QStringLiteral("<offsets> has a minimum above its maximum"));
    return true;
}

bool SimCardFile::readVoltage(SimCardConfig &card)
{
    if (!checkAttributes({ "idleUv", "loadUv", "deltaMinUv", "deltaMaxUv", "overVoltageMaxUv", "editable" })
        || !readInt("idleUv", card.voltageIdleUv, VoltageUv)
        || !readInt("loadUv", card.voltageLoadUv, VoltageUv)
        || !readInt("deltaMinUv", card.voltageDeltaMinUv, VoltageDeltaUv)
        || !readInt("deltaMaxUv", card.voltageDeltaMaxUv, VoltageDeltaUv)
        || !readInt("overVoltageMaxUv", card.overVoltageMaxUv, OverVoltageUv)
        || !readBool("editable", card.voltageEditable))
        return false;
    if (card.voltageDeltaMinUv > card.voltageDeltaMaxUv)
        return fail(QStringLiteral("<voltage> needs deltaMinUv <= deltaMaxUv"));
    if (card.overVoltageMinUv > card.overVoltageMaxUv)
        return fail(QStringLiteral("<voltage> needs overVoltageMaxUv >= %1").arg(card.overVoltageMinUv));
    return true;
}

bool SimCardFile::readPower(SimCardConfig &card)
{
    double minimum = card.powerMin / 1000.0;
    double standard = card.powerDefault / 1000.0;
    double maximum = card.powerMax / 1000.0;
    if (!checkAttributes({ "min", "default", "max", "supported" })
        || !readDouble("min", minimum, 0.0, MaxPowerPercent)
        || !readDouble("default", standard, 0.0, MaxPowerPercent)
        || !readDouble("max", maximum, 0.0, MaxPowerPercent) || !readBool("supported", card.powerSupported))
        return false;
    if (minimum > standard || standard > maximum)
        return fail(QStringLiteral("<power> needs 0 <= min <= default <= max"));
    card.powerMin = static_cast<NvU32>(std::lround(minimum * 1000));
    card.powerDefault = static_cast<NvU32>(std::lround(standard * 1000));
    card.powerMax = static_cast<NvU32>(std::lround(maximum * 1000));
    return true;
}

bool SimCardFile::readThermal(SimCardConfig &card)
{
    if (!checkAttributes({ "min", "default", "max", "supported", "gpuSensor" })
        || !readInt("min", card.thermalMinC, Celsius) || !readInt("default", card.thermalDefaultC, Celsius)
        || !readInt("max", card.thermalMaxC, Celsius) || !readBool("supported", card.thermalSupported)
        || !readBool("gpuSensor", card.gpuSensor))
        return false;
    if (card.thermalMinC > card.thermalDefaultC || card.thermalDefaultC > card.thermalMaxC)
        return fail(QStringLiteral("<thermal> needs min <= default <= max"));
    return true;
}

bool SimCardFile::readFan(SimCardConfig &card)
{
    if (!checkAttributes(
            { "present", "count", "minLevel", "maxLevel", "autoMinLevel", "minRpm", "maxRpm", "tachRange" })
        || !readBool("present", card.hasCooler) || !readInt("count", card.coolerCount, CoolerCount)
        || !readInt("minLevel", card.fanLevelMinPercent, Percent)
        || !readInt("maxLevel", card.fanLevelMaxPercent, Percent)
        || !readInt("autoMinLevel", card.fanAutoMinPercent, Percent)
        || !readInt("minRpm", card.fanMinRpm, Rpm) || !readInt("maxRpm", card.fanMaxRpm, Rpm)
        || !readBool("tachRange", card.tachRangeValid))
        return false;
    if (card.fanLevelMinPercent > card.fanLevelMaxPercent)
        return fail(QStringLiteral("<fan> needs 0 <= minLevel <= maxLevel <= 100"));
    if (card.fanMinRpm > card.fanMaxRpm)
        return fail(QStringLiteral("<fan> needs 0 <= minRpm <= maxRpm"));
    return true;
}

bool SimCardFile::readLed(SimCardConfig &card)
{
    card.hasLed = true;
    return checkAttributes({ "kind" }) && readUnsigned8("kind", card.ledKind);
}

bool SimCardFile::readLcd(SimCardConfig &card)
{
    card.hasLcd = true;
    return checkAttributes({});
}

bool SimCardFile::readSensors(SimCardConfig &card)
{
    if (!checkAttributes({ "addresses" }))
        return false;
    std::string addresses = "0x9E 0x90 0x96 0x92";
    if (!readText("addresses", addresses))
        return false;
    const QStringList words = QString::fromStdString(addresses).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString &word : words) {
        qlonglong address = 0;
        if (!parseInteger(word, address))
            return fail(QStringLiteral("\"%1\" in addresses is not a number").arg(word));
        bool known = false;
        for (std::size_t i = 0; i < SensorAddresses.size(); ++i) {
            if (SensorAddresses[i] == address) {
                card.boardSensors[i] = true;
                known = true;
            }
        }
        if (!known)
            return fail(
                QStringLiteral("%1 is not a board sensor address (0x9E, 0x90, 0x96, 0x92)").arg(word));
    }
    return true;
}

bool SimCardFile::skipEmptyElement()
{
    const QString name = m_reader.name().toString();
    if (m_reader.readNextStartElement())
        return fail(QStringLiteral("<%1> takes no element inside, found <%2>").arg(name, m_reader.name()));
    return !m_reader.hasError() || fail(m_reader.errorString());
}

bool SimCardFile::checkAttributes(const QStringList &known)
{
    for (const QXmlStreamAttribute &attribute : m_reader.attributes()) {
        const QString name = attribute.name().toString();
        if (!known.contains(name))
            return fail(QStringLiteral("unknown attribute \"%1\" in <%2>").arg(name, m_reader.name()));
    }
    return true;
}

bool SimCardFile::readText(const char *name, std::string &value)
{
    const QXmlStreamAttributes attributes = m_reader.attributes();
    if (!attributes.hasAttribute(name))
        return true;
    const QByteArray text = attributes.value(name).toString().toUtf8();
    if (text.size() > MaxTextLength)
        return fail(QStringLiteral("%1 is longer than %2 bytes").arg(name).arg(MaxTextLength));
    value = text.toStdString();
    return true;
}

bool SimCardFile::readNumber(const char *name, qlonglong &value, const Range &range)
{
    const QString text = m_reader.attributes().value(name).toString();
    if (!parseInteger(text, value))
        return fail(QStringLiteral("<%1> %2=\"%3\" is not a whole number").arg(m_reader.name(), name, text));
    if (value < range.min || value > range.max)
        return fail(QStringLiteral("<%1> %2=\"%3\" is outside %4 to %5")
                        .arg(m_reader.name(), name, text)
                        .arg(range.min)
                        .arg(range.max));
    return true;
}

bool SimCardFile::readUnsigned(const char *name, NvU32 &value)
{
    qlonglong number = 0;
    if (!m_reader.attributes().hasAttribute(name))
        return true;
    if (!readNumber(name, number, Unsigned32))
        return false;
    value = static_cast<NvU32>(number);
    return true;
}

bool SimCardFile::readUnsigned8(const char *name, NvU8 &value)
{
    qlonglong number = 0;
    if (!m_reader.attributes().hasAttribute(name))
        return true;
    if (!readNumber(name, number, Unsigned8))
        return false;
    value = static_cast<NvU8>(number);
    return true;
}

bool SimCardFile::readInt(const char *name, int &value, const Range &range)
{
    qlonglong number = 0;
    if (!m_reader.attributes().hasAttribute(name))
        return true;
    if (!readNumber(name, number, range))
        return false;
    value = static_cast<int>(number);
    return true;
}

bool SimCardFile::readDouble(const char *name, double &value, double minimum, double maximum)
{
    const QXmlStreamAttributes attributes = m_reader.attributes();
    if (!attributes.hasAttribute(name))
        return true;
    bool ok = false;
    const QString text = attributes.value(name).toString();
    const double number = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(number))
        return fail(QStringLiteral("<%1> %2=\"%3\" is not a number").arg(m_reader.name(), name, text));
    if (number < minimum || number > maximum)
        return fail(QStringLiteral("<%1> %2=\"%3\" is outside %4 to %5")
                        .arg(m_reader.name(), name, text)
                        .arg(minimum)
                        .arg(maximum));
    value = number;
    return true;
}

bool SimCardFile::readBool(const char *name, bool &value)
{
    const QXmlStreamAttributes attributes = m_reader.attributes();
    if (!attributes.hasAttribute(name))
        return true;
    const QString text = attributes.value(name).toString().trimmed();
    if (text == QLatin1String("true") || text == QLatin1String("1")) {
        value = true;
        return true;
    }
    if (text == QLatin1String("false") || text == QLatin1String("0")) {
        value = false;
        return true;
    }
    return fail(QStringLiteral("%1=\"%2\" must be true or false").arg(name, text));
}
