#pragma once

#include <QDomElement>
#include <QString>
#include <QStringList>
#include <QVector>

/// One attribute of a config.xml element: its name and how its text moves
/// into and out of one field of the record the element stands for.
template <typename Record> struct ConfigAttribute
{
    QString name;
    /// Takes the attribute's text, empty when the attribute is missing.
    void (*read)(Record &record, const QString &text);
    QString (*write)(const Record &record);
};

/// One element of config.xml: its tag name and its attributes in the order
/// in which they are written. The same table reads, writes and orders.
template <typename Record> struct ConfigElement
{
    QString tagName;
    QVector<ConfigAttribute<Record>> attributes;

    /// Sets every field the table names; a missing attribute reads as 0 or
    /// empty. Fields the table does not name keep their value.
    void read(const QDomElement &element, Record &record) const
    {
        for (const ConfigAttribute<Record> &attribute : attributes)
            attribute.read(record, element.attribute(attribute.name));
    }

    /// Sets every attribute the table names; others on the element stay.
    void write(const Record &record, QDomElement &element) const
    {
        for (const ConfigAttribute<Record> &attribute : attributes)
            element.setAttribute(attribute.name, attribute.write(record));
    }

    QStringList attributeNames() const
    {
        QStringList names;
        for (const ConfigAttribute<Record> &attribute : attributes)
            names.append(attribute.name);
        return names;
    }
};
