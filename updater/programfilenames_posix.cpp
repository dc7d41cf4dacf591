#include "programfilenames.h"

QString ProgramFileNames::mainProgram()
{
    return QStringLiteral("Lumetra2");
}

QString ProgramFileNames::updater()
{
    return QStringLiteral("KorvoUpdate");
}
