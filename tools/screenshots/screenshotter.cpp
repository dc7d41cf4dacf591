#include "screenshotter.h"

#include "korvo_combobox.h"
#include "korvo_messagebox.h"
#include "korvo_messagebox1.h"
#include "languagetexts.h"
#include "lumetraimages.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <QWidget>

#include <memory>

namespace {

// Stands in for the main window: its background image on the neutral dark grey an X server without
// compositing shows behind translucent windows.
class StandInWindow : public QWidget
{
public:
    StandInWindow()
    {
        setWindowFlags(Qt::FramelessWindowHint);
        m_background.load(QString::fromLatin1(LumetraImages::Background));
        resize(m_background.size());
        move(60, 60);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), QColor(38, 38, 42));
        p.drawPixmap(0, 0, m_background);
    }

private:
    QPixmap m_background;
};

void settle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

const char *languageName(LanguageType language)
{
    return language == English ? "en" : "zh";
}

} // namespace

Screenshotter::Screenshotter(const QString &outputDir)
    : m_outputDir(outputDir)
{
    QDir().mkpath(outputDir);
}

bool Screenshotter::run()
{
    bool ok = true;
    for (LanguageType language : { Chinese, English }) {
        ok = messageBoxes(language) && ok;
        ok = desktopMessageBox(language) && ok;
    }
    ok = artworkSheet() && ok;
    ok = windowPreview() && ok;
    return ok;
}

bool Screenshotter::messageBoxes(LanguageType language)
{
    LanguageTexts texts;
    texts.fill(language);
    const struct
    {
        const char *name;
        int type;
        QString text;
        bool picture;
    } variants[] = {
        { "one_button", MsgBoxOneButton, texts.mainWindow().latestVersion, false },
        { "yes_no", MsgBoxYesNo, texts.mainWindow().exitQuestion, false },
        { "one_button_checkbox", MsgBoxOneButton | MsgBoxDontShowAgain,
            texts.mainWindow().highPerformanceHint, false },
        { "yes_no_checkbox", MsgBoxYesNo | MsgBoxDontShowAgain, texts.mainWindow().adjustWarning, false },
        { "long_text", MsgBoxOneButton, texts.mainWindow().outdatedVersion, false },
        { "update_question", MsgBoxYesNo, texts.mainWindow().updateQuestion, false },
        { "updater_failed", MsgBoxOneButton, texts.mainWindow().updaterStartFailed, false },
        { "picture_one_button", MsgBoxOneButton, texts.mainWindow().updaterStartFailed, true },
        { "picture_yes_no_checkbox", MsgBoxYesNo | MsgBoxDontShowAgain, texts.mainWindow().updateQuestion,
            true },
    };

    StandInWindow window;
    window.show();
    settle(150);
    bool ok = true;
    for (const auto &v : variants) {
        std::unique_ptr<Korvo_MessageBox> box;
        if (v.picture)
            box.reset(new Korvo_MessageBox1(v.type, QString(), v.text, language, &window));
        else
            box.reset(new Korvo_MessageBox(v.type, QString(), v.text, language, &window));
        if (box->checkBox())
            box->checkBox()->setChecked(true);
        box->show();
        settle(250);
        ok = grab(&window, QStringLiteral("msgbox_%1_%2").arg(languageName(language), v.name)) && ok;
        box->hide();
    }
    return ok;
}

bool Screenshotter::desktopMessageBox(LanguageType language)
{
    LanguageTexts texts;
    texts.fill(language);
    Korvo_MessageBox box(MsgBoxOneButton, QString(), texts.noCardFound(), language);
    box.setYOffset(-20);
    box.show();
    settle(250);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QPixmap shot
        = QGuiApplication::primaryScreen()->grabWindow(0, 0, 0, screen.width(), screen.height());
    return save(shot.toImage(), QStringLiteral("msgbox_%1_desktop").arg(languageName(language)));
}

bool Screenshotter::grab(const QWidget *area, const QString &name)
{
    const QRect r = area->frameGeometry();
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, r.x(), r.y(), r.width(), r.height());
    return save(shot.toImage(), name);
}

bool Screenshotter::save(const QImage &image, const QString &name)
{
    return image.save(m_outputDir + QLatin1Char('/') + name + QStringLiteral(".png"), "PNG");
}

