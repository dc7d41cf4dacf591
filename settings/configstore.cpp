#include "configstore.h"

#include "configcodec.h"
#include "xmltreewriter.h"

#include <QFile>
#include <QSaveFile>

namespace {

const QString TagRoot = QStringLiteral("KorvoParameter");
const QString TagGeneral = QStringLiteral("GeneralSetting");
const QString TagUpdate = QStringLiteral("UpdateSetting");
const QString TagGpuSettings = QStringLiteral("GpuSettings");
const QString TagLastStart = QStringLiteral("LastStartDate");
const QString TagLastClose = QStringLiteral("LastCloseDate");
const QString TagLastUpdate = QStringLiteral("LastUpdateDate");
const QString TagLastCheck = QStringLiteral("LastCheckDate");
const QString TagOther = QStringLiteral("OtherSetting");

// Replaces the file only once all bytes are on disk; on any failure the old
// file stays as it was.
bool replaceFile(const QString &fileName, const QByteArray &bytes, QIODevice::OpenMode mode)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | mode))
        return false;
    // QSaveFile::commit() does not notice a failure of its final flush (a
    // full disk after a small write), so flush and check before committing.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace

ConfigStore::ConfigStore(const QString &fileName, TodayProvider today)
    : m_today(today ? std::move(today) : TodayProvider(&QDate::currentDate))
    , m_fileName(fileName)
{
    setAllDates(m_today());
}

bool ConfigStore::load()
{
    // Dates and the do-not-prompt flag keep their values when the file has none.
    m_general = GeneralSettingRecord();
    m_update = UpdateSettingRecord();
    m_cards.clear();
    m_document = QDomDocument();
    m_keepFileOnDisk = false;
    m_loaded = readFile();
    return m_loaded;
}

bool ConfigStore::readFile()
{
    QFile file(m_fileName);
    if (!file.exists())
        return writeDefaults();
    if (!file.open(QIODevice::ReadOnly)) {
        m_keepFileOnDisk = true;
        return false;
    }
    const QByteArray bytes = file.readAll();
    const bool readFailed = file.error() != QFileDevice::NoError;
    file.close();
    if (readFailed) {
        m_keepFileOnDisk = true;
        return false;
    }

    if (!m_document.setContent(bytes, &m_parseErrorText, &m_parseErrorLine, &m_parseErrorColumn)) {
        m_document = QDomDocument();
        // Defaults replace a broken file only once its bytes are safe beside it.
        if (!keepBrokenFile(bytes)) {
            m_keepFileOnDisk = true;
            return false;
        }
        return writeDefaults();
    }

    const QDomElement root = m_document.documentElement();
    if (root.tagName() != TagRoot)
        return false;
    readRoot(root);
    return true;
}

bool ConfigStore::keepBrokenFile(const QByteArray &bytes) const
{
    return replaceFile(brokenFileName(), bytes, QIODevice::NotOpen);
}

bool ConfigStore::writeDefaults()
{
    m_general = GeneralSettingRecord();
    m_update = UpdateSettingRecord();
    m_cards.clear();
    m_notPromptHPS = false;
    m_document = QDomDocument();
    setAllDates(m_today());
    return save();
}

void ConfigStore::readRoot(const QDomElement &root)
{
    // A section found twice is read twice; the later one wins (or, for
    // GpuSettings, adds its cards).
    for (QDomElement section = root.firstChildElement(); !section.isNull();
         section = section.nextSiblingElement()) {
        const QString tag = section.tagName();
        if (tag == TagGeneral)
            m_general = ConfigCodec::readGeneral(section);
        else if (tag == TagUpdate)
            m_update = ConfigCodec::readUpdate(section);
        else if (tag == TagGpuSettings)
            ConfigCodec::readGpuSettings(section, m_cards);
        else if (tag == TagLastStart)
            m_lastStartDate = ConfigCodec::readDate(section);
        else if (tag == TagLastClose)
            m_lastCloseDate = ConfigCodec::readDate(section);
        else if (tag == TagLastUpdate)
            m_lastUpdateDate = ConfigCodec::readDate(section);
        else if (tag == TagLastCheck)
            m_lastCheckDate = ConfigCodec::readDate(section);
        else if (tag == TagOther)
            m_notPromptHPS = ConfigCodec::readNotPromptHPS(section);
    }
}

bool ConfigStore::save()
{
    // A second root beside a foreign one would not be well-formed, and
    // replacing it would destroy a file that is not ours: leave it alone.
    if (m_keepFileOnDisk || hasForeignRoot())
        return false;
    buildTree();
    XmlTreeWriter writer(4);
    ConfigCodec::setAttributeOrder(writer);
    return writeFile(writer.write(m_document));
}

bool ConfigStore::hasForeignRoot() const
{
    for (QDomElement top = m_document.firstChildElement(); !top.isNull(); top = top.nextSiblingElement()) {
        if (top.tagName() != TagRoot)
            return true;
    }
    return false;
}

