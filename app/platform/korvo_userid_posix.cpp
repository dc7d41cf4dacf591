#include "korvo_userid.h"

#include <unistd.h>

QString Korvo_UserId::current()
{
    return QStringLiteral("uid") + QString::number(::getuid());
}
