#include "artworkgenerator.h"
#include "iconset.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QTextStream>

// Usage: lumetra_artwork [resources folder]
//        lumetra_artwork --icons <folder> <name>   the desktop icons only (hicolor PNGs and an SVG)
int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--icons") {
        QStringList report;
        const bool ok
            = IconSet::write(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), report);
        QTextStream(stdout) << report.join(QLatin1Char('\n')) << '\n';
        return ok ? 0 : 1;
    }
    const QString resources
        = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(LUMETRA_RESOURCES_DIR);

    // The artwork's lettering uses the same display font the program embeds.
    QFontDatabase::addApplicationFont(resources + QStringLiteral("/font/SpaceAge.ttf"));

    ArtworkGenerator generator(resources);
    const bool ok = generator.generateAll();
    QTextStream(stdout) << generator.report();
    return ok ? 0 : 1;
}
