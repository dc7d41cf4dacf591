#include "artworkgenerator.h"

#include "artworkkit.h"
#include "lumetrafonts.h"
#include "lumetraimages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QTextStream>

#include <cmath>

using K = ArtworkKit;
using namespace LumetraImages;

namespace {

// The main window body; the effects mask and the settings panel follow its edges.
const qreal BodyLeft = 5.5;
const qreal BodyTop = 24.5;
const qreal BodyRight = 773.5;
const qreal BodyBottom = 501.5;

QPainterPath bodyPath()
{
    return K::polygonPath({ { BodyLeft + 16, BodyTop }, { BodyRight - 14, BodyTop },
        { BodyRight, BodyTop + 14 }, { BodyRight, BodyBottom - 36 }, { BodyRight - 36, BodyBottom },
        { BodyLeft + 12, BodyBottom }, { BodyLeft, BodyBottom - 12 }, { BodyLeft, BodyTop + 16 } });
}

QFont displayFont(int pixelSize)
{
    QFont f(QString::fromUtf8(EmbeddedSpaceAgeFamily));
    f.setPixelSize(pixelSize);
    f.setBold(true);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

QPainter *antialiased(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    return &p;
}

// Fill and outline of a small control in one of its states.
struct ControlLook
{
    QBrush fill;
    QColor border;
    QColor icon;
    bool glow;
};

ControlLook normalLook()
{
    return { QColor(255, 255, 255, 12), K::red(140), QColor(222, 222, 226), false };
}

ControlLook hoverLook()
{
    return { K::red(75), K::red(235), Qt::white, true };
}

ControlLook clickLook()
{
    return { K::red(190), QColor(255, 120, 140), Qt::white, false };
}

ControlLook disabledLook()
{
    return { QColor(255, 255, 255, 8), QColor(120, 120, 126, 110), QColor(120, 120, 126), false };
}

QPainterPath gearPath(const QPointF &c, qreal outer, qreal inner, int teeth)
{
    QPainterPath gear;
    QPolygonF poly;
    const int steps = teeth * 4;
    for (int i = 0; i < steps; ++i) {
        const qreal a = 2 * M_PI * i / steps;
        const qreal r = (i % 4 == 0 || i % 4 == 1) ? outer : inner;
        poly << QPointF(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
    }
    gear.addPolygon(poly);
    gear.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(c, inner * 0.45, inner * 0.45);
    return gear.subtracted(hole);
}

} // namespace

ArtworkGenerator::ArtworkGenerator(const QString &resourcesDir)
    : m_resourcesDir(resourcesDir)
{
}

bool ArtworkGenerator::generateAll()
{
    mainWindow();
    tabs();
    toolButtons();
    infoButton();
    highPerformanceSwitch();
    indicators();
    resetButton();
    messageBox();
    sliders();
    settingPage();
    effects();
    icon();
    return writeQrc() && m_ok;
}

bool ArtworkGenerator::save(const char *resourcePath, const QImage &image)
{
    // ":/images/images/x.png" lives in the file images/x.png under the "/images" prefix.
    const QString relative = QString::fromLatin1(resourcePath).mid(QStringLiteral(":/images/").size());
    const QString file = m_resourcesDir + QLatin1Char('/') + relative;
    QDir().mkpath(QFileInfo(file).absolutePath());
    const bool ok = image.save(file, "PNG");
    m_ok = m_ok && ok;
    m_files << relative;
    m_report << QStringLiteral("%1 %2 x %3%4")
                    .arg(relative)
                    .arg(image.width())
                    .arg(image.height())
                    .arg(ok ? QString() : QStringLiteral(" FAILED"));
    return ok;
}

bool ArtworkGenerator::writeQrc()
{
    QFile qrc(m_resourcesDir + QStringLiteral("/lumetra.qrc"));
    if (!qrc.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    QTextStream out(&qrc);
    out << "<!-- Written by tools/artwork; run tools/artwork/generate.sh instead of editing. -->\n";
    out << "<RCC>\n    <qresource prefix=\"/font\">\n";
    for (const char *font : { KuHeiFontPath, SpaceAgeFontPath, DigitalFontPath })
        out << "        <file>" << QString::fromLatin1(font).mid(7) << "</file>\n";
    out << "    </qresource>\n    <qresource prefix=\"/images\">\n";
    QStringList files = m_files;
    files.sort();
    for (const QString &file : files)
        out << "        <file>" << file << "</file>\n";
    out << "    </qresource>\n</RCC>\n";
    return true;
}

void ArtworkGenerator::mainWindow()
{
    QImage image = K::canvas(800, 507);
    const QPainterPath strip
        = K::polygonPath({ { BodyRight - 4, 48 }, { 796.5, 57 }, { 796.5, 147 }, { BodyRight - 4, 156 } });
    const QPainterPath shape = bodyPath().united(strip);
    K::panel(image, shape, 238, 1.5, true);

    QPainter p(&image);
    antialiased(p);

    // A faint red haze behind the gauge.
    QRadialGradient haze(QPointF(400, 310), 330);
    haze.setColorAt(0.0, K::red(30));
    haze.setColorAt(1.0, K::red(0));
    p.save();
    p.setClipPath(bodyPath());
    p.fillRect(image.rect(), haze);
    p.restore();

    // Thin inner line a few pixels inside the edge.
    p.setPen(QPen(K::red(45), 1));
    p.setBrush(Qt::NoBrush);
    QTransform inset;
    inset.translate(389.5, 263);
    inset.scale(1 - 10.0 / 768, 1 - 10.0 / 477);
    inset.translate(-389.5, -263);
    p.drawPath(inset.map(bodyPath()));

    // Corner brackets: heavier red on the chamfers.
    p.setPen(QPen(K::red(235), 3, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.drawPolyline(QPolygonF({ { BodyLeft, BodyTop + 70 }, { BodyLeft, BodyTop + 16 },
        { BodyLeft + 16, BodyTop }, { BodyLeft + 90, BodyTop } }));
    p.drawPolyline(QPolygonF({ { BodyRight - 120, BodyBottom }, { BodyRight - 36, BodyBottom },
        { BodyRight, BodyBottom - 36 }, { BodyRight, BodyBottom - 110 } }));
    p.end();
    K::glowStroke(image,
        K::polygonPath({ { BodyLeft, BodyTop + 60 }, { BodyLeft, BodyTop + 16 }, { BodyLeft + 16, BodyTop },
            { BodyLeft + 80, BodyTop } }),
        K::red(200), 3, 6);

    p.begin(&image);
    antialiased(p);
    // The plate under the card selector with a lit rail below it.
    const QPainterPath plate = K::polygonPath({ { 232, 58 }, { 568, 58 }, { 552, 114 }, { 248, 114 } });
    QLinearGradient plateFill(QPointF(0, 58), QPointF(0, 114));
    plateFill.setColorAt(0, QColor(0, 0, 0, 40));
    plateFill.setColorAt(1, QColor(0, 0, 0, 120));
    p.setPen(Qt::NoPen);
    p.setBrush(plateFill);
    p.drawPath(plate);
    QLinearGradient rail(QPointF(250, 0), QPointF(550, 0));
    rail.setColorAt(0.0, K::red(0));
    rail.setColorAt(0.5, K::red(255));
    rail.setColorAt(1.0, K::red(0));
    p.fillRect(QRectF(250, 113, 300, 1.5), rail);
    p.end();
    QPainterPath railPath;
    railPath.moveTo(300, 113.5);
    railPath.lineTo(500, 113.5);
    K::glowStroke(image, railPath, K::red(220), 3, 9, 2);

    p.begin(&image);
    antialiased(p);
    // Brand lettering at the top left.
    p.setFont(displayFont(15));
    p.setPen(QColor(235, 235, 238, 225));
    p.drawText(QPointF(24, 52), QStringLiteral("LUMETRA"));
    const qreal brandWidth = QFontMetricsF(displayFont(15)).horizontalAdvance(QStringLiteral("LUMETRA "));
    p.setPen(K::Red);
    p.drawText(QPointF(24 + brandWidth, 52), QStringLiteral("II"));
    QLinearGradient underline(QPointF(24, 0), QPointF(150, 0));
    underline.setColorAt(0, K::red(220));
    underline.setColorAt(1, K::red(0));
    p.fillRect(QRectF(24, 58, 126, 1.2), underline);

    // Ticks at the bottom left and beside the tool buttons.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 4; ++i) {
        p.setBrush(K::red(210 - i * 45));
        const qreal x = 26 + i * 12;
        p.drawPolygon(QPolygonF({ { x + 4, BodyBottom - 12 }, { x + 10, BodyBottom - 12 },
            { x + 6, BodyBottom - 6 }, { x, BodyBottom - 6 } }));
    }
    p.end();
    save(Background, image);
}

void ArtworkGenerator::tabs()
{
    const qreal slant = 22;
    auto tab = [&](int width, int offWidth, bool on) {
        QImage image = K::canvas(width, 28);
        const qreal x0 = width - offWidth;
        const QPainterPath shape = K::polygonPath({ { x0 + slant + 0.5, 0.5 }, { width - 0.5, 0.5 },
            { width - slant - 0.5, 27.5 }, { x0 + 0.5, 27.5 } });
        if (on)
            K::glowFill(image, shape, K::red(170), 5);
        QPainter p(&image);
        antialiased(p);
        QLinearGradient fill(QPointF(0, 0), QPointF(0, 28));
        if (on) {
            fill.setColorAt(0, QColor(255, 58, 88, 240));
            fill.setColorAt(1, QColor(168, 0, 30, 240));
        } else {
            fill.setColorAt(0, QColor(44, 42, 48, 235));
            fill.setColorAt(1, QColor(16, 15, 19, 235));
        }
        p.setPen(QPen(on ? QColor(255, 140, 156, 230) : K::red(160), 1));
        p.setBrush(fill);
        p.drawPath(shape);
        // Highlight along the top edge.
        p.setPen(QPen(QColor(255, 255, 255, on ? 70 : 28), 1));
        p.drawLine(QPointF(x0 + slant + 2, 1.5), QPointF(width - 2, 1.5));
        if (on) {
            // The extra width of the lit tab is a rail that runs out to the left.
            QLinearGradient tail(QPointF(0, 0), QPointF(x0 + 2, 0));
            tail.setColorAt(0, K::red(0));
            tail.setColorAt(1, K::red(235));
            p.fillRect(QRectF(0, 26, x0 + 2, 2), tail);
        }
        return image;
    };
    save(FirstTabOff, tab(158, 158, false));
    save(FirstTabOn, tab(182, 158, true));
    save(SecondTabOff, tab(145, 145, false));
    save(SecondTabOn, tab(225, 145, true));
}

static QImage controlBase(int side, const ControlLook &look, bool round)
{
    QImage image = K::canvas(side, side);
    const QRectF box(1.5, 1.5, side - 3, side - 3);
    QPainterPath shape;
    if (round)
        shape.addEllipse(box);
    else
        shape = K::roundedRect(box, 3);
    if (look.glow)
        K::glowStroke(image, shape, K::red(220), 2, 2);
    QPainter p(&image);
    antialiased(p);
    p.setPen(QPen(look.border, 1.2));
    p.setBrush(look.fill);
    p.drawPath(shape);
    return image;
}

void ArtworkGenerator::toolButtons()
{
    const struct
    {
        const char *normal;
        const char *hover;
        const char *click;
        int kind;
    } buttons[] = {
        { SettingButton, SettingButtonHover, SettingButtonClick, 0 },
        { MinimizeButton, MinimizeButtonHover, MinimizeButtonClick, 1 },
        { CloseButton, CloseButtonHover, CloseButtonClick, 2 },
    };
    for (const auto &b : buttons) {
        const ControlLook looks[] = { normalLook(), hoverLook(), clickLook() };
        const char *paths[] = { b.normal, b.hover, b.click };
        for (int i = 0; i < 3; ++i) {
            QImage image = controlBase(19, looks[i], false);
            QPainter p(&image);
            antialiased(p);
            p.setPen(QPen(looks[i].icon, 1.6, Qt::SolidLine, Qt::RoundCap));
            if (b.kind == 0) {
                p.setPen(Qt::NoPen);
                p.setBrush(looks[i].icon);
                p.drawPath(gearPath(QPointF(9.5, 9.5), 5.6, 4.0, 8));
            } else if (b.kind == 1) {
                p.drawLine(QPointF(5.5, 12), QPointF(13.5, 12));
            } else {
                p.drawLine(QPointF(6, 6), QPointF(13, 13));
                p.drawLine(QPointF(13, 6), QPointF(6, 13));
            }
            p.end();
            save(paths[i], image);
        }
    }
}

void ArtworkGenerator::infoButton()
{
    const ControlLook looks[] = { normalLook(), hoverLook(), clickLook() };
    const char *paths[] = { InfoButton, InfoButtonOver, InfoButtonClick };
    for (int i = 0; i < 3; ++i) {
        QImage image = controlBase(20, looks[i], true);
        QPainter p(&image);
        antialiased(p);
        p.setPen(Qt::NoPen);
        p.setBrush(looks[i].icon);
        p.drawEllipse(QPointF(10, 6.2), 1.4, 1.4);
        p.drawRoundedRect(QRectF(8.9, 8.6, 2.2, 6.6), 0.8, 0.8);
        p.end();
        save(paths[i], image);
    }
}

void ArtworkGenerator::highPerformanceSwitch()
{
    auto draw = [](bool on, bool over) {
        QImage image = K::canvas(80, 20);
        const QPainterPath track = K::roundedRect(QRectF(1, 1, 78, 18), 9);
        const QRectF knob = on ? QRectF(3, 3, 37, 14) : QRectF(40, 3, 37, 14);
        if (on || over)
            K::glowStroke(image, track, K::red(on ? 200 : 150), 2, 3);
        QPainter p(&image);
        antialiased(p);
        p.setPen(QPen(on || over ? K::red(225) : QColor(190, 190, 196, 110), 1));
        p.setBrush(QColor(14, 13, 16, 230));
        p.drawPath(track);
        QLinearGradient fill(knob.topLeft(), knob.bottomLeft());
        if (on) {
            fill.setColorAt(0, QColor(255, 70, 98));
            fill.setColorAt(1, QColor(180, 0, 34));
        } else {
            fill.setColorAt(0, over ? QColor(110, 60, 70) : QColor(92, 92, 98));
            fill.setColorAt(1, over ? QColor(60, 28, 36) : QColor(48, 48, 54));
        }
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRoundedRect(knob, 7, 7);
        p.setPen(QPen(QColor(255, 255, 255, 50), 1));
        p.drawLine(QPointF(knob.left() + 6, knob.top() + 1.5), QPointF(knob.right() - 6, knob.top() + 1.5));
        return image;
    };
    save(HighPerformanceOff, draw(false, false));
    save(HighPerformanceOn, draw(true, false));
    save(HighPerformanceOver, draw(false, true));
}

static QImage indicator(int side, bool round, bool checked, bool hover, bool disabled)
{
    QImage image = K::canvas(side, side);
    const qreal m = side / 9.0;
    const QRectF box(m, m, side - 2 * m, side - 2 * m);
    QPainterPath shape;
    if (round)
        shape.addEllipse(box);
    else
        shape = K::roundedRect(box, side / 7.0);
    if (hover)
        K::glowStroke(image, shape, K::red(230), 1.5, 2);

    QPainter p(&image);
    antialiased(p);
    QColor border = disabled ? QColor(110, 110, 116, 120) : QColor(215, 215, 220, 180);
    if (hover || (checked && !disabled))
        border = hover ? K::red(255) : QColor(255, 96, 120);
    QBrush fill = QColor(0, 0, 0, 130);
    if (checked && !round && !disabled) {
        QLinearGradient g(box.topLeft(), box.bottomLeft());
        g.setColorAt(0, hover ? QColor(255, 80, 108) : QColor(252, 30, 68));
        g.setColorAt(1, hover ? QColor(212, 0, 40) : QColor(170, 0, 32));
        fill = g;
    } else if (hover && !checked) {
        fill = K::red(45);
    }
    p.setPen(QPen(border, std::max<qreal>(1.1, side / 14.0)));
    p.setBrush(fill);
    p.drawPath(shape);

    if (!checked)
        return image;
    const QColor mark = disabled ? QColor(130, 130, 136) : Qt::white;
    if (round) {
        const qreal r = side * 0.2;
        p.setPen(Qt::NoPen);
        p.setBrush(disabled ? QColor(120, 120, 126) : (hover ? QColor(255, 70, 100) : K::Red));
        p.drawEllipse(box.center(), r, r);
        p.setBrush(QColor(255, 255, 255, disabled ? 40 : 120));
        p.drawEllipse(box.center() - QPointF(r * 0.35, r * 0.35), r * 0.35, r * 0.35);
        return image;
    }
    const qreal s = side;
    p.setPen(QPen(mark, s / 8.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({ { s * 0.27, s * 0.52 }, { s * 0.44, s * 0.69 }, { s * 0.75, s * 0.33 } }));
    return image;
}

void ArtworkGenerator::indicators()
{
    save(CheckBoxUnchecked, indicator(16, false, false, false, false));
    save(CheckBoxUncheckedHover, indicator(16, false, false, true, false));
    save(CheckBoxChecked, indicator(16, false, true, false, false));
    save(CheckBoxCheckedHover, indicator(16, false, true, true, false));
    save(CheckBoxUncheckedDisabled, indicator(16, false, false, false, true));
    save(CheckBoxCheckedDisabled, indicator(16, false, true, false, true));
    save(RadioUnchecked, indicator(16, true, false, false, false));
    save(RadioUncheckedHover, indicator(16, true, false, true, false));
    save(RadioChecked, indicator(16, true, true, false, false));
    save(RadioCheckedHover, indicator(16, true, true, true, false));
    save(RadioUncheckedDisabled, indicator(16, true, false, false, true));
    save(RadioCheckedDisabled, indicator(16, true, true, false, true));
    save(MessageBoxUnchecked, indicator(18, false, false, false, false));
    save(MessageBoxUncheckedHover, indicator(18, false, false, true, false));
    save(MessageBoxChecked, indicator(18, false, true, false, false));
    save(MessageBoxCheckedHover, indicator(18, false, true, true, false));
}

void ArtworkGenerator::resetButton()
{
    const ControlLook looks[] = { normalLook(), hoverLook(), clickLook(), disabledLook() };
    const char *paths[] = { ResetButton, ResetButtonHover, ResetButtonClick, ResetButtonDisabled };
    for (int i = 0; i < 4; ++i) {
        QImage image = controlBase(21, looks[i], true);
        QPainter p(&image);
        antialiased(p);
        const QPointF c(10.5, 10.5);
        const qreal r = 5;
        p.setPen(QPen(looks[i].icon, 1.6, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 70 * 16, 290 * 16);
        // Arrow head at the open end of the arc, pointing clockwise.
        const qreal a = 70 * M_PI / 180;
        const QPointF tip(c.x() + r * std::cos(a), c.y() - r * std::sin(a));
        p.setPen(Qt::NoPen);
        p.setBrush(looks[i].icon);
        p.drawPolygon(
            QPolygonF({ tip + QPointF(3.4, 0.4), tip + QPointF(-1.2, -2.9), tip + QPointF(-0.9, 2.9) }));
        p.end();
        save(paths[i], image);
    }
}

void ArtworkGenerator::messageBox()
{
    QImage image = K::canvas(320, 179);
    const QPainterPath shape = K::roundedRect(QRectF(1.5, 1.5, 317, 176), 10);
    K::panel(image, shape, 232, 2, false);
    QPainter p(&image);
    antialiased(p);
    // A lit bar in the top left and a chamfer accent in the bottom right.
    QLinearGradient bar(QPointF(18, 0), QPointF(124, 0));
    bar.setColorAt(0, K::red(255));
    bar.setColorAt(1, K::red(0));
    p.fillRect(QRectF(18, 1, 106, 2.5), bar);
    p.setPen(QPen(K::red(200), 2));
    p.drawLine(QPointF(270, 171), QPointF(300, 171));
    p.drawLine(QPointF(305, 171), QPointF(309, 171));
    p.end();
    save(MessageBoxBackground, image);
}

void ArtworkGenerator::sliders()
{
    const QRectF track(0.5, 2.5, 189, 4);

    QImage empty = K::canvas(190, 9);
    QPainter p(&empty);
    antialiased(p);
    p.setPen(QPen(QColor(120, 120, 128, 130), 1));
    p.setBrush(QColor(44, 44, 50, 210));
    p.drawRect(track);
    p.end();
    save(SliderTrack, empty);

    // The filled part: red with diagonal stripes of a brighter red.
    QImage full = K::canvas(190, 9);
    QPainterPath trackPath;
    trackPath.addRect(track);
    K::glowFill(full, trackPath, K::red(150), 2);
    p.begin(&full);
    antialiased(p);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(150, 4, 30));
    p.drawRect(track.adjusted(-0.5, -0.5, 0.5, 0.5));
    p.setClipRect(track.adjusted(-0.5, -0.5, 0.5, 0.5));
    p.setBrush(QColor(252, 10, 53));
    for (qreal x = -8; x < 196; x += 6)
        p.drawPolygon(QPolygonF({ { x, 7 }, { x + 3, 7 }, { x + 8, 2 }, { x + 5, 2 } }));
    p.setClipping(false);
    p.setPen(QPen(QColor(255, 150, 165, 110), 1));
    p.drawLine(QPointF(0, 2.5), QPointF(190, 2.5));
    p.end();
    save(SliderFill, full);

    QImage disabled = K::canvas(190, 9);
    p.begin(&disabled);
    antialiased(p);
    p.setPen(QPen(QColor(96, 96, 102, 110), 1));
    p.setBrush(QColor(50, 50, 55, 170));
    p.drawRect(track);
    p.setClipRect(track);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 14));
    for (qreal x = -8; x < 196; x += 6)
        p.drawPolygon(QPolygonF({ { x, 7 }, { x + 3, 7 }, { x + 8, 2 }, { x + 5, 2 } }));
    p.end();
    save(SliderDisabled, disabled);

    // The cap left of the slider: a rounded red head that narrows into the track.
    auto cap = [](bool enabled) {
        QImage image = K::canvas(23, 9);
        QPainterPath head;
        head.moveTo(4.5, 0.5);
        head.lineTo(16, 0.5);
        head.lineTo(22.5, 2.5);
        head.lineTo(22.5, 6.5);
        head.lineTo(16, 8.5);
        head.lineTo(4.5, 8.5);
        head.arcTo(QRectF(0.5, 0.5, 8, 8), 270, -180);
        head.closeSubpath();
        QPainter painter(&image);
        antialiased(painter);
        QLinearGradient fill(QPointF(0, 0), QPointF(0, 9));
        fill.setColorAt(0, enabled ? QColor(255, 72, 100) : QColor(120, 120, 126));
        fill.setColorAt(1, enabled ? QColor(176, 0, 32) : QColor(64, 64, 70));
        painter.setPen(QPen(enabled ? QColor(255, 130, 148, 200) : QColor(150, 150, 156, 140), 0.8));
        painter.setBrush(fill);
        painter.drawPath(head);
        painter.setPen(QPen(QColor(20, 0, 4, enabled ? 160 : 100), 1));
        painter.drawLine(QPointF(10.5, 2.5), QPointF(10.5, 6.5));
        painter.drawLine(QPointF(13.5, 2.5), QPointF(13.5, 6.5));
        return image;
    };
    save(SliderCap, cap(true));
    save(SliderCapDisabled, cap(false));
}

void ArtworkGenerator::settingPage()
{
    QImage image = K::canvas(511, 466);
    const QPainterPath shape = K::polygonPath(
        { { 24.5, 1 }, { 496.5, 1 }, { 510, 14.5 }, { 510, 465 }, { 40.5, 465 }, { 1, 425.5 }, { 1, 24.5 } });
    K::panel(image, shape, 246, 1.5, false);
    QPainter p(&image);
    antialiased(p);
    QLinearGradient band(QPointF(0, 0), QPointF(0, 46));
    band.setColorAt(0, K::red(60));
    band.setColorAt(1, K::red(12));
    p.save();
    p.setClipPath(shape);
    p.fillRect(QRectF(0, 0, 511, 46), band);
    p.restore();
    QLinearGradient rule(QPointF(20, 0), QPointF(490, 0));
    rule.setColorAt(0, K::red(230));
    rule.setColorAt(0.6, K::red(120));
    rule.setColorAt(1, K::red(0));
    p.fillRect(QRectF(20, 46, 470, 1.2), rule);
    p.setPen(QPen(K::red(240), 3, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.drawPolyline(QPolygonF({ { 1, 60 }, { 1, 24.5 }, { 24.5, 1 }, { 90, 1 } }));
    p.drawPolyline(QPolygonF({ { 120, 465 }, { 40.5, 465 }, { 1, 425.5 }, { 1, 380 } }));
    p.end();
    save(SettingBackground, image);
}

void ArtworkGenerator::effects()
{
    // The effects layer sits at (7, 27) in the window and takes the mouse only inside the window body.
    QImage mask = K::canvas(766, 472);
    QPainter p(&mask);
    antialiased(p);
    p.translate(-7, -27);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(8, 8, 10, 255));
    p.drawPath(bodyPath());
    p.end();
    save(EffectsMask, mask);

    QImage logo = K::canvas(485, 388);
    K::emblem(logo, QRectF(30, 24, 425, 340), 0.62, 16);
    save(Emblem, logo);

    // The small logo lies behind the card selector, so it stays quiet.
    QImage center = K::canvas(148, 116);
    K::emblem(center, QRectF(24, 6, 100, 80), 0.42, 6);
    p.begin(&center);
    antialiased(p);
    QFont f = displayFont(11);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    p.setFont(f);
    p.setPen(QColor(255, 255, 255, 110));
    p.drawText(QRectF(0, 90, 148, 20), Qt::AlignCenter, QStringLiteral("LUMETRA"));
    p.end();
    save(CenterLogo, center);
}

void ArtworkGenerator::icon()
{
    const QImage image = K::icon(256);
    save(WindowIcon, image);
    // The same icon as the Windows resource of both programs (their .rc files name it).
    const QString ico = m_resourcesDir + QStringLiteral("/windows/lumetra.ico");
    QDir().mkpath(QFileInfo(ico).absolutePath());
    const bool icoSaved
        = image.scaled(64, 64, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).save(ico, "ICO");
    m_ok = m_ok && icoSaved;
    m_report << QStringLiteral("windows/lumetra.ico 64 x 64%1")
                    .arg(icoSaved ? QString() : QStringLiteral(" FAILED"));
}
