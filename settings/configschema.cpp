#include "configschema.h"

#include "nodestext.h"
#include "xmltreewriter.h"

#include <type_traits>
#include <utility>

namespace {

template <typename Member> struct MemberTraits;

template <typename Record, typename Field> struct MemberTraits<Field Record::*>
{
    using RecordType = Record;
};

template <auto Member> using RecordOf = typename MemberTraits<decltype(Member)>::RecordType;

qint32 toSigned(const QString &text)
{
    bool ok = false;
    const qint32 value = text.toInt(&ok, 10);
    return ok ? value : 0;
}

quint32 toUnsigned(const QString &text)
{
    bool ok = false;
    const quint32 value = text.toUInt(&ok, 10);
    return ok ? value : 0;
}

QString flagText(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

// The attribute kinds of the file. A field is read back the way it is
// written: a signed value written unsigned would come back as 0.

template <auto Member> ConfigAttribute<RecordOf<Member>> signedNumber(const char *name)
{
    using Record = RecordOf<Member>;
    return { QLatin1String(name),
        [](Record &record, const QString &text) { record.*Member = toSigned(text); },
        [](const Record &record) { return QString::number(record.*Member); } };
}

// Narrower fields keep the low bits of the value read.
template <auto Member> ConfigAttribute<RecordOf<Member>> unsignedNumber(const char *name)
{
    using Record = RecordOf<Member>;
    using Field = std::remove_reference_t<decltype(std::declval<Record &>().*Member)>;
    return { QLatin1String(name),
        [](Record &record, const QString &text) { record.*Member = static_cast<Field>(toUnsigned(text)); },
        [](const Record &record) { return QString::number(uint(record.*Member)); } };
}

template <auto Member> ConfigAttribute<RecordOf<Member>> signedFlag(const char *name)
{
    using Record = RecordOf<Member>;
    return { QLatin1String(name),
        [](Record &record, const QString &text) { record.*Member = toSigned(text) != 0; },
        [](const Record &record) { return flagText(record.*Member); } };
}

template <auto Member> ConfigAttribute<RecordOf<Member>> unsignedFlag(const char *name)
{
    using Record = RecordOf<Member>;
    return { QLatin1String(name),
        [](Record &record, const QString &text) { record.*Member = toUnsigned(text) != 0; },
        [](const Record &record) { return flagText(record.*Member); } };
}

template <auto Member> ConfigAttribute<RecordOf<Member>> text(const char *name)
{
    using Record = RecordOf<Member>;
    return { QLatin1String(name), [](Record &record, const QString &value) { record.*Member = value; },
        [](const Record &record) { return record.*Member; } };
}

template <auto Member> ConfigAttribute<RecordOf<Member>> curve(const char *name)
{
    using Record = RecordOf<Member>;
    return { QLatin1String(name),
        [](Record &record, const QString &value) { record.*Member = NodesText::parse(value); },
        [](const Record &record) { return NodesText::format(record.*Member); } };
}

} // namespace

const ConfigElement<GeneralSettingRecord> &ConfigSchema::general()
{
    using R = GeneralSettingRecord;
    static const ConfigElement<R> element { QStringLiteral("GeneralSetting"),
        { signedFlag<&R::StartOnBoot>("StartOnBoot"), signedFlag<&R::MinimizeOnStart>("MinimizeOnStart"),
            signedFlag<&R::ApplyLastParamOnStart>("ApplyLastParamOnStart"), text<&R::Language>("Language"),
            signedNumber<&R::RefreshTimeOfMonitor>("RefreshTimeOfMonitor"),
            text<&R::PageEffects>("PageEffects") } };
    return element;
}

const ConfigElement<UpdateSettingRecord> &ConfigSchema::update()
{
    using R = UpdateSettingRecord;
    static const ConfigElement<R> element { QStringLiteral("UpdateSetting"),
        { signedNumber<&R::CheckInterval>("CheckInterval"), signedNumber<&R::UpdateMode>("UpdateMode"),
            signedNumber<&R::UpdateStatus>("UpdateStatus") } };
    return element;
}

const ConfigElement<OtherSettingRecord> &ConfigSchema::other()
{
    using R = OtherSettingRecord;
    static const ConfigElement<R> element { QStringLiteral("OtherSetting"),
        { unsignedFlag<&R::NotPromptHPS>("NotPromptHPS") } };
    return element;
}

const ConfigElement<GpuEntry> &ConfigSchema::gpu()
{
    using R = GpuEntry;
    static const ConfigElement<R> element { QStringLiteral("GPU"),
        { text<&R::GpuName>("GpuName"), unsignedNumber<&R::SubSystemId>("SubSystemId") } };
    return element;
}

const ConfigElement<GpuEntry> &ConfigSchema::monitorModule()
{
    using R = GpuEntry;
    static const ConfigElement<R> element { QStringLiteral("MonitorModule"),
        { unsignedNumber<&R::SelectOption>("SelectOption") } };
    return element;
}

const ConfigElement<AdjustRecord> &ConfigSchema::adjustModule()
{
    using R = AdjustRecord;
    static const ConfigElement<R> element { QStringLiteral("AdjustModule"),
        { signedNumber<&R::GpuFreClock>("GpuFreClock"), signedNumber<&R::FanSpeedLevel>("FanSpeedLevel"),
            signedNumber<&R::Voltage>("Voltage"), signedNumber<&R::MemoryFreClock>("MemoryFreClock"),
            signedNumber<&R::Power>("Power"), signedNumber<&R::Temperature>("Temperature"),
            signedFlag<&R::LinkOfPowerWithTemperature>("LinkOfPowerWithTemperature"),
            signedNumber<&R::FanMode>("FanMode"),
            unsignedFlag<&R::EnableHighPerformance>("EnableHighPerformance"), curve<&R::Nodes>("Nodes") } };
    return element;
}

const ConfigElement<LedRecord> &ConfigSchema::ledModule()
{
    using R = LedRecord;
    static const ConfigElement<R> element { QStringLiteral("LedModule"),
        { signedNumber<&R::Interval>("Interval"), signedNumber<&R::LedMode>("LedMode"),
            unsignedNumber<&R::CheckedColorButtonStatic>("CheckedColorButtonStatic"),
            unsignedNumber<&R::CheckedColorButtonDynamic>("CheckedColorButtonDynamic"),
            unsignedNumber<&R::Color1>("Color1"), unsignedNumber<&R::Color2>("Color2"),
            unsignedNumber<&R::Color3>("Color3"), unsignedNumber<&R::Color4>("Color4"),
            unsignedNumber<&R::Color5>("Color5"), unsignedNumber<&R::Color6>("Color6"),
            unsignedNumber<&R::Color7>("Color7") } };
    return element;
}

const ConfigElement<LcdRecord> &ConfigSchema::lcdModule()
{
    using R = LcdRecord;
    static const ConfigElement<R> element { QStringLiteral("LcdModule"),
        { unsignedFlag<&R::AutoSwitch>("AutoSwitch"), unsignedNumber<&R::SwitchTime>("SwitchTime"),
            unsignedNumber<&R::ModifierKey>("ModifierKey"), unsignedNumber<&R::NormalKey>("NormalKey"),
            unsignedFlag<&R::EnableLcd>("EnableLcd") } };
    return element;
}

const QVector<ConfigDateElement> &ConfigSchema::dates()
{
    static const QVector<ConfigDateElement> elements {
        { QStringLiteral("LastCloseDate"), &ConfigDates::LastCloseDate },
        { QStringLiteral("LastStartDate"), &ConfigDates::LastStartDate },
        { QStringLiteral("LastCheckDate"), &ConfigDates::LastCheckDate },
        { QStringLiteral("LastUpdateDate"), &ConfigDates::LastUpdateDate },
    };
    return elements;
}

void ConfigSchema::applyAttributeOrder(XmlTreeWriter &writer)
{
    writer.setAttributeOrder(general().tagName, general().attributeNames());
    writer.setAttributeOrder(update().tagName, update().attributeNames());
    writer.setAttributeOrder(other().tagName, other().attributeNames());
    writer.setAttributeOrder(gpu().tagName, gpu().attributeNames());
    writer.setAttributeOrder(monitorModule().tagName, monitorModule().attributeNames());
    writer.setAttributeOrder(adjustModule().tagName, adjustModule().attributeNames());
    writer.setAttributeOrder(ledModule().tagName, ledModule().attributeNames());
    writer.setAttributeOrder(lcdModule().tagName, lcdModule().attributeNames());
}
