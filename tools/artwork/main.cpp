#include "artworkgenerator.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QTextStream>

// Usage: lumetra_artwork [resources folder]
int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QString resources
        = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(LUMETRA_RESOURCES_DIR);

    // The artwork's lettering uses the same display font the program embeds.
    QFontDatabase::addApplicationFont(resources + QStringLiteral("/font/SpaceAge.ttf"));

    ArtworkGenerator generator(resources);
    const bool ok = generator.generateAll();
    QTextStream(stdout) << generator.report();
    return ok ? 0 : 1;
}
