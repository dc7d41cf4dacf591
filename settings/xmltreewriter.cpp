#include "xmltreewriter.h"

#include <QRegularExpression>
#include <algorithm>

XmlTreeWriter::XmlTreeWriter(int indent)
    : m_indent(indent)
{
}

void XmlTreeWriter::setAttributeOrder(const QString &tagName, const QStringList &names)
{
    m_attributeOrder.insert(tagName, names);
}

QByteArray XmlTreeWriter::write(const QDomDocument &document) const
{
    // QDom keeps the document type outside the child list; it belongs after
    // the declaration, in front of everything else.
    const QDomDocumentType type = document.doctype();
    bool typePending = !type.name().isEmpty();
    QString out;
    for (QDomNode node = document.firstChild(); !node.isNull(); node = node.nextSibling()) {
        if (typePending && !isDeclaration(node)) {
            out += doctype(type) + QLatin1Char('\n');
            typePending = false;
        }
        writeNode(node, 0, out);
    }
    return out.toUtf8();
}

void XmlTreeWriter::writeNode(const QDomNode &node, int depth, QString &out) const
{
    if (node.isElement()) {
        writeElement(node.toElement(), depth, out);
        return;
    }
    if (isDeclaration(node)) {
        out += declaration(node.nodeValue()) + QLatin1Char('\n');
        return;
    }
    out += indentation(depth);
    writeInline(node, out);
    out += QLatin1Char('\n');
}

void XmlTreeWriter::writeElement(const QDomElement &element, int depth, QString &out) const
{
    out += indentation(depth);
    if (!element.hasChildNodes() || hasCharacterChild(element) || depth >= MaxIndentedDepth) {
        // Indenting around text would change the text when read back.
        writeInline(element, out);
        out += QLatin1Char('\n');
        return;
    }
    writeStartTag(element, out);
    out += QLatin1String(">\n");
    for (QDomNode child = element.firstChild(); !child.isNull(); child = child.nextSibling())
        writeNode(child, depth + 1, out);
    out += indentation(depth) + QLatin1String("</") + element.tagName() + QLatin1Char('>');
    out += QLatin1Char('\n');
}

void XmlTreeWriter::writeInline(const QDomNode &node, QString &out) const
{
    switch (node.nodeType()) {
    case QDomNode::ElementNode: {
        const QDomElement element = node.toElement();
        writeStartTag(element, out);
        if (!element.hasChildNodes()) {
            out += QLatin1String("/>");
            return;
        }
        out += QLatin1Char('>');
        for (QDomNode child = element.firstChild(); !child.isNull(); child = child.nextSibling())
            writeInline(child, out);
        out += QLatin1String("</") + element.tagName() + QLatin1Char('>');
        return;
    }
    case QDomNode::TextNode:
        out += escapeText(node.nodeValue());
        return;
    case QDomNode::CDATASectionNode:
        out += cdata(node.nodeValue());
        return;
    case QDomNode::EntityReferenceNode:
        out += QLatin1Char('&') + node.nodeName() + QLatin1Char(';');
        return;
    case QDomNode::CommentNode:
        out += QLatin1String("<!--") + validXmlChars(node.nodeValue()) + QLatin1String("-->");
        return;
    case QDomNode::ProcessingInstructionNode:
        out += QLatin1String("<?") + node.nodeName() + QLatin1Char(' ') + validXmlChars(node.nodeValue())
            + QLatin1String("?>");
        return;
    default:
        return;
    }
}

void XmlTreeWriter::writeStartTag(const QDomElement &element, QString &out) const
{
    out += QLatin1Char('<') + element.tagName();
    for (const QString &name : orderedAttributeNames(element))
        out += QLatin1Char(' ') + name + QLatin1String("=\"") + escapeAttribute(element.attribute(name))
            + QLatin1Char('"');
}

QStringList XmlTreeWriter::orderedAttributeNames(const QDomElement &element) const
{
    QStringList others;
    const QDomNamedNodeMap attributes = element.attributes();
    for (int i = 0; i < attributes.count(); ++i)
        others.append(attributes.item(i).nodeName());

    QStringList names;
    for (const QString &known : m_attributeOrder.value(element.tagName())) {
        if (others.removeOne(known))
            names.append(known);
    }
    std::sort(others.begin(), others.end());
    return names + others;
}

