#include "configstore.h"

#include "configcodec.h"
#include "configfilelimits.h"
#include "configschema.h"
#include "foldersync.h"
#include "xmltreewriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

namespace {

// Replaces the file only once all bytes are on disk; on any failure the old
// file stays as it was.
bool replaceFile(const QString &fileName, const QByteArray &bytes, QIODevice::OpenMode mode)
{
    // QSaveFile writes a link's target: a link planted under our name (to /etc/passwd, for a program run
    // as root) would have it replaced. The link itself goes, and a regular file takes its name.
    if (QFileInfo(fileName).isSymLink() && !QFile::remove(fileName))
        return false;
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | mode))
        return false;
    // QSaveFile::commit() does not notice a failure of its final flush (a
    // full disk after a small write), so flush and check before committing.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    // The rename that commit() makes lasts a power loss only with the folder synced.
    return file.commit() && FolderSync::syncFolderOf(fileName);
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
    m_keptBrokenFile = false;
    removeInterruptedSaves();
    m_loaded = readFile();
    return m_loaded;
}

void ConfigStore::removeInterruptedSaves() const
{
    // A save killed between writing its temporary file and renaming it leaves "config.xml.XXXXXX" (six
    // letters or digits) beside the file; only a regular file of exactly that shape is ours.
    const QFileInfo file(m_fileName);
    const QRegularExpression shape(
        QStringLiteral("^%1\\.[A-Za-z0-9]{6}$").arg(QRegularExpression::escape(file.fileName())));
    const QDir folder = file.absoluteDir();
    for (const QFileInfo &entry : folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!entry.isSymLink() && entry.isFile() && shape.match(entry.fileName()).hasMatch())
            QFile::remove(entry.absoluteFilePath());
    }
}

bool ConfigStore::readFile()
{
    const QFileInfo info(m_fileName);
    if (!info.exists() && !info.isSymLink())
        return writeDefaults();
    // A link is not read through (it could name any file of the machine): it is moved aside as a damaged
    // file would be, and the defaults take its place.
    if (info.isSymLink()) {
        m_parseErrorText = QStringLiteral("a link, not a file");
        return replaceBrokenFile(moveBrokenFile());
    }
    // Only a regular file is opened: a FIFO blocks the open for good, a device reads forever. Such a thing
    // is left alone, and the program runs on the defaults without saving over it.
    if (!info.isFile()) {
        m_keepFileOnDisk = true;
        return false;
    }
    QFile file(m_fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        m_keepFileOnDisk = true;
        return false;
    }
    // A file too large to be ours is not read at all: it is moved aside whole.
    if (!ConfigFileLimits::fitsSize(file.size())) {
        file.close();
        m_parseErrorText = ConfigFileLimits::tooLargeText();
        return replaceBrokenFile(moveBrokenFile());
    }
    // Bounded even when the size said nothing (a device or a pipe).
    const QByteArray bytes = file.read(ConfigFileLimits::MaxBytes + 1);
    const bool readFailed = file.error() != QFileDevice::NoError;
    file.close();
    if (readFailed) {
        m_keepFileOnDisk = true;
        return false;
    }

    // The limits come first: a file past them could crash the DOM parser.
    if (!ConfigFileLimits::check(bytes, &m_parseErrorText, &m_parseErrorLine, &m_parseErrorColumn)
        || !m_document.setContent(bytes, &m_parseErrorText, &m_parseErrorLine, &m_parseErrorColumn)) {
        m_document = QDomDocument();
        return replaceBrokenFile(keepBrokenFile(bytes));
    }

    const QDomElement root = m_document.documentElement();
    if (root.tagName() != ConfigSchema::rootTag())
        return false;
    readRoot(root);
    return true;
}

bool ConfigStore::replaceBrokenFile(bool keptAside)
{
    // Defaults replace a broken file only once its bytes are safe beside it.
    if (!keptAside) {
        m_keepFileOnDisk = true;
        return false;
    }
    m_keptBrokenFile = true;
    return writeDefaults();
}

bool ConfigStore::keepBrokenFile(const QByteArray &bytes) const
{
    return replaceFile(brokenFileName(), bytes, QIODevice::NotOpen);
}

