#include "lumetraresources.h"

#include "lumetrafonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QResource>

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

// The font database reads stored resource data in place: it lies in the program's read-only pages for the
// whole run, and a copy would hold another 5 MB (the Chinese font) on the heap for nothing.
static QByteArray resourceBytes(const QResource &resource)
{
    if (resource.compressionAlgorithm() != QResource::NoCompression)
        return resource.uncompressedData();
    return QByteArray::fromRawData(reinterpret_cast<const char *>(resource.data()), int(resource.size()));
}

static QString registerFont(const char *path)
{
    const QResource resource(QString::fromUtf8(path));
    if (!resource.isValid() || !resource.data())
        return QString();
    const int id = QFontDatabase::addApplicationFontFromData(resourceBytes(resource));
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
