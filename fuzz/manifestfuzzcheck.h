#pragma once

#include <QByteArray>
#include <QString>

/// One update_info.xml through the manifest reader, as the update check and the updater read it: the
/// load agrees with an independent parse, loads the same twice, and every entry either has no paths or
/// has a target inside the program folder and an archive inside its temp/ folder; the version order is
/// a strict order on what the manifest names. Used by the fuzz target and by the corpus replay test.
class ManifestFuzzCheck
{
public:
    /// What went wrong, or an empty text.
    static QString run(const QByteArray &input);
};
