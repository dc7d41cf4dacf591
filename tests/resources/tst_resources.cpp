#include "lumetrafonts.h"
#include "lumetraimages.h"
#include "lumetraresources.h"

#include <QDirIterator>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QRegularExpression>
#include <QtTest>

using namespace LumetraImages;

namespace {

struct ImageSize
{
    const char *path;
    int width;
    int height;
};

// Every image with the size its user relies on.
const ImageSize Images[] = {
    { Background, 800, 507 },
    { ":images/images/background.png", 800, 507 },
    { FirstTabOff, 158, 28 },
    { FirstTabOn, 182, 28 },
    { SecondTabOff, 145, 28 },
    { SecondTabOn, 225, 28 },
    { WindowIcon, 256, 256 },
    { SettingButton, 19, 19 },
    { SettingButtonHover, 19, 19 },
    { SettingButtonClick, 19, 19 },
    { MinimizeButton, 19, 19 },
    { MinimizeButtonHover, 19, 19 },
    { MinimizeButtonClick, 19, 19 },
    { CloseButton, 19, 19 },
    { CloseButtonHover, 19, 19 },
    { CloseButtonClick, 19, 19 },
    { InfoButton, 20, 20 },
    { InfoButtonOver, 20, 20 },
    { InfoButtonClick, 20, 20 },
    { HighPerformanceOff, 80, 20 },
    { HighPerformanceOn, 80, 20 },
    { HighPerformanceOver, 80, 20 },
    { CheckBoxUnchecked, 16, 16 },
    { CheckBoxUncheckedHover, 16, 16 },
    { CheckBoxChecked, 16, 16 },
    { CheckBoxCheckedHover, 16, 16 },
    { CheckBoxUncheckedDisabled, 16, 16 },
    { CheckBoxCheckedDisabled, 16, 16 },
    { RadioUnchecked, 16, 16 },
    { RadioUncheckedHover, 16, 16 },
    { RadioChecked, 16, 16 },
    { RadioCheckedHover, 16, 16 },
    { RadioUncheckedDisabled, 16, 16 },
    { RadioCheckedDisabled, 16, 16 },
    { ResetButton, 21, 21 },
    { ResetButtonHover, 21, 21 },
    { ResetButtonClick, 21, 21 },
    { ResetButtonDisabled, 21, 21 },
    { MessageBoxBackground, 320, 179 },
    { MessageBoxUnchecked, 18, 18 },
    { MessageBoxUncheckedHover, 18, 18 },
    { MessageBoxChecked, 18, 18 },
    { MessageBoxCheckedHover, 18, 18 },
    { SliderCap, 23, 9 },
    { SliderCapDisabled, 23, 9 },
    { SliderTrack, 190, 9 },
    { SliderFill, 190, 9 },
    { SliderDisabled, 190, 9 },
    { SettingBackground, 511, 466 },
    { ":images/images/SettingBKImage.png", 511, 466 },
    { EffectsMask, 766, 472 },
    { ":images/images/maskBKImage.png", 766, 472 },
    { CenterLogo, 148, 116 },
    { ":images/images/centerLogo.png", 148, 116 },
    { Emblem, 485, 388 },
    { ":images/images/logo.png", 485, 388 },
};

QString canonical(const QString &path)
{
    // ":images/x" and ":/images/x" name the same resource.
    return path.startsWith(QLatin1String(":/")) ? path : QStringLiteral(":/") + path.mid(1);
}

QSet<QString> resourcePathsInSources()
{
    const QRegularExpression literal(QStringLiteral("[\"(](:/?(?:images|font)/[^\")]*)[\")]"));
    QSet<QString> found;
    const QString root = QStringLiteral(LUMETRA_SOURCE_DIR);
    QDirIterator it(
        root, { QStringLiteral("*.h"), QStringLiteral("*.cpp") }, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString relative = file.mid(root.size() + 1);
        if (relative.startsWith(QLatin1String("build")) || relative.startsWith(QLatin1Char('.')))
            continue;
        QFile source(file);
        if (!source.open(QIODevice::ReadOnly))
            continue;
        for (const QString &line : QString::fromUtf8(source.readAll()).split(QLatin1Char('\n'))) {
            // Comments may name paths by way of example.
            if (line.trimmed().startsWith(QLatin1String("//")))
                continue;
            auto matches = literal.globalMatch(line);
            while (matches.hasNext())
                found.insert(matches.next().captured(1));
        }
    }
    return found;
}

} // namespace