bool Screenshotter::artworkSheet()
{
    QStringList paths;
    QDirIterator it(QStringLiteral(":/images/images"), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        paths << it.next();
    paths.sort();

    const int columnWidth = 520;
    const int columns = 3;
    QVector<QImage> cells;
    for (const QString &path : paths) {
        QImage image(path);
        // Small images are shown at three times their size as well, without smoothing.
        const int zoom = image.width() <= 40 ? 4 : (image.width() <= 240 ? 2 : 1);
        const QSize shown = image.size() * zoom;
        const QSize scaledToFit = shown.width() > columnWidth - 20
            ? shown.scaled(columnWidth - 20, 4000, Qt::KeepAspectRatio)
            : shown;
        QImage cell(columnWidth, scaledToFit.height() + 44, QImage::Format_ARGB32_Premultiplied);
        cell.fill(QColor(34, 34, 38));
        QPainter p(&cell);
        // Checks show where the image is transparent.
        for (int y = 0; y < scaledToFit.height(); y += 8)
            for (int x = 0; x < scaledToFit.width(); x += 8)
                p.fillRect(10 + x, 10 + y, 8, 8, ((x + y) / 8) % 2 ? QColor(58, 58, 62) : QColor(46, 46, 50));
        p.drawImage(QRect(QPoint(10, 10), scaledToFit), image);
        if (zoom > 1)
            p.drawImage(QPoint(20 + scaledToFit.width(), 10), image);
        p.setPen(QColor(220, 220, 220));
        QFont f(QStringLiteral("WenQuanYi Micro Hei"));
        f.setPixelSize(12);
        p.setFont(f);
        p.drawText(QRect(10, scaledToFit.height() + 14, columnWidth - 20, 26),
            Qt::AlignLeft | Qt::AlignVCenter,
            QStringLiteral("%1  (%2 x %3)").arg(path.mid(16)).arg(image.width()).arg(image.height()));
        cells << cell;
    }

    QVector<int> columnHeights(columns, 0);
    QVector<QPoint> positions;
    for (const QImage &cell : cells) {
        int column = 0;
        for (int c = 1; c < columns; ++c)
            if (columnHeights[c] < columnHeights[column])
                column = c;
        positions << QPoint(column * columnWidth, columnHeights[column]);
        columnHeights[column] += cell.height();
    }
    const int height = *std::max_element(columnHeights.begin(), columnHeights.end());
    QImage sheet(columns * columnWidth, height, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(34, 34, 38));
    QPainter p(&sheet);
    for (int i = 0; i < cells.size(); ++i)
        p.drawImage(positions[i], cells[i]);
    p.end();
    return save(sheet, QStringLiteral("artwork_sheet"));
}

bool Screenshotter::windowPreview()
{
    using namespace LumetraImages;
    // The window's images put together where the main window places them, on a grey desktop.
    QImage preview(820, 527, QImage::Format_ARGB32_Premultiplied);
    preview.fill(QColor(70, 72, 78));
    QPainter p(&preview);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(10, 10);
    p.drawImage(0, 0, QImage(QString::fromLatin1(Background)));
    p.drawImage(7 + 766 / 2 - 485 / 2 + 10, 27 + (472 - 388) / 2, QImage(QString::fromLatin1(Emblem)));
    const QImage firstOn(QString::fromLatin1(FirstTabOn));
    const QImage firstOff(QString::fromLatin1(FirstTabOff));
    const QImage secondOn(QString::fromLatin1(SecondTabOn));
    const QImage secondOff(QString::fromLatin1(SecondTabOff));
    p.drawImage(406, 0, firstOn);
    p.drawImage(secondOn.width() - secondOff.width() + 486, 0, secondOff);
    const QImage centre(QString::fromLatin1(CenterLogo));
    p.drawImage(7 + (766 - centre.width()) / 2 + 10, 27 + 472 / 30, centre);
    p.drawImage(776, 62, QImage(QString::fromLatin1(SettingButton)));
    p.drawImage(776, 92, QImage(QString::fromLatin1(MinimizeButtonHover)));
    p.drawImage(776, 122, QImage(QString::fromLatin1(CloseButton)));
    p.drawImage(280, 52, QImage(QString::fromLatin1(InfoButton)));
    p.drawImage(480, 120, QImage(QString::fromLatin1(HighPerformanceOn)));

    QFont tabFont(QStringLiteral("Space Age"));
    tabFont.setPixelSize(21);
    p.setFont(tabFont);
    p.setPen(Qt::white);
    p.drawText(
        QRect(firstOn.width() - firstOff.width() + 406, 0, 158, 28), Qt::AlignCenter, QStringLiteral("LED"));
    p.drawText(QRect(secondOn.width() - secondOff.width() + 486, 0, 145, 28), Qt::AlignCenter,
        QStringLiteral("LCD"));
    QFont nameFont(QStringLiteral("Space Age"));
    nameFont.setPixelSize(30);
    p.setFont(nameFont);
    p.drawText(QRect(250, 63, 300, 50), Qt::AlignCenter, QStringLiteral("GTX 1070 Ti"));
    QFont buttonFont(QStringLiteral("微软雅黑"));
    buttonFont.setPixelSize(15);
    buttonFont.setWeight(63);
    p.setFont(buttonFont);
    p.drawText(QRect(480, 120, 80, 20), Qt::AlignCenter, QStringLiteral("开     关"));

    const QImage cap(QString::fromLatin1(SliderCap));
    const QImage track(QString::fromLatin1(SliderTrack));
    const QImage fill(QString::fromLatin1(SliderFill));
    for (int row = 0; row < 3; ++row) {
        const int y = 300 + row * 40;
        p.drawImage(470, y, cap);
        p.drawImage(488, y, track);
        p.drawImage(488, y, fill, 0, 0, 60 + row * 50, fill.height());
    }
    p.drawImage(470, 420, QImage(QString::fromLatin1(SliderCapDisabled)));
    p.drawImage(488, 420, QImage(QString::fromLatin1(SliderDisabled)));
    p.end();
    return save(preview, QStringLiteral("window_preview"));
}
