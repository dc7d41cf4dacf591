#pragma once

#include <QByteArray>
#include <QString>

/// One update_info.xml through the reader both programs use: a refused file leaves every value empty, and
/// every entry the path checks accept resolves inside the program folder with a plain name and a digest.
/// The versions it names are ordered consistently. Used by the fuzz target and by the test that replays
/// the committed inputs.
class ManifestFuzzCheck
{
public:
    /// What went wrong, or an empty text.
    static QString run(const QByteArray &input);
};
