#include "simcardfile.h"

#include <QFile>
#include <QStringList>
#include <QXmlStreamReader>

#include <cmath>

namespace {
constexpr int MaxCards = 64;
constexpr int MaxTextLength = 63; // the driver's short strings hold 64 bytes with the terminator
const std::array<NvU8, 4> SensorAddresses = { 0x9E, 0x90, 0x96, 0x92 };

bool parseInteger(const QString &text, qlonglong &value)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    const bool negative = trimmed.startsWith(QLatin1Char('-'));
    const QString digits = negative ? trimmed.mid(1) : trimmed;
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        value = digits.mid(2).toLongLong(&ok, 16);
    else
        value = digits.toLongLong(&ok, 10);
    if (negative)
        value = -value;
    return ok && !digits.startsWith(QLatin1Char('+')) && !digits.startsWith(QLatin1Char('-'));
}
} // namespace

SimCardFile::SimCardFile(QXmlStreamReader &reader)
    : m_reader(reader)
{
}

bool SimCardFile::load(const QString &path, Contents &contents, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot open %1: %2").arg(path, file.errorString());
        return false;
    }
    if (parse(file.readAll(), contents, error))
        return true;
    error = QStringLiteral("%1: %2").arg(path, error);
    return false;
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
    if (!checkAttributes({ "name", "tcc", "phase", "usage" }))
        return false;
    if (!readText("name", card.name) || !readBool("tcc", card.tcc) || !readDouble("phase", card.loadPhase)
        || !readBool("usage", card.usagePresent))
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
        && readInt("clockMhz", card.memoryMhz) && readInt("idleClockMhz", card.memoryIdleMhz)
        && readUnsigned("idleUsedKb", card.memoryIdleUsedKb);
}

bool SimCardFile::readClocks(SimCardConfig &card)
{
    if (!checkAttributes({ "idleMhz", "baseMhz", "boostMhz", "maxBoostMhz", "videoMhz" })
        || !readInt("idleMhz", card.gpuIdleMhz) || !readInt("baseMhz", card.gpuBaseMhz)
        || !readInt("boostMhz", card.gpuBoostMhz) || !readInt("maxBoostMhz", card.gpuMaxBoostMhz)
        || !readInt("videoMhz", card.videoBaseMhz))
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
        || !readInt("gpuMinMhz", card.gpuOffsetMinMhz) || !readInt("gpuMaxMhz", card.gpuOffsetMaxMhz)
        || !readInt("memoryMinMhz", card.memoryOffsetMinMhz)
        || !readInt("memoryMaxMhz", card.memoryOffsetMaxMhz) || !readBool("editable", editable)
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
    return checkAttributes({ "idleUv", "loadUv", "deltaMinUv", "deltaMaxUv", "overVoltageMaxUv", "editable" })
        && readInt("idleUv", card.voltageIdleUv) && readInt("loadUv", card.voltageLoadUv)
        && readInt("deltaMinUv", card.voltageDeltaMinUv) && readInt("deltaMaxUv", card.voltageDeltaMaxUv)
        && readInt("overVoltageMaxUv", card.overVoltageMaxUv) && readBool("editable", card.voltageEditable);
}

bool SimCardFile::readPower(SimCardConfig &card)
{
    double minimum = card.powerMin / 1000.0;
    double standard = card.powerDefault / 1000.0;
    double maximum = card.powerMax / 1000.0;
    if (!checkAttributes({ "min", "default", "max", "supported" }) || !readDouble("min", minimum)
        || !readDouble("default", standard) || !readDouble("max", maximum)
        || !readBool("supported", card.powerSupported))
        return false;
    if (minimum < 0 || minimum > standard || standard > maximum)
        return fail(QStringLiteral("<power> needs 0 <= min <= default <= max"));
    card.powerMin = static_cast<NvU32>(std::lround(minimum * 1000));
    card.powerDefault = static_cast<NvU32>(std::lround(standard * 1000));
    card.powerMax = static_cast<NvU32>(std::lround(maximum * 1000));
    return true;
}

bool SimCardFile::readThermal(SimCardConfig &card)
{
    if (!checkAttributes({ "min", "default", "max", "supported", "gpuSensor" })
        || !readInt("min", card.thermalMinC) || !readInt("default", card.thermalDefaultC)
        || !readInt("max", card.thermalMaxC) || !readBool("supported", card.thermalSupported)
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
        || !readBool("present", card.hasCooler) || !readInt("count", card.coolerCount)
        || !readInt("minLevel", card.fanLevelMinPercent) || !readInt("maxLevel", card.fanLevelMaxPercent)
        || !readInt("autoMinLevel", card.fanAutoMinPercent) || !readInt("minRpm", card.fanMinRpm)
        || !readInt("maxRpm", card.fanMaxRpm) || !readBool("tachRange", card.tachRangeValid))
        return false;
    if (card.coolerCount < 1 || card.coolerCount > 20)
        return fail(QStringLiteral("<fan> count must be 1 to 20"));
    if (card.fanLevelMinPercent < 0 || card.fanLevelMinPercent > card.fanLevelMaxPercent
        || card.fanLevelMaxPercent > 100)
        return fail(QStringLiteral("<fan> needs 0 <= minLevel <= maxLevel <= 100"));
    if (card.fanMinRpm < 0 || card.fanMinRpm > card.fanMaxRpm)
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

bool SimCardFile::readUnsigned(const char *name, NvU32 &value)
{
    const QXmlStreamAttributes attributes = m_reader.attributes();
    if (!attributes.hasAttribute(name))
        return true;
    qlonglong number = 0;
    const QString text = attributes.value(name).toString();
    if (!parseInteger(text, number) || number < 0 || number > 0xFFFFFFFFLL)
        return fail(QStringLiteral("%1=\"%2\" is not an unsigned 32-bit number").arg(name, text));
    value = static_cast<NvU32>(number);
    return true;
}

bool SimCardFile::readUnsigned8(const char *name, NvU8 &value)
{
    NvU32 wide = value;
    if (!readUnsigned(name, wide))
        return false;
    if (wide > 0xFF)
        return fail(QStringLiteral("%1 must fit in one byte").arg(name));
    value = static_cast<NvU8>(wide);
    return true;
}

bool SimCardFile::readInt(const char *name, int &value)
{
    const QXmlStreamAttributes attributes = m_reader.attributes();
    if (!attributes.hasAttribute(name))
        return true;
    qlonglong number = 0;
    const QString text = attributes.value(name).toString();
    if (!parseInteger(text, number) || number < INT32_MIN || number > INT32_MAX)
        return fail(QStringLiteral("%1=\"%2\" is not a whole number").arg(name, text));
    value = static_cast<int>(number);
    return true;
}

bool SimCardFile::readDouble(const char *name, double &value)
{
    const QXmlStreamAttributes attributes = m_reader.attributes();
    if (!attributes.hasAttribute(name))
        return true;
    bool ok = false;
    const QString text = attributes.value(name).toString();
    const double number = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(number))
        return fail(QStringLiteral("%1=\"%2\" is not a number").arg(name, text));
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
