#pragma once

#include "settingsrecords.h"

#include <QDate>
#include <QDomDocument>
#include <QDomElement>
#include <QList>

/// The parts of config.xml that are more than one element's attributes:
/// the card list with its modules, the dates, and how saving takes over the
/// elements of the loaded tree. Attributes come from ConfigSchema.
class ConfigCodec
{
public:
    /// Appends one entry per GPU child, up to the first child that is not one.
    static void readGpuSettings(const QDomElement &element, QList<GpuEntry> &cards);
    static QDate readDate(const QDomElement &element);

    static void writeDate(QDomDocument &document, QDomElement &element, const QDate &date);
    /// Builds a fresh GpuSettings element for the cards, taking over the GPU
    /// elements of the old ones (then dropped) that belong to the same card.
    static QDomElement rebuildGpuSettings(
        QDomDocument &document, QDomElement &root, const QList<GpuEntry> &cards);

    /// Detaches the first child element of that name from the parent, or
    /// creates a new one, so that the caller can append it at the end.
    static QDomElement takeOrCreate(QDomDocument &document, QDomNode &parent, const QString &tagName);

    static QString formatDate(const QDate &date);

private:
    static GpuEntry readGpu(const QDomElement &element);
    static bool readModule(const QDomElement &element, GpuEntry &entry);

    static void writeGpu(QDomDocument &document, QDomElement &gpu, const GpuEntry &entry);
    static QDomElement takeMatchingGpu(QList<QDomElement> &oldGpus, const GpuEntry &entry);
};