bool ConfigStore::moveBrokenFile() const
{
    const QString broken = brokenFileName();
    // A link under that name goes itself (exists() would look through it, and a dangling one would block
    // the rename).
    const QFileInfo old(broken);
    if ((old.exists() || old.isSymLink()) && !QFile::remove(broken))
        return false;
    return QFile::rename(m_fileName, broken);
}

bool ConfigStore::writeDefaults()
{
    m_general = GeneralSettingRecord();
    m_update = UpdateSettingRecord();
    m_cards.clear();
    m_other = OtherSettingRecord();
    m_document = QDomDocument();
    setAllDates(m_today());
    return save();
}

void ConfigStore::readRoot(const QDomElement &root)
{
    // A section found twice is read twice; the later one wins (or, for
    // GpuSettings, adds its cards).
    for (QDomElement section = root.firstChildElement(); !section.isNull();
         section = section.nextSiblingElement())
        readSection(section);
}

void ConfigStore::readSection(const QDomElement &section)
{
    const QString tag = section.tagName();
    if (tag == ConfigSchema::general().tagName) {
        ConfigSchema::general().read(section, m_general);
    } else if (tag == ConfigSchema::update().tagName) {
        ConfigSchema::update().read(section, m_update);
    } else if (tag == ConfigSchema::gpuSettingsTag()) {
        ConfigCodec::readGpuSettings(section, m_cards);
    } else if (tag == ConfigSchema::other().tagName) {
        ConfigSchema::other().read(section, m_other);
    } else {
        for (const ConfigDateElement &date : ConfigSchema::dates()) {
            if (tag == date.tagName)
                m_dates.*date.field = ConfigCodec::readDate(section);
        }
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
    ConfigSchema::applyAttributeOrder(writer);
    const QByteArray bytes = writer.write(m_document);
    // Indenting and escaping can make the file larger than the one read; one
    // past the bound would be moved aside at the next start, so the old file
    // stays instead.
    if (!ConfigFileLimits::fitsSize(bytes.size()))
        return false;
    return writeFile(bytes);
}

bool ConfigStore::hasForeignRoot() const
{
    for (QDomElement top = m_document.firstChildElement(); !top.isNull(); top = top.nextSiblingElement()) {
        if (top.tagName() != ConfigSchema::rootTag())
            return true;
    }
    return false;
}

namespace {

// Takes over the root's first element of the table's name (or makes one),
// sets the record's attributes on it and moves it to the end of the root.
template <typename Record>
void writeSection(
    QDomDocument &document, QDomElement &root, const ConfigElement<Record> &schema, const Record &record)
{
    QDomElement element = ConfigCodec::takeOrCreate(document, root, schema.tagName);
    schema.write(record, element);
    root.appendChild(element);
}

} // namespace

void ConfigStore::buildTree()
{
    QDomElement root = ConfigCodec::takeOrCreate(m_document, m_document, ConfigSchema::rootTag());
    writeSection(m_document, root, ConfigSchema::general(), m_general);
    writeSection(m_document, root, ConfigSchema::update(), m_update);
    root.appendChild(ConfigCodec::rebuildGpuSettings(m_document, root, m_cards));
    for (const ConfigDateElement &date : ConfigSchema::dates()) {
        QDomElement element = ConfigCodec::takeOrCreate(m_document, root, date.tagName);
        ConfigCodec::writeDate(m_document, element, m_dates.*date.field);
        root.appendChild(element);
    }
    writeSection(m_document, root, ConfigSchema::other(), m_other);
    m_document.appendChild(root);
}

bool ConfigStore::writeFile(const QByteArray &bytes) const
{
    return replaceFile(m_fileName, bytes, QIODevice::Text);
}

void ConfigStore::setAllDates(const QDate &date)
{
    for (const ConfigDateElement &element : ConfigSchema::dates())
        m_dates.*element.field = date;
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
    date = m_dates.LastCheckDate;
    return true;
}

bool ConfigStore::getNotPromptHPS(bool &flag) const
{
    if (!m_loaded)
        return false;
    flag = m_other.NotPromptHPS;
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

void ConfigStore::ensureCard(const QString &gpuName, quint32 subSystemId)
{
    cardFor(gpuName, subSystemId);
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
