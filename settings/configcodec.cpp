#include "configcodec.h"

#include "configschema.h"

#include <QLocale>
#include <QRegularExpression>

namespace {

const QString DateFormat = QStringLiteral("yyyy/MM/dd");

template <typename Record>
QDomElement writeModule(
    QDomDocument &document, QDomElement &gpu, const ConfigElement<Record> &schema, const Record &record)
{
    QDomElement module = ConfigCodec::takeOrCreate(document, gpu, schema.tagName);
    schema.write(record, module);
    // A further copy would stay behind the written one and, read later at
    // the next start, win over the values saved now.
    for (QDomElement copy = gpu.firstChildElement(schema.tagName); !copy.isNull();
         copy = gpu.firstChildElement(schema.tagName))
        gpu.removeChild(copy);
    return module;
}

} // namespace

void ConfigCodec::readGpuSettings(const QDomElement &element, QList<GpuEntry> &cards)
{
    for (QDomNode node = element.firstChild(); !node.isNull(); node = node.nextSibling()) {
        const QDomElement gpu = node.toElement();
        if (gpu.isNull() || gpu.tagName() != ConfigSchema::gpu().tagName)
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

GpuEntry ConfigCodec::readGpu(const QDomElement &element)
{
    GpuEntry entry;
    ConfigSchema::gpu().read(element, entry);
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
    if (tag == ConfigSchema::monitorModule().tagName)
        ConfigSchema::monitorModule().read(element, entry);
    else if (tag == ConfigSchema::adjustModule().tagName)
        ConfigSchema::adjustModule().read(element, entry.adjust);
    else if (tag == ConfigSchema::ledModule().tagName)
        ConfigSchema::ledModule().read(element, entry.led);
    else if (tag == ConfigSchema::lcdModule().tagName)
        ConfigSchema::lcdModule().read(element, entry.lcd);
    else
        return false;
    return true;
}

void ConfigCodec::writeDate(QDomDocument &document, QDomElement &element, const QDate &date)
{
    // The date is read as the element's whole text: every node that adds
    // to it goes (text, CDATA, entity references, child elements), so that
    // the date written is the only text. Comments and instructions stay.
    QDomNode node = element.firstChild();
    while (!node.isNull()) {
        const QDomNode next = node.nextSibling();
        if (!node.isComment() && !node.isProcessingInstruction())
            element.removeChild(node);
        node = next;
    }
    element.appendChild(document.createTextNode(formatDate(date)));
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
    for (QDomElement old = root.firstChildElement(ConfigSchema::gpuSettingsTag()); !old.isNull();
         old = root.firstChildElement(ConfigSchema::gpuSettingsTag())) {
        for (QDomElement gpu = old.firstChildElement(ConfigSchema::gpu().tagName); !gpu.isNull();
             gpu = gpu.nextSiblingElement(ConfigSchema::gpu().tagName))
            oldGpus.append(gpu);
        oldSettings.append(old);
        root.removeChild(old);
    }

    QDomElement settings = document.createElement(ConfigSchema::gpuSettingsTag());
    for (const GpuEntry &entry : cards) {
        QDomElement gpu = takeMatchingGpu(oldGpus, entry);
        if (gpu.isNull())
            gpu = document.createElement(ConfigSchema::gpu().tagName);
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
        GpuEntry identity;
        ConfigSchema::gpu().read(gpu, identity);
        if (entry.matches(identity.GpuName, identity.SubSystemId)) {
            oldGpus.removeAt(i);
            gpu.parentNode().removeChild(gpu);
            return gpu;
        }
    }
    return QDomElement();
}

void ConfigCodec::writeGpu(QDomDocument &document, QDomElement &gpu, const GpuEntry &entry)
{
    ConfigSchema::gpu().write(entry, gpu);
    const QDomElement modules[] = {
        writeModule(document, gpu, ConfigSchema::monitorModule(), entry),
        writeModule(document, gpu, ConfigSchema::adjustModule(), entry.adjust),
        writeModule(document, gpu, ConfigSchema::ledModule(), entry.led),
        writeModule(document, gpu, ConfigSchema::lcdModule(), entry.lcd),
    };

    // The modules go in front of any other children: reading a card stops
    // at its first unknown child, so modules written after one would never
    // be read again.
    const QDomNode firstOther = gpu.firstChild();
    for (const QDomElement &module : modules) {
        if (firstOther.isNull())
            gpu.appendChild(module);
        else
            gpu.insertBefore(module, firstOther);
    }
}

QDomElement ConfigCodec::takeOrCreate(QDomDocument &document, QDomNode &parent, const QString &tagName)
{
    QDomElement element = parent.firstChildElement(tagName);
    if (element.isNull())
        return document.createElement(tagName);
    parent.removeChild(element);
    return element;
}

QString ConfigCodec::formatDate(const QDate &date)
{
    // QDate::toString would use the digits of the system locale.
    return date.isValid() ? QLocale::c().toString(date, DateFormat) : QString();
}
