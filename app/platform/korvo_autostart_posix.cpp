#include "korvo_autostart.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

// XDG autostart: a desktop entry in the first system configuration folder, machine-wide like the Run key.

namespace {

QString autostartFolder()
{
    const QString dirs = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_DIRS"));
    QString first = dirs.section(QLatin1Char(':'), 0, 0);
    if (first.isEmpty())
        first = QStringLiteral("/etc/xdg");
    return QDir(first).filePath(QStringLiteral("autostart"));
}

// Exec keys quote arguments with double quotes and escape ", `, $ and \ inside them.
QString quotedExec(const QString &path)
{
    QString escaped;
    for (const QChar c : path) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

} // namespace

QString Korvo_AutoStart::entryLocation(const QString &name)
{
    return QDir(autostartFolder()).filePath(name + QStringLiteral(".desktop"));
}

bool Korvo_AutoStart::writeEntry(const QString &name, const QString &programPath)
{
    if (!QDir().mkpath(autostartFolder()))
        return false;
    QSaveFile file(entryLocation(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QString text = QStringLiteral("[Desktop Entry]\nType=Application\n");
    text += QStringLiteral("Name=") + name + QLatin1Char('\n');
    text += QStringLiteral("Exec=") + quotedExec(programPath) + QLatin1Char('\n');
    text += QStringLiteral("Terminal=false\nX-GNOME-Autostart-enabled=true\n");
    file.write(text.toUtf8());
    return file.commit();
}

bool Korvo_AutoStart::removeEntry(const QString &name)
{
    const QString path = entryLocation(name);
    return !QFile::exists(path) || QFile::remove(path);
}
