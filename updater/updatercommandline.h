#pragma once

#include <QString>
#include <QStringList>

/// The updater's command line: it works only when the main program started it, with the marker
/// "_Lumetra2" and the language setting after the program name.
struct UpdaterCommandLine
{
    bool valid = false;
    QString language;

    /// arguments as QCoreApplication::arguments() gives them, the program name first.
    static UpdaterCommandLine parse(const QStringList &arguments);
};
