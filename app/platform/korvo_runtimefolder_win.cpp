#include "korvo_runtimefolder.h"

#include <QDir>

// Windows gives every user a temporary folder of their own.
QString Korvo_RuntimeFolder::path()
{
    return QDir::tempPath();
}

QString Korvo_RuntimeFolder::localSocketName(const QString &name)
{
    return name;
}
