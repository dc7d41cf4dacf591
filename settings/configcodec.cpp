#include "configcodec.h"

#include "nodestext.h"
#include "xmltreewriter.h"

#include <QLocale>
#include <QRegularExpression>

namespace {

const QString DateFormat = QStringLiteral("yyyy/MM/dd");

const QString TagGpuSettings = QStringLiteral("GpuSettings");
const QString TagGpu = QStringLiteral("GPU");
const QString TagMonitor = QStringLiteral("MonitorModule");
const QString TagAdjust = QStringLiteral("AdjustModule");
const QString TagLed = QStringLiteral("LedModule");
const QString TagLcd = QStringLiteral("LcdModule");

const QStringList ColorNames = { QStringLiteral("Color1"), QStringLiteral("Color2"), QStringLiteral("Color3"),
    QStringLiteral("Color4"), QStringLiteral("Color5"), QStringLiteral("Color6"), QStringLiteral("Color7") };

quint32 LedRecord::*const ColorFields[] = { &LedRecord::Color1, &LedRecord::Color2, &LedRecord::Color3,
    &LedRecord::Color4, &LedRecord::Color5, &LedRecord::Color6, &LedRecord::Color7 };

} // namespace

GeneralSettingRecord ConfigCodec::readGeneral(const QDomElement &element)
{
    GeneralSettingRecord record;
    record.StartOnBoot = toSigned(element, QStringLiteral("StartOnBoot")) != 0;
    record.MinimizeOnStart = toSigned(element, QStringLiteral("MinimizeOnStart")) != 0;
    record.ApplyLastParamOnStart = toSigned(element, QStringLiteral("ApplyLastParamOnStart")) != 0;
    record.Language = element.attribute(QStringLiteral("Language"));
    record.RefreshTimeOfMonitor = toSigned(element, QStringLiteral("RefreshTimeOfMonitor"));
    record.PageEffects = element.attribute(QStringLiteral("PageEffects"));
    return record;
}

UpdateSettingRecord ConfigCodec::readUpdate(const QDomElement &element)
{
    UpdateSettingRecord record;
    record.CheckInterval = toSigned(element, QStringLiteral("CheckInterval"));
    record.UpdateMode = toSigned(element, QStringLiteral("UpdateMode"));
    record.UpdateStatus = toSigned(element, QStringLiteral("UpdateStatus"));
    return record;
}

void ConfigCodec::readGpuSettings(const QDomElement &element, QList<GpuEntry> &cards)
{
    for (QDomNode node = element.firstChild(); !node.isNull(); node = node.nextSibling()) {
        const QDomElement gpu = node.toElement();
        if (gpu.isNull() || gpu.tagName() != TagGpu)
            return;
        cards.append(readGpu(gpu));
    }
}

