#include "programautostart.h"

#include "korvo_autostart.h"

#include <QCoreApplication>

const char *const ProgramAutoStart::Name = "_Lumetra2";

namespace {

QStringList driverEnvironment()
{
    QStringList environment;
    for (const char *name : { "LUMETRA_NVAPI_LIBRARY", "LUMETRA_SIM_CARDS" }) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty())
            environment << QLatin1String(name) + QLatin1Char('=') + value;
    }
    return environment;
}

} // namespace

void ProgramAutoStart::apply(bool on)
{
    const QString name = QLatin1String(Name);
    if (on)
        Korvo_AutoStart::writeEntry(name, QCoreApplication::applicationFilePath(), driverEnvironment());
    else
        Korvo_AutoStart::removeEntry(name);
}
