#pragma once

#include <QString>
#include <QStringList>

class QApplication;

/// The updater's start: program folder as the current directory, the command line, an unfinished install
/// of a killed run put right, the manifest, then the window and its event loop.
class UpdaterStartup
{
public:
    /// programFolder: where the programs and "temp/" lie (the updater's own folder in the program).
    UpdaterStartup(const QStringList &arguments, const QString &programFolder);

    /// The exit code: 0 without a window (wrong command line, no manifest), else the event loop's result.
    int run();

    /// "temp/update_info.xml" below the program folder.
    QString manifestPath() const;

private:
    QStringList m_arguments;
    QString m_programFolder;
};
