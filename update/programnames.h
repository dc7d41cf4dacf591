#pragma once

#include <QString>

/// The file names of the program's two executables in the program folder: the one place that names them.
namespace ProgramNames {

/// The main program ("Lumetra2.exe" on Windows).
QString mainProgram();
/// The updater ("KorvoUpdate.exe" on Windows).
QString updater();

} // namespace ProgramNames
