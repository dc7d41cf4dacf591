#pragma once

#include <QByteArray>
#include <QString>

/// One config.xml through the settings store: the bytes as the file on disk,
/// a load and every getter; a file that is not well-formed must be kept
/// byte for byte beside it; then a value of every kind set, saved and read
/// back by a second store. Used by the fuzz target and by the test that
/// replays the committed inputs.
class ConfigStoreFuzzCheck
{
public:
    /// What went wrong, or an empty text.
    static QString run(const QByteArray &input);
};
