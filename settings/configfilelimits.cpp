#include "configfilelimits.h"

#include <QXmlStreamReader>

namespace {

bool fail(
    const QString &text, const QXmlStreamReader &reader, QString *errorText, int *errorLine, int *errorColumn)
{
    if (errorText)
        *errorText = text;
    if (errorLine)
        *errorLine = int(reader.lineNumber());
    if (errorColumn)
        *errorColumn = int(reader.columnNumber());
    return false;
}

} // namespace

QString ConfigFileLimits::tooLargeText()
{
    return QStringLiteral("file larger than %1 bytes").arg(MaxBytes);
}

bool ConfigFileLimits::check(const QByteArray &bytes, QString *errorText, int *errorLine, int *errorColumn)
{
    QXmlStreamReader reader(bytes);
    if (!fitsSize(bytes.size()))
        return fail(tooLargeText(), reader, errorText, errorLine, errorColumn);
    int depth = 0;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement && ++depth > MaxDepth)
            return fail(QStringLiteral("elements nested deeper than %1 levels").arg(MaxDepth), reader,
                errorText, errorLine, errorColumn);
        if (token == QXmlStreamReader::EndElement)
            --depth;
    }
    // An error the DOM parser might not see could hide deeper nesting
    // behind it: such a file counts as broken too.
    if (reader.hasError())
        return fail(reader.errorString(), reader, errorText, errorLine, errorColumn);
    return true;
}
