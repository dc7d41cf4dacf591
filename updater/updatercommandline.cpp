#include "updatercommandline.h"

#include "updatelayout.h"

UpdaterCommandLine UpdaterCommandLine::parse(const QStringList &arguments)
{
    UpdaterCommandLine line;
    if (arguments.size() < 3 || arguments.at(1) != QLatin1String(UpdateLayout::UpdaterMarker))
        return line;
    line.valid = true;
    line.language = arguments.at(2);
    return line;
}
