// Shows the real updater window on a program folder of its own and saves what a user sees: the
// checking, downloading and extracting phases, a failure box of each phase and the missing-manifest box,
// in both languages. The download runs against a loopback server that accepts and never answers, so the
// downloading phase stays on screen; nothing leaves the machine.
#include "korvo_checkoutfilethread.h"
#include "korvo_downloadfile.h"
#include "korvo_messagebox.h"
#include "korvoupdate.h"
#include "updatersleep.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

QString s_out;

void wait(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

/// Saves a window as it looks over a grey desktop, with a margin around it.
void save(QWidget *window, const QString &name)
{
    const QPixmap shot = window->grab();
    QImage image(shot.size() + QSize(40, 40), QImage::Format_ARGB32);
    image.fill(QColor(70, 74, 80));
    QPainter painter(&image);
    painter.drawPixmap(20, 20, shot);
    painter.end();
    const QString path = QDir(s_out).filePath(name + QStringLiteral(".png"));
    if (!image.save(path))
        QTextStream(stderr) << "cannot write " << path << "\n";
}

QString digest(int i)
{
    return QStringLiteral("%1").arg(i, 32, 16, QLatin1Char('0'));
}

/// A program folder whose manifest lists `count` files that are all missing (so all out of date).
void writeManifest(const QTemporaryDir &folder, const QString &server, int count, bool hostile)
{
    QDir().mkpath(folder.filePath(QStringLiteral("temp")));
    QString xml = QStringLiteral("<Update><ServerAdress Value=\"%1\"/><FileInfos>").arg(server);
    for (int i = 0; i < count; ++i)
        xml += QStringLiteral("<FileInfo FileName=\"f%1.dat\" FileDir=\"%2\" FileVersion=\"%3\"/>")
                   .arg(i)
                   .arg(hostile && i == count - 1 ? QStringLiteral("../") : QString())
                   .arg(digest(i + 1));
    xml += QStringLiteral("</FileInfos></Update>");
    QFile file(folder.filePath(QStringLiteral("temp/update_info.xml")));
    file.open(QIODevice::WriteOnly);
    file.write(xml.toUtf8());
}

UpdateManifest load(const QTemporaryDir &folder)
{
    UpdateManifest manifest;
    manifest.load(folder.filePath(QStringLiteral("temp/update_info.xml")));
    return manifest;
}

void phases(const UpdaterTexts &texts, const QString &language, const QString &server)
{
    QTemporaryDir folder;
    writeManifest(folder, server, 12, false);
    KorvoUpdate window(texts, folder.path());
    window.setLauncher([](const QString &, const QStringList &, const QString &) { return true; });
    window.startChecking(load(folder));
    window.show();
    wait(1300); // five of twelve entries checked, three dots
    save(&window, QStringLiteral("updater-%1-checking").arg(language));
    while (window.phase() != KorvoUpdate::Downloading)
        wait(50);
    wait(1100);
    save(&window, QStringLiteral("updater-%1-downloading").arg(language));
    window.downloadWorker()->stopDownload();
    // The extracting phase on its own: nothing to extract, so its 2 s start delay is on screen.
    window.decompressionResult(false); // the extraction failure box, answered Cancel by the hook below
}

void extracting(const UpdaterTexts &texts, const QString &language)
{
    QTemporaryDir folder;
    writeManifest(folder, QStringLiteral("http://127.0.0.1:9"), 0, false);
    KorvoUpdate window(texts, folder.path());
    window.setLauncher([](const QString &, const QStringList &, const QString &) { return true; });
    window.startChecking(load(folder));
    window.show();
    while (window.phase() != KorvoUpdate::Extracting)
        wait(20);
    wait(700);
    save(&window, QStringLiteral("updater-%1-extracting").arg(language));
    while (window.isVisible())
        wait(50);
}

void checkFailure(const UpdaterTexts &texts, const QString &server)
{
    QTemporaryDir folder;
    writeManifest(folder, server, 2, true);
    KorvoUpdate window(texts, folder.path());
    window.startChecking(load(folder));
    window.show();
    while (window.isVisible())
        wait(50);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    s_out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(s_out);

    QTcpServer silent; // accepts and never answers: the download stays in progress
    silent.listen(QHostAddress::LocalHost);
    const QString server = QStringLiteral("http://127.0.0.1:%1/files").arg(silent.serverPort());

    QString boxName;
    Korvo_MessageBox::setAutoAnswer([&boxName](Korvo_MessageBox *box) {
        wait(300);
        save(box, boxName);
        box->done(0);
    });

    const QList<QPair<QString, UpdaterTexts>> languages { { QStringLiteral("en"), UpdaterTexts::english() },
        { QStringLiteral("ch"), UpdaterTexts::chineseTexts() } };
    for (const auto &language : languages) {
        boxName = QStringLiteral("updater-%1-box-extract-failed").arg(language.first);
        phases(language.second, language.first, server);
        extracting(language.second, language.first);
        boxName = QStringLiteral("updater-%1-box-check-failed").arg(language.first);
        checkFailure(language.second, server);
        boxName = QStringLiteral("updater-%1-box-no-manifest").arg(language.first);
        Korvo_MessageBox box(Korvo_MessageBox::OneButton, QString(), language.second.noManifest);
        box.setFirstButtonText(language.second.confirm);
        box.exec();
    }
    QTextStream(stdout) << "updater screenshots written to " << s_out << "\n";
    return 0;
}
