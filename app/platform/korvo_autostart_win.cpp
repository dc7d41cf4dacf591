#include "korvo_autostart.h"

#include <QSettings>

// The machine-wide Run key; writing it needs administrator rights.

namespace {

const char *const RunKey = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

} // namespace

QString Korvo_AutoStart::entryLocation(const QString &name)
{
    return QLatin1String(RunKey) + QLatin1Char('\\') + name;
}

bool Korvo_AutoStart::writeEntry(
    const QString &name, const QString &programPath, const QStringList &environment)
{
    Q_UNUSED(environment);
    QSettings run(QLatin1String(RunKey), QSettings::NativeFormat);
    QString path = programPath;
    run.setValue(name, path.replace(QLatin1Char('/'), QLatin1Char('\\')));
    run.sync();
    return run.status() == QSettings::NoError;
}

bool Korvo_AutoStart::removeEntry(const QString &name)
{
    QSettings run(QLatin1String(RunKey), QSettings::NativeFormat);
    run.remove(name);
    run.sync();
    return run.status() == QSettings::NoError;
}
