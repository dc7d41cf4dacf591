#include "korvo_autostart.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

// XDG autostart: a desktop entry in the user's own configuration folder ($XDG_CONFIG_HOME, else ~/.config).
// Not the system folders of XDG_CONFIG_DIRS: /etc/xdg belongs to packages, and a program run once by root
// must not start at every user's log-on.

namespace {

QString autostartFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("autostart"));
}

// An Exec argument in double quotes, with ", `, $ and \ escaped inside them.
QString quotedArgument(const QString &argument)
{
    QString escaped;
    for (const QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

// A reader undoes the string escapes first, then the quoting, then the field codes; so the quoted command
// line gets its percent signs doubled and then the escapes of a string value.
QString execValue(const QStringList &arguments)
{
    QString line = arguments.join(QLatin1Char(' '));
    line.replace(QLatin1Char('%'), QStringLiteral("%%"));
    QString value;
    for (const QChar c : line) {
        if (c == QLatin1Char('\\'))
            value += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            value += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            value += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            value += QStringLiteral("\\r");
        else
            value += c;
    }
    return value;
}

QString execLine(const QString &programPath, const QStringList &environment)
{
    QStringList arguments;
    if (!environment.isEmpty())
        arguments << QStringLiteral("env");
    for (const QString &assignment : environment)
        arguments << quotedArgument(assignment);
    arguments << quotedArgument(programPath);
    return execValue(arguments);
}

} // namespace

QString Korvo_AutoStart::entryLocation(const QString &name)
{
    return QDir(autostartFolder()).filePath(name + QStringLiteral(".desktop"));
}

bool Korvo_AutoStart::writeEntry(
    const QString &name, const QString &programPath, const QStringList &environment)
{
    if (!QDir().mkpath(autostartFolder()))
        return false;
    QSaveFile file(entryLocation(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QString text = QStringLiteral("[Desktop Entry]\nType=Application\n");
    text += QStringLiteral("Name=") + name + QLatin1Char('\n');
    text += QStringLiteral("Exec=") + execLine(programPath, environment) + QLatin1Char('\n');
    text += QStringLiteral("Terminal=false\nX-GNOME-Autostart-enabled=true\n");
    file.write(text.toUtf8());
    return file.commit();
}

bool Korvo_AutoStart::removeEntry(const QString &name)
{
    const QString path = entryLocation(name);
    return !QFile::exists(path) || QFile::remove(path);
}