QDate ConfigCodec::readDate(const QDomElement &element)
{
    // Only the exact form counts: QDate::fromString would also take a sign
    // in the year and the digits of the system locale.
    static const QRegularExpression form(QStringLiteral("^([0-9]{4})/([0-9]{2})/([0-9]{2})$"));
    const QRegularExpressionMatch match = form.match(element.text());
    if (!match.hasMatch())
        return QDate();
    return QDate(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
}

bool ConfigCodec::readNotPromptHPS(const QDomElement &element)
{
    return toUnsigned(element, QStringLiteral("NotPromptHPS")) != 0;
}

GpuEntry ConfigCodec::readGpu(const QDomElement &element)
{
    GpuEntry entry;
    entry.GpuName = element.attribute(QStringLiteral("GpuName"));
    entry.SubSystemId = toUnsigned(element, QStringLiteral("SubSystemId"));
    for (QDomNode node = element.firstChild(); !node.isNull(); node = node.nextSibling()) {
        if (!readModule(node.toElement(), entry))
            break;
    }
    return entry;
}

bool ConfigCodec::readModule(const QDomElement &element, GpuEntry &entry)
{
    if (element.isNull())
        return false;
    const QString tag = element.tagName();
    if (tag == TagMonitor)
        entry.SelectOption = readSelectOption(element);
    else if (tag == TagAdjust)
        entry.adjust = readAdjust(element);
    else if (tag == TagLed)
        entry.led = readLed(element);
    else if (tag == TagLcd)
        entry.lcd = readLcd(element);
    else
        return false;
    return true;
}

quint32 ConfigCodec::readSelectOption(const QDomElement &element)
{
    return toUnsigned(element, QStringLiteral("SelectOption"));
}

AdjustRecord ConfigCodec::readAdjust(const QDomElement &element)
{
    AdjustRecord record;
    record.GpuFreClock = toSigned(element, QStringLiteral("GpuFreClock"));
    record.FanSpeedLevel = toSigned(element, QStringLiteral("FanSpeedLevel"));
    record.Voltage = toSigned(element, QStringLiteral("Voltage"));
    record.MemoryFreClock = toSigned(element, QStringLiteral("MemoryFreClock"));
    record.Power = toSigned(element, QStringLiteral("Power"));
    record.Temperature = toSigned(element, QStringLiteral("Temperature"));
    record.LinkOfPowerWithTemperature = toSigned(element, QStringLiteral("LinkOfPowerWithTemperature")) != 0;
    record.FanMode = toSigned(element, QStringLiteral("FanMode"));
    record.Nodes = NodesText::parse(element.attribute(QStringLiteral("Nodes")));
    record.EnableHighPerformance = toUnsigned(element, QStringLiteral("EnableHighPerformance")) != 0;
    return record;
}

LedRecord ConfigCodec::readLed(const QDomElement &element)
{
    LedRecord record;
    record.LedMode = toSigned(element, QStringLiteral("LedMode"));
    record.CheckedColorButtonStatic = toUnsigned(element, QStringLiteral("CheckedColorButtonStatic")) & 0xFFu;
    record.CheckedColorButtonDynamic
        = toUnsigned(element, QStringLiteral("CheckedColorButtonDynamic")) & 0xFFu;
    record.Interval = toSigned(element, QStringLiteral("Interval"));
    for (int i = 0; i < ColorNames.size(); ++i)
        record.*ColorFields[i] = toUnsigned(element, ColorNames.at(i));
    return record;
}

LcdRecord ConfigCodec::readLcd(const QDomElement &element)
{
    LcdRecord record;
    record.AutoSwitch = toUnsigned(element, QStringLiteral("AutoSwitch")) != 0;
    record.SwitchTime = toUnsigned(element, QStringLiteral("SwitchTime"));
    record.ModifierKey = toUnsigned(element, QStringLiteral("ModifierKey"));
    record.NormalKey = toUnsigned(element, QStringLiteral("NormalKey"));
    record.EnableLcd = toUnsigned(element, QStringLiteral("EnableLcd")) != 0;
    return record;
}

void ConfigCodec::writeGeneral(QDomElement &element, const GeneralSettingRecord &record)
{
    setBool(element, QStringLiteral("StartOnBoot"), record.StartOnBoot);
    setBool(element, QStringLiteral("MinimizeOnStart"), record.MinimizeOnStart);
    setBool(element, QStringLiteral("ApplyLastParamOnStart"), record.ApplyLastParamOnStart);
    element.setAttribute(QStringLiteral("Language"), record.Language);
    element.setAttribute(QStringLiteral("RefreshTimeOfMonitor"), record.RefreshTimeOfMonitor);
    element.setAttribute(QStringLiteral("PageEffects"), record.PageEffects);
}

void ConfigCodec::writeUpdate(QDomElement &element, const UpdateSettingRecord &record)
{
    element.setAttribute(QStringLiteral("CheckInterval"), record.CheckInterval);
    element.setAttribute(QStringLiteral("UpdateMode"), record.UpdateMode);
    element.setAttribute(QStringLiteral("UpdateStatus"), record.UpdateStatus);
}

void ConfigCodec::writeDate(QDomDocument &document, QDomElement &element, const QDate &date)
{
    const QDomNode first = element.firstChild();
    if (!first.isNull())
        element.removeChild(first);
    element.appendChild(document.createTextNode(formatDate(date)));
}

void ConfigCodec::writeNotPromptHPS(QDomElement &element, bool flag)
{
    setBool(element, QStringLiteral("NotPromptHPS"), flag);
}

QDomElement ConfigCodec::rebuildGpuSettings(
    QDomDocument &document, QDomElement &root, const QList<GpuEntry> &cards)
{
    // Every old GpuSettings goes: a stale duplicate left in front of the new
    // one would be read first at the next start and hide the saved values.
    // The old lists stay referenced until the GPU elements are taken out
    // of them; QDom does not cope with children outliving a freed parent.
    QList<QDomElement> oldSettings;
    QList<QDomElement> oldGpus;
    for (QDomElement old = root.firstChildElement(TagGpuSettings); !old.isNull();
         old = root.firstChildElement(TagGpuSettings)) {
        for (QDomElement gpu = old.firstChildElement(TagGpu); !gpu.isNull();
             gpu = gpu.nextSiblingElement(TagGpu))
            oldGpus.append(gpu);
        oldSettings.append(old);
        root.removeChild(old);
    }

    QDomElement settings = document.createElement(TagGpuSettings);
    for (const GpuEntry &entry : cards) {
        QDomElement gpu = takeMatchingGpu(oldGpus, entry);
        if (gpu.isNull())
            gpu = document.createElement(TagGpu);
        writeGpu(document, gpu, entry);
        settings.appendChild(gpu);
    }
    oldGpus.clear();
    return settings;
}

QDomElement ConfigCodec::takeMatchingGpu(QList<QDomElement> &oldGpus, const GpuEntry &entry)
{
    for (int i = 0; i < oldGpus.size(); ++i) {
        const QDomElement gpu = oldGpus.at(i);
        if (entry.matches(
                gpu.attribute(QStringLiteral("GpuName")), toUnsigned(gpu, QStringLiteral("SubSystemId")))) {
            oldGpus.removeAt(i);
            gpu.parentNode().removeChild(gpu);
            return gpu;
        }
    }
    return QDomElement();
}

void ConfigCodec::writeGpu(QDomDocument &document, QDomElement &gpu, const GpuEntry &entry)
{
    gpu.setAttribute(QStringLiteral("GpuName"), entry.GpuName);
    gpu.setAttribute(QStringLiteral("SubSystemId"), entry.SubSystemId);

    QDomElement monitor = takeOrCreate(document, gpu, TagMonitor);
    monitor.setAttribute(QStringLiteral("SelectOption"), entry.SelectOption);
    QDomElement adjust = takeOrCreate(document, gpu, TagAdjust);
    writeAdjust(adjust, entry.adjust);
    QDomElement led = takeOrCreate(document, gpu, TagLed);
    writeLed(led, entry.led);
    QDomElement lcd = takeOrCreate(document, gpu, TagLcd);
    writeLcd(lcd, entry.lcd);

    // The modules go in front of any other children: reading a card stops
    // at its first unknown child, so modules written after one would never
    // be read again.
    const QDomNode firstOther = gpu.firstChild();
    for (const QDomElement &module : { monitor, adjust, led, lcd }) {
        if (firstOther.isNull())
            gpu.appendChild(module);
        else
            gpu.insertBefore(module, firstOther);
    }
}

void ConfigCodec::writeAdjust(QDomElement &element, const AdjustRecord &record)
{
    element.setAttribute(QStringLiteral("GpuFreClock"), record.GpuFreClock);
    element.setAttribute(QStringLiteral("FanSpeedLevel"), record.FanSpeedLevel);
    element.setAttribute(QStringLiteral("Voltage"), record.Voltage);
    element.setAttribute(QStringLiteral("MemoryFreClock"), record.MemoryFreClock);
    element.setAttribute(QStringLiteral("Power"), record.Power);
    element.setAttribute(QStringLiteral("Temperature"), record.Temperature);
    setBool(element, QStringLiteral("LinkOfPowerWithTemperature"), record.LinkOfPowerWithTemperature);
    element.setAttribute(QStringLiteral("FanMode"), record.FanMode);
    setBool(element, QStringLiteral("EnableHighPerformance"), record.EnableHighPerformance);
    element.setAttribute(QStringLiteral("Nodes"), NodesText::format(record.Nodes));
}

void ConfigCodec::writeLed(QDomElement &element, const LedRecord &record)
{
    // Interval is written signed, as it is read back; unsigned would turn
    // a negative value into one that reads as 0.
    element.setAttribute(QStringLiteral("Interval"), record.Interval);
    element.setAttribute(QStringLiteral("LedMode"), record.LedMode);
    element.setAttribute(QStringLiteral("CheckedColorButtonStatic"), uint(record.CheckedColorButtonStatic));
    element.setAttribute(QStringLiteral("CheckedColorButtonDynamic"), uint(record.CheckedColorButtonDynamic));
    for (int i = 0; i < ColorNames.size(); ++i)
        element.setAttribute(ColorNames.at(i), record.*ColorFields[i]);
}

void ConfigCodec::writeLcd(QDomElement &element, const LcdRecord &record)
{
    setBool(element, QStringLiteral("AutoSwitch"), record.AutoSwitch);
    element.setAttribute(QStringLiteral("SwitchTime"), record.SwitchTime);
    element.setAttribute(QStringLiteral("ModifierKey"), record.ModifierKey);
    element.setAttribute(QStringLiteral("NormalKey"), record.NormalKey);
    setBool(element, QStringLiteral("EnableLcd"), record.EnableLcd);
}

QDomElement ConfigCodec::takeOrCreate(QDomDocument &document, QDomNode &parent, const QString &tagName)
{
    QDomElement element = parent.firstChildElement(tagName);
    if (element.isNull())
        return document.createElement(tagName);
    parent.removeChild(element);
    return element;
}

void ConfigCodec::setAttributeOrder(XmlTreeWriter &writer)
{
    writer.setAttributeOrder(QStringLiteral("GeneralSetting"),
        { QStringLiteral("StartOnBoot"), QStringLiteral("MinimizeOnStart"),
            QStringLiteral("ApplyLastParamOnStart"), QStringLiteral("Language"),
            QStringLiteral("RefreshTimeOfMonitor"), QStringLiteral("PageEffects") });
    writer.setAttributeOrder(QStringLiteral("UpdateSetting"),
        { QStringLiteral("CheckInterval"), QStringLiteral("UpdateMode"), QStringLiteral("UpdateStatus") });
    writer.setAttributeOrder(TagGpu, { QStringLiteral("GpuName"), QStringLiteral("SubSystemId") });
    writer.setAttributeOrder(TagMonitor, { QStringLiteral("SelectOption") });
    writer.setAttributeOrder(TagAdjust,
        { QStringLiteral("GpuFreClock"), QStringLiteral("FanSpeedLevel"), QStringLiteral("Voltage"),
            QStringLiteral("MemoryFreClock"), QStringLiteral("Power"), QStringLiteral("Temperature"),
            QStringLiteral("LinkOfPowerWithTemperature"), QStringLiteral("FanMode"),
            QStringLiteral("EnableHighPerformance"), QStringLiteral("Nodes") });
    writer.setAttributeOrder(TagLed,
        QStringList { QStringLiteral("Interval"), QStringLiteral("LedMode"),
            QStringLiteral("CheckedColorButtonStatic"), QStringLiteral("CheckedColorButtonDynamic") }
            + ColorNames);
    writer.setAttributeOrder(TagLcd,
        { QStringLiteral("AutoSwitch"), QStringLiteral("SwitchTime"), QStringLiteral("ModifierKey"),
            QStringLiteral("NormalKey"), QStringLiteral("EnableLcd") });
    writer.setAttributeOrder(QStringLiteral("OtherSetting"), { QStringLiteral("NotPromptHPS") });
}

QString ConfigCodec::formatDate(const QDate &date)
{
    // QDate::toString would use the digits of the system locale.
    return date.isValid() ? QLocale::c().toString(date, DateFormat) : QString();
}

qint32 ConfigCodec::toSigned(const QDomElement &element, const QString &name)
{
    bool ok = false;
    const qint32 value = element.attribute(name).toInt(&ok, 10);
    return ok ? value : 0;
}

quint32 ConfigCodec::toUnsigned(const QDomElement &element, const QString &name)
{
    bool ok = false;
    const quint32 value = element.attribute(name).toUInt(&ok, 10);
    return ok ? value : 0;
}

void ConfigCodec::setBool(QDomElement &element, const QString &name, bool value)
{
    element.setAttribute(name, value ? QStringLiteral("1") : QStringLiteral("0"));
}
