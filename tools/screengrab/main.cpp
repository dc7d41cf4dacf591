#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTextStream>

// Usage: lumetra-screengrab OUTPUT.png [x y width height]
// Grabs the whole screen of $DISPLAY (or the given part) into a PNG.
int main(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() != 2 && args.size() != 6) {
        QTextStream(stderr) << "usage: lumetra-screengrab OUTPUT.png [x y width height]\n";
        return 2;
    }
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 1;
    QPixmap picture = args.size() == 6
        ? screen->grabWindow(0, args[2].toInt(), args[3].toInt(), args[4].toInt(), args[5].toInt())
        : screen->grabWindow(0);
    return picture.save(args[1]) ? 0 : 1;
}
