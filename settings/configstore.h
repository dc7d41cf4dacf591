#pragma once

#include "settingsrecords.h"

#include <QDate>
#include <QDomDocument>
#include <QList>
#include <QString>
#include <functional>

// config.xml in memory: the DOM tree last loaded or saved plus the values
// read from it. Readers answer false (output untouched) when nothing was
// loaded or no card matches; writers change memory only, and save()
// rewrites the whole file from memory. GUI thread only.
class ConfigStore
{
public:
    using TodayProvider = std::function<QDate()>;

    // today defaults to the system clock; tests pass a fixed date.
    explicit ConfigStore(const QString &fileName = QStringLiteral("config.xml"), TodayProvider today = {});
    // A copy would share the DOM tree with its original.
    ConfigStore(const ConfigStore &) = delete;
    ConfigStore &operator=(const ConfigStore &) = delete;

    /// Reads the file; first removes what a killed save left beside it. A link under the file's name is not
    /// read through but moved aside as a damaged file; anything but a regular file is left alone (defaults,
    /// never saved over).
    bool load();
    bool save();

    bool isLoaded() const { return m_loaded; }
    QString fileName() const { return m_fileName; }
    // Where load keeps a file that is not well-formed, or past the bounds of
    // ConfigFileLimits, before defaults replace it.
    QString brokenFileName() const { return m_fileName + QStringLiteral(".bad"); }
    /// Whether the last load found the file unreadable as settings, kept its bytes under brokenFileName()
    /// and started from the defaults; the program tells the user once.
    bool keptBrokenFile() const { return m_keptBrokenFile; }
    QString parseErrorText() const { return m_parseErrorText; }
    int parseErrorLine() const { return m_parseErrorLine; }
    int parseErrorColumn() const { return m_parseErrorColumn; }
    QList<GpuEntry> cards() const { return m_cards; }

    bool getGeneralSetting(GeneralSettingRecord &record) const;
    bool getUpdateSetting(UpdateSettingRecord &record) const;
    bool getLastCheckDate(QDate &date) const;
    bool getNotPromptHPS(bool &flag) const;
    bool getAdjustRecord(const QString &gpuName, quint32 subSystemId, AdjustRecord &record) const;
    bool getLedRecord(const QString &gpuName, quint32 subSystemId, LedRecord &record) const;
    bool getLcdRecord(const QString &gpuName, quint32 subSystemId, LcdRecord &record) const;
    bool getSelectOption(const QString &gpuName, quint32 subSystemId, quint32 &selectOption) const;

    void setGeneralSetting(const GeneralSettingRecord &record) { m_general = record; }
    void setUpdateSetting(const UpdateSettingRecord &record) { m_update = record; }
    void setLastStartDate(const QDate &date) { m_dates.LastStartDate = date; }
    void setLastCloseDate(const QDate &date) { m_dates.LastCloseDate = date; }
    void setLastUpdateDate(const QDate &date) { m_dates.LastUpdateDate = date; }
    void setLastCheckDate(const QDate &date) { m_dates.LastCheckDate = date; }
    void setNotPromptHPS(bool flag) { m_other.NotPromptHPS = flag; }
    // An unknown card gets a new entry with initial values besides the record.
    void setAdjustRecord(const QString &gpuName, quint32 subSystemId, const AdjustRecord &record);
    void setLedRecord(const QString &gpuName, quint32 subSystemId, const LedRecord &record);
    void setLcdRecord(const QString &gpuName, quint32 subSystemId, const LcdRecord &record);
    void setSelectOption(const QString &gpuName, quint32 subSystemId, quint32 selectOption);
    /// Makes sure the card has an entry, so that the next save writes its GPU
    /// element with all four modules: an unknown card gets an entry with the
    /// initial records, a known one keeps its records as they are.
    void ensureCard(const QString &gpuName, quint32 subSystemId);

    /// Today by the store's clock (the one given at construction).
    QDate today() const { return m_today(); }
    /// Sets the last start date to today by the store's clock.
    void recordStartDate() { m_dates.LastStartDate = today(); }
    /// Sets the last close date to today by the store's clock.
    void recordCloseDate() { m_dates.LastCloseDate = today(); }

private:
    bool readFile();
    void removeInterruptedSaves() const;
    bool replaceBrokenFile(bool keptAside);
    bool keepBrokenFile(const QByteArray &bytes) const;
    bool moveBrokenFile() const;
    bool writeDefaults();
    void readRoot(const QDomElement &root);
    void readSection(const QDomElement &section);
    bool hasForeignRoot() const;
    void buildTree();
    bool writeFile(const QByteArray &bytes) const;
    void setAllDates(const QDate &date);
    const GpuEntry *findCard(const QString &gpuName, quint32 subSystemId) const;
    GpuEntry &cardFor(const QString &gpuName, quint32 subSystemId);

    TodayProvider m_today;
    QDomDocument m_document;
    QString m_parseErrorText;
    int m_parseErrorLine = 0;
    int m_parseErrorColumn = 0;
    GeneralSettingRecord m_general;
    UpdateSettingRecord m_update;
    QList<GpuEntry> m_cards;
    ConfigDates m_dates;
    OtherSettingRecord m_other;
    QString m_fileName;
    bool m_loaded = false;
    // Set when the file on disk holds something this store could not read
    // (unreadable, or broken and not kept aside): save must not replace it.
    bool m_keepFileOnDisk = false;
    bool m_keptBrokenFile = false;
};
