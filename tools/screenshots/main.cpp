#include "lumetraresources.h"
#include "screenshotter.h"
#ifdef LUMETRA_WITH_GAUGE
#include "gaugescreenshots.h"
#endif
#ifdef LUMETRA_WITH_LCD_SETTINGS
#include "lcdsettingsscreenshots.h"
#endif
#ifdef LUMETRA_WITH_TUNING
#include "tuningscreenshots.h"
#endif
#ifdef LUMETRA_WITH_UPDATE
#include "updatescreenshots.h"
#endif

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
    bool ok = shots.run();
#ifdef LUMETRA_WITH_GAUGE
    ok = GaugeScreenshots(QString::fromLocal8Bit(argv[1])).run() && ok;
#endif
#ifdef LUMETRA_WITH_LCD_SETTINGS
    ok = LcdSettingsScreenshots(QString::fromLocal8Bit(argv[1])).run() && ok;
#endif
#ifdef LUMETRA_WITH_TUNING
    ok = TuningScreenshots(QString::fromLocal8Bit(argv[1])).run() && ok;
#endif
#ifdef LUMETRA_WITH_UPDATE
    ok = UpdateScreenshots(QString::fromLocal8Bit(argv[1])).run() && ok;
#endif
    return ok ? 0 : 1;
}
