#include "lumetraresources.h"
#include "screenshotter.h"

#include <QApplication>
#include <QFont>

// Usage: lumetra_screenshots <output folder>
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    initLumetraResources();
    registerLumetraFonts();
    installLumetraFontSubstitutions();
    QApplication::setFont(QFont(QStringLiteral("微软雅黑")));

    Screenshotter shots(QString::fromLocal8Bit(argv[1]));
    return shots.run() ? 0 : 1;
}
