#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTextStream>

namespace {

/// Whether a picture holds a single colour: what Xvfb shows when the program never drew its window.
bool isBlank(const QImage &image)
{
    if (image.isNull())
        return true;
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != first)
                return false;
        }
    }
    return true;
}

} // namespace

// Usage: lumetra-screengrab OUTPUT.png [x y width height]
// Grabs the whole screen of $DISPLAY (or the given part) into a PNG. Exit status 3 when the picture is one
// colour (saved all the same, to be looked at), 1 when it cannot be taken or saved.
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
    if (!picture.save(args[1]))
        return 1;
    if (isBlank(picture.toImage())) {
        QTextStream(stderr) << "lumetra-screengrab: " << args[1] << " is blank\n";
        return 3;
    }
    return 0;
}
