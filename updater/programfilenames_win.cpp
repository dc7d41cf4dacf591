#include "programfilenames.h"

QString ProgramFileNames::mainProgram()
{
    return QStringLiteral("Lumetra2.exe");
}

QString ProgramFileNames::updater()
{
    return QStringLiteral("KorvoUpdate.exe");
}