void ConfigStore::buildTree()
{
    QDomElement root = ConfigCodec::takeOrCreate(m_document, m_document, TagRoot);

    QDomElement general = ConfigCodec::takeOrCreate(m_document, root, TagGeneral);
    ConfigCodec::writeGeneral(general, m_general);
    root.appendChild(general);

    QDomElement update = ConfigCodec::takeOrCreate(m_document, root, TagUpdate);
    ConfigCodec::writeUpdate(update, m_update);
    root.appendChild(update);

    root.appendChild(ConfigCodec::rebuildGpuSettings(m_document, root, m_cards));

    const QList<QPair<QString, QDate>> dates
        = { { TagLastClose, m_lastCloseDate }, { TagLastStart, m_lastStartDate },
              { TagLastCheck, m_lastCheckDate }, { TagLastUpdate, m_lastUpdateDate } };
    for (const auto &date : dates) {
        QDomElement element = ConfigCodec::takeOrCreate(m_document, root, date.first);
        ConfigCodec::writeDate(m_document, element, date.second);
        root.appendChild(element);
    }

    QDomElement other = ConfigCodec::takeOrCreate(m_document, root, TagOther);
    ConfigCodec::writeNotPromptHPS(other, m_notPromptHPS);
    root.appendChild(other);

    m_document.appendChild(root);
}

bool ConfigStore::writeFile(const QByteArray &bytes) const
{
    return replaceFile(m_fileName, bytes, QIODevice::Text);
}

void ConfigStore::setAllDates(const QDate &date)
{
    m_lastStartDate = date;
    m_lastCloseDate = date;
    m_lastUpdateDate = date;
    m_lastCheckDate = date;
}

bool ConfigStore::getGeneralSetting(GeneralSettingRecord &record) const
{
    if (!m_loaded)
        return false;
    record = m_general;
    return true;
}

bool ConfigStore::getUpdateSetting(UpdateSettingRecord &record) const
{
    if (!m_loaded)
        return false;
    record = m_update;
    return true;
}

bool ConfigStore::getLastCheckDate(QDate &date) const
{
    if (!m_loaded)
        return false;
    date = m_lastCheckDate;
    return true;
}

bool ConfigStore::getNotPromptHPS(bool &flag) const
{
    if (!m_loaded)
        return false;
    flag = m_notPromptHPS;
    return true;
}

bool ConfigStore::getAdjustRecord(const QString &gpuName, quint32 subSystemId, AdjustRecord &record) const
{
    const GpuEntry *entry = findCard(gpuName, subSystemId);
    if (!entry)
        return false;
    record = entry->adjust;
    return true;
}

bool ConfigStore::getLedRecord(const QString &gpuName, quint32 subSystemId, LedRecord &record) const
{
    const GpuEntry *entry = findCard(gpuName, subSystemId);
    if (!entry)
        return false;
    record = entry->led;
    return true;
}

bool ConfigStore::getLcdRecord(const QString &gpuName, quint32 subSystemId, LcdRecord &record) const
{
    const GpuEntry *entry = findCard(gpuName, subSystemId);
    if (!entry)
        return false;
    record = entry->lcd;
    return true;
}

bool ConfigStore::getSelectOption(const QString &gpuName, quint32 subSystemId, quint32 &selectOption) const
{
    const GpuEntry *entry = findCard(gpuName, subSystemId);
    if (!entry)
        return false;
    selectOption = entry->SelectOption;
    return true;
}

void ConfigStore::setAdjustRecord(const QString &gpuName, quint32 subSystemId, const AdjustRecord &record)
{
    cardFor(gpuName, subSystemId).adjust = record;
}

void ConfigStore::setLedRecord(const QString &gpuName, quint32 subSystemId, const LedRecord &record)
{
    cardFor(gpuName, subSystemId).led = record;
}

void ConfigStore::setLcdRecord(const QString &gpuName, quint32 subSystemId, const LcdRecord &record)
{
    cardFor(gpuName, subSystemId).lcd = record;
}

void ConfigStore::setSelectOption(const QString &gpuName, quint32 subSystemId, quint32 selectOption)
{
    cardFor(gpuName, subSystemId).SelectOption = selectOption;
}

const GpuEntry *ConfigStore::findCard(const QString &gpuName, quint32 subSystemId) const
{
    if (!m_loaded)
        return nullptr;
    for (const GpuEntry &entry : m_cards) {
        if (entry.matches(gpuName, subSystemId))
            return &entry;
    }
    return nullptr;
}

GpuEntry &ConfigStore::cardFor(const QString &gpuName, quint32 subSystemId)
{
    for (GpuEntry &entry : m_cards) {
        if (entry.matches(gpuName, subSystemId))
            return entry;
    }
    GpuEntry entry;
    entry.GpuName = gpuName;
    entry.SubSystemId = subSystemId;
    m_cards.append(entry);
    return m_cards.last();
}
