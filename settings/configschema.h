#pragma once

#include "configelement.h"
#include "settingsrecords.h"

#include <QString>
#include <QVector>

class XmlTreeWriter;

/// One date element of config.xml and the field of ConfigDates it holds.
struct ConfigDateElement
{
    QString tagName;
    QDate ConfigDates::*field;
};

/// The names and layout of config.xml in one place: every element's tag
/// name and, for the elements with attributes, the table that reads them,
/// writes them and gives their order in the file.
class ConfigSchema
{
public:
    static QString rootTag() { return QStringLiteral("KorvoParameter"); }
    static QString gpuSettingsTag() { return QStringLiteral("GpuSettings"); }

    static const ConfigElement<GeneralSettingRecord> &general();
    static const ConfigElement<UpdateSettingRecord> &update();
    static const ConfigElement<OtherSettingRecord> &other();
    /// The GPU element carries the card's identity.
    static const ConfigElement<GpuEntry> &gpu();
    static const ConfigElement<GpuEntry> &monitorModule();
    static const ConfigElement<AdjustRecord> &adjustModule();
    static const ConfigElement<LedRecord> &ledModule();
    static const ConfigElement<LcdRecord> &lcdModule();

    /// The date elements in the order they are written.
    static const QVector<ConfigDateElement> &dates();

    /// Tells the writer the attribute order of every element above.
    static void applyAttributeOrder(XmlTreeWriter &writer);
};
