#include "programnames.h"

QString ProgramNames::mainProgram()
{
    return QStringLiteral("Lumetra2.exe");
}

QString ProgramNames::updater()
{
    return QStringLiteral("KorvoUpdate.exe");
}
