#include "lumetraresources.h"

#include "lumetrafonts.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>

// Q_INIT_RESOURCE must be used outside any namespace.
static void registerResourceData()
{
    Q_INIT_RESOURCE(lumetra);
}

void initLumetraResources()
{
    static bool done = false;
    if (done)
        return;
    registerResourceData();
    done = true;
}

static QString registerFont(const char *path)
{
    QFile file(QString::fromUtf8(path));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const int id = QFontDatabase::addApplicationFontFromData(file.readAll());
    file.close();
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    return families.isEmpty() ? QString() : families.first();
}

QStringList registerLumetraFonts()
{
    initLumetraResources();
    return { registerFont(KuHeiFontPath), registerFont(SpaceAgeFontPath), registerFont(DigitalFontPath) };
}

void installLumetraFontSubstitutions()
{
    QFont::insertSubstitution(QString::fromUtf8(KuHeiFamily), QString::fromUtf8(EmbeddedKuHeiFamily));
    QFont::insertSubstitution(QString::fromUtf8(DefaultUiFamily), QString::fromUtf8(EmbeddedKuHeiFamily));
    QFont::insertSubstitution(QString::fromUtf8(SpaceAgeFamily), QString::fromUtf8(EmbeddedSpaceAgeFamily));
    QFont::insertSubstitution(QString::fromUtf8(DigitalFamily), QString::fromUtf8(EmbeddedDigitalFamily));
}
