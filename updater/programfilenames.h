#pragma once

#include <QString>

/// The file names of the two programs in the program folder, the one place that knows them per platform.
class ProgramFileNames
{
public:
    /// The main program, which the updater starts again when it is done.
    static QString mainProgram();
    /// The updater itself, which it never replaces: the main program installs it after the restart.
    static QString updater();
};
