#include "updatefilerules.h"

#include "programnames.h"

#include <QStringList>

bool UpdateFileRules::isRunningQtLibrary(const QString &fileName)
{
    static const QStringList names = { QStringLiteral("Qt5Core.dll"), QStringLiteral("Qt5Network.dll"),
        QStringLiteral("Qt5Gui.dll"), QStringLiteral("Qt5Xml.dll"), QStringLiteral("Qt5Widgets.dll") };
    return names.contains(fileName);
}

bool UpdateFileRules::isUpdaterOwnFile(const QString &fileName)
{
    return fileName == QLatin1String("KorvoUpdate.exe") || fileName == ProgramNames::updater();
}

bool UpdateFileRules::isProgramFile(const QString &fileName)
{
    return fileName == ProgramNames::mainProgram() || fileName == ProgramNames::updater();
}
