#include "updatercommandline.h"

UpdaterCommandLine UpdaterCommandLine::parse(const QStringList &arguments)
{
    UpdaterCommandLine line;
    if (arguments.size() < 3 || arguments.at(1) != QLatin1String("_Lumetra2"))
        return line;
    line.valid = true;
    line.language = arguments.at(2);
    return line;
}
