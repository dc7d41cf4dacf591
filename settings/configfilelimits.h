#pragma once

#include <QByteArray>
#include <QString>

/// The bounds a config.xml must keep before it is parsed into a DOM tree.
/// QDom parses and frees nested elements recursively, so a deeply nested
/// file would overflow the stack at every start; the check walks the file
/// with a streaming reader, which keeps its element stack on the heap.
class ConfigFileLimits
{
public:
    /// Far above what the program writes (four levels) and what a person
    /// adds by hand, far below what the recursion can take.
    static constexpr int MaxDepth = 64;
    /// Some thousand cards; a larger file is not one this program wrote.
    static constexpr qint64 MaxBytes = 1024 * 1024;

    static bool fitsSize(qint64 size) { return size <= MaxBytes; }
    static QString tooLargeText();

    /// True when the bytes are well-formed XML, at most MaxBytes long and
    /// nested at most MaxDepth elements deep; otherwise fills the error.
    static bool check(const QByteArray &bytes, QString *errorText, int *errorLine, int *errorColumn);
};