QString XmlTreeWriter::indentation(int depth) const
{
    return QString(depth * m_indent, QLatin1Char(' '));
}

bool XmlTreeWriter::isDeclaration(const QDomNode &node)
{
    return node.isProcessingInstruction() && node.nodeName() == QLatin1String("xml");
}

bool XmlTreeWriter::hasCharacterChild(const QDomElement &element)
{
    for (QDomNode child = element.firstChild(); !child.isNull(); child = child.nextSibling()) {
        if (child.isText() || child.isEntityReference())
            return true;
    }
    return false;
}

QString XmlTreeWriter::declaration(const QString &data)
{
    static const QRegularExpression version(QStringLiteral("version\\s*=\\s*(['\"])([^'\"]*)\\1"));
    static const QRegularExpression standalone(QStringLiteral("standalone\\s*=\\s*(['\"])([^'\"]*)\\1"));
    const QRegularExpressionMatch versionMatch = version.match(data);
    const QString versionText = versionMatch.hasMatch() ? versionMatch.captured(2) : QStringLiteral("1.0");

    QString text = QLatin1String("<?xml version=\"") + versionText + QLatin1String("\" encoding=\"UTF-8\"");
    const QRegularExpressionMatch standaloneMatch = standalone.match(data);
    if (standaloneMatch.hasMatch())
        text += QLatin1String(" standalone=\"") + standaloneMatch.captured(2) + QLatin1Char('"');
    return text + QLatin1String("?>");
}

QString XmlTreeWriter::doctype(const QDomDocumentType &type)
{
    QString text = QLatin1String("<!DOCTYPE ") + type.name();
    if (!type.publicId().isEmpty())
        text += QLatin1String(" PUBLIC \"") + type.publicId() + QLatin1String("\" \"") + type.systemId()
            + QLatin1Char('"');
    else if (!type.systemId().isEmpty())
        text += QLatin1String(" SYSTEM \"") + type.systemId() + QLatin1Char('"');
    if (!type.internalSubset().isEmpty())
        text += QLatin1String(" [") + type.internalSubset() + QLatin1Char(']');
    return text + QLatin1Char('>');
}

QString XmlTreeWriter::cdata(const QString &data)
{
    // "]]>" cannot stand inside a CDATA section: close and reopen around it.
    QString body = validXmlChars(data);
    body.replace(QLatin1String("]]>"), QLatin1String("]]]]><![CDATA[>"));
    return QLatin1String("<![CDATA[") + body + QLatin1String("]]>");
}

QString XmlTreeWriter::escapeText(const QString &text)
{
    QString escaped = validXmlChars(text);
    escaped.replace(QLatin1Char('&'), QLatin1String("&amp;"));
    escaped.replace(QLatin1Char('<'), QLatin1String("&lt;"));
    escaped.replace(QLatin1Char('>'), QLatin1String("&gt;"));
    escaped.replace(QLatin1Char('\r'), QLatin1String("&#xd;"));
    return escaped;
}

QString XmlTreeWriter::escapeAttribute(const QString &text)
{
    QString escaped = escapeText(text);
    escaped.replace(QLatin1Char('"'), QLatin1String("&quot;"));
    escaped.replace(QLatin1Char('\n'), QLatin1String("&#xa;"));
    escaped.replace(QLatin1Char('\t'), QLatin1String("&#x9;"));
    return escaped;
}

QString XmlTreeWriter::validXmlChars(const QString &text)
{
    // A character XML cannot carry (a control code, a lone surrogate) would
    // make the whole file unreadable; it is dropped instead.
    QString result;
    result.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            result += c;
            result += text.at(++i);
            continue;
        }
        const ushort u = c.unicode();
        const bool control = u < 0x20 && u != 0x9 && u != 0xA && u != 0xD;
        if (control || c.isSurrogate() || u == 0xFFFE || u == 0xFFFF)
            continue;
        result += c;
    }
    return result;
}
