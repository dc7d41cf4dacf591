#include "programnames.h"

QString ProgramNames::mainProgram()
{
    return QStringLiteral("Lumetra2");
}

QString ProgramNames::updater()
{
    return QStringLiteral("KorvoUpdate");
}
