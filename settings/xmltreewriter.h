#pragma once

#include <QByteArray>
#include <QDomDocument>
#include <QHash>
#include <QString>
#include <QStringList>

// Writes a DOM tree as indented UTF-8 text. Unlike QDomDocument::toString,
// attributes come out in a fixed order (QDom keeps them in a hash whose
// order changes between runs), so the same tree always gives the same bytes.
class XmlTreeWriter
{
public:
    /// Elements this deep or deeper are written on one line with all their
    /// content: indenting every level would make the output grow with the
    /// square of the depth, while this keeps it linear in the tree's size.
    static constexpr int MaxIndentedDepth = 8;

    explicit XmlTreeWriter(int indent = 4);

    // Attributes of elements with this tag name that are listed here come
    // first, in this order; any others follow sorted by name.
    void setAttributeOrder(const QString &tagName, const QStringList &names);

    // Lines end in "\n"; a declaration found in the tree is written with
    // the encoding UTF-8, and none is added when the tree has none.
    QByteArray write(const QDomDocument &document) const;

private:
    void writeNode(const QDomNode &node, int depth, QString &out) const;
    void writeElement(const QDomElement &element, int depth, QString &out) const;
    void writeInline(const QDomNode &node, QString &out) const;
    void writeStartTag(const QDomElement &element, QString &out) const;
    QStringList orderedAttributeNames(const QDomElement &element) const;
    QString indentation(int depth) const;

    static bool isDeclaration(const QDomNode &node);
    static bool hasCharacterChild(const QDomElement &element);
    static QString declaration(const QString &data);
    static QString doctype(const QDomDocumentType &type);
    static QString cdata(const QString &data);
    static QString escapeText(const QString &text);
    static QString escapeAttribute(const QString &text);
    static QString validXmlChars(const QString &text);

    int m_indent;
    QHash<QString, QStringList> m_attributeOrder;
};
