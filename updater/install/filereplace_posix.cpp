#include "filereplace.h"

#include <QFile>

#include <cstdio>
#include <unistd.h>

bool FileReplace::hardLink(const QString &existing, const QString &newName)
{
    return ::link(QFile::encodeName(existing).constData(), QFile::encodeName(newName).constData()) == 0;
}

bool FileReplace::replace(const QString &from, const QString &to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}
