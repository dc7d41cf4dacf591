#pragma once

#include <QString>

/// Which manifest entries the updater leaves alone. Names are compared exactly as the manifest gives them.
class UpdateFileRules
{
public:
    /// The Qt libraries the running updater is made of: never checked, counted or fetched.
    static bool isRunningQtLibrary(const QString &fileName);
    /// The updater's own file ("KorvoUpdate.exe", and its name on this platform): downloaded but not
    /// extracted, because a running program cannot replace itself.
    static bool isUpdaterOwnFile(const QString &fileName);
    /// The two programs, whose installed files must stay executable.
    static bool isProgramFile(const QString &fileName);
};
