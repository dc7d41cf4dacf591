#pragma once

#include "settingsrecords.h"

#include <QDate>
#include <QDomDocument>
#include <QDomElement>
#include <QList>

class XmlTreeWriter;

// Translates between the elements of config.xml and the settings records.
// Readers take a present element: an attribute missing from it reads as 0
// or empty, never as the record's initial value.
class ConfigCodec
{
public:
    static GeneralSettingRecord readGeneral(const QDomElement &element);
    static UpdateSettingRecord readUpdate(const QDomElement &element);
    // Appends one entry per GPU child, up to the first child that is not one.
    static void readGpuSettings(const QDomElement &element, QList<GpuEntry> &cards);
    static QDate readDate(const QDomElement &element);
    static bool readNotPromptHPS(const QDomElement &element);

    static void writeGeneral(QDomElement &element, const GeneralSettingRecord &record);
    static void writeUpdate(QDomElement &element, const UpdateSettingRecord &record);
    static void writeDate(QDomDocument &document, QDomElement &element, const QDate &date);
    static void writeNotPromptHPS(QDomElement &element, bool flag);
    // Builds a fresh GpuSettings element for the cards, taking over the GPU
    // elements of the old ones (then dropped) that belong to the same card.
    static QDomElement rebuildGpuSettings(
        QDomDocument &document, QDomElement &root, const QList<GpuEntry> &cards);

    // Detaches the first child element of that name from the parent, or
    // creates a new one, so that the caller can append it at the end.
    static QDomElement takeOrCreate(QDomDocument &document, QDomNode &parent, const QString &tagName);

    // The order in which the attributes of each known element are written.
    static void setAttributeOrder(XmlTreeWriter &writer);

    static QString formatDate(const QDate &date);

private:
    static GpuEntry readGpu(const QDomElement &element);
    static bool readModule(const QDomElement &element, GpuEntry &entry);
    static quint32 readSelectOption(const QDomElement &element);
    static AdjustRecord readAdjust(const QDomElement &element);
    static LedRecord readLed(const QDomElement &element);
    static LcdRecord readLcd(const QDomElement &element);

    static void writeGpu(QDomDocument &document, QDomElement &gpu, const GpuEntry &entry);
    static void writeAdjust(QDomElement &element, const AdjustRecord &record);
    static void writeLed(QDomElement &element, const LedRecord &record);
    static void writeLcd(QDomElement &element, const LcdRecord &record);
    static QDomElement takeMatchingGpu(QList<QDomElement> &oldGpus, const GpuEntry &entry);

    static qint32 toSigned(const QDomElement &element, const QString &name);
    static quint32 toUnsigned(const QDomElement &element, const QString &name);
    static void setBool(QDomElement &element, const QString &name, bool value);
};