class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initLumetraResources(); }

    void imagesHaveTheirSizes()
    {
        for (const ImageSize &image : Images) {
            const QImage loaded(QString::fromLatin1(image.path));
            if (loaded.isNull())
                qWarning() << "missing" << image.path;
            QVERIFY(!loaded.isNull());
            QCOMPARE(loaded.size(), QSize(image.width, image.height));
            QVERIFY(loaded.hasAlphaChannel());
        }
    }

    void shortPrefixResolvesToTheSameResource()
    {
        QFile shortForm(QStringLiteral(":images/images/background.png"));
        QFile longForm(QStringLiteral(":/images/images/background.png"));
        QVERIFY(shortForm.open(QIODevice::ReadOnly));
        QVERIFY(longForm.open(QIODevice::ReadOnly));
        QCOMPARE(shortForm.readAll(), longForm.readAll());
    }

    void everyImageIsKnown()
    {
        // No image in the resources without a size above: the list above is complete.
        QSet<QString> known;
        for (const ImageSize &image : Images)
            known.insert(canonical(QString::fromLatin1(image.path)));
        QDirIterator it(QStringLiteral(":/images/images"), QDir::Files, QDirIterator::Subdirectories);
        int count = 0;
        while (it.hasNext()) {
            const QString path = it.next();
            if (!known.contains(path))
                qWarning() << "no size known for" << path;
            QVERIFY(known.contains(path));
            ++count;
        }
        QCOMPARE(count, 51);
    }

    void everyPathInTheCodeExists()
    {
        const QSet<QString> paths = resourcePathsInSources();
        QVERIFY(paths.contains(QStringLiteral(":/images/images/messageBox/msgbkground.png")));
        for (const QString &path : paths) {
            if (!QFileInfo::exists(path))
                qWarning() << "missing resource" << path;
            QVERIFY(QFileInfo::exists(path));
            if (!path.endsWith(QLatin1String(".png")))
                continue;
            bool sized = false;
            for (const ImageSize &image : Images)
                sized = sized || canonical(QString::fromLatin1(image.path)) == canonical(path);
            QVERIFY2(sized, qPrintable(path));
        }
    }

    void fontsAreEmbedded()
    {
        for (const char *path : { KuHeiFontPath, SpaceAgeFontPath, DigitalFontPath }) {
            QFile font(QString::fromLatin1(path));
            QVERIFY(font.open(QIODevice::ReadOnly));
            QVERIFY(font.size() > 10000);
        }
    }

    void familiesResolveToEmbeddedFonts()
    {
        const QStringList families = registerLumetraFonts();
        QCOMPARE(families,
            QStringList({ QString::fromUtf8(EmbeddedKuHeiFamily), QString::fromUtf8(EmbeddedSpaceAgeFamily),
                QString::fromUtf8(EmbeddedDigitalFamily) }));
        installLumetraFontSubstitutions();

        const struct
        {
            const char *asked;
            const char *embedded;
        } mapping[] = {
            { KuHeiFamily, EmbeddedKuHeiFamily },
            { DefaultUiFamily, EmbeddedKuHeiFamily },
            { SpaceAgeFamily, EmbeddedSpaceAgeFamily },
            { DigitalFamily, EmbeddedDigitalFamily },
        };
        for (const auto &m : mapping) {
            QFont font(QString::fromUtf8(m.asked));
            font.setPixelSize(20);
            QCOMPARE(QFontInfo(font).family(), QString::fromUtf8(m.embedded));
            // Qt keeps substitutes in lower case.
            QVERIFY(QFont::substitutes(QString::fromUtf8(m.asked))
                        .contains(QString::fromUtf8(m.embedded), Qt::CaseInsensitive));
        }
        QFont bold(QString::fromUtf8(DigitalFamily));
        bold.setWeight(75);
        QCOMPARE(QFontInfo(bold).family(), QString::fromUtf8(EmbeddedDigitalFamily));
    }

    // The gauge writes "MHz" and "MB" in the digital font. A seven-segment font draws every glyph inside the
    // "8", so M, z and B came out as look-alikes ("1911 MHz" read "1911 Nh2"). Each needs strokes the eight
    // does not have.
    void digitalFontDrawsTheUnitLetters()
    {
        QFile file(QString::fromLatin1(DigitalFontPath));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QRawFont font(file.readAll(), 50);
        QVERIFY(font.isValid());
        const auto ink = [&font](QChar c) {
            QImage image(80, 80, QImage::Format_Grayscale8);
            image.fill(0);
            QPainter painter(&image);
            const QVector<quint32> glyphs = font.glyphIndexesForString(QString(c));
            painter.translate(10, 60);
            painter.fillPath(font.pathForGlyph(glyphs.value(0)), Qt::white);
            return image;
        };
        const QImage eight = ink(QLatin1Char('8'));
        for (const char letter : { 'M', 'z', 'B' }) {
            const QImage drawn = ink(QLatin1Char(letter));
            int outsideEight = 0;
            for (int y = 0; y < drawn.height(); ++y)
                for (int x = 0; x < drawn.width(); ++x)
                    outsideEight += qGray(drawn.pixel(x, y)) > 128 && qGray(eight.pixel(x, y)) < 128;
            QVERIFY2(outsideEight > 40, QByteArray(1, letter).constData());
        }
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
