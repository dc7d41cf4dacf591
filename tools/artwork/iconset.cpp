#include "iconset.h"

#include "artworkkit.h"

#include <QDir>
#include <QFile>
#include <QPainterPath>

#include <algorithm>

using K = ArtworkKit;

const QList<int> IconSet::Sizes = { 16, 22, 24, 32, 48, 64, 128, 256, 512 };

namespace {

QString number(qreal value)
{
    return QString::number(value, 'f', 2);
}

QString pathData(const QPainterPath &path)
{
    QStringList parts;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo()) {
            parts << QStringLiteral("M%1 %2").arg(number(e.x), number(e.y));
        } else if (e.isLineTo()) {
            parts << QStringLiteral("L%1 %2").arg(number(e.x), number(e.y));
        } else if (e.isCurveTo() && i + 2 < path.elementCount()) {
            const QPainterPath::Element c2 = path.elementAt(i + 1);
            const QPainterPath::Element end = path.elementAt(i + 2);
            parts << QStringLiteral("C%1 %2 %3 %4 %5 %6")
                         .arg(number(e.x), number(e.y), number(c2.x), number(c2.y), number(end.x),
                             number(end.y));
            i += 2;
        }
    }
    return parts.join(QLatin1Char(' '));
}

QString colour(const QColor &c)
{
    return QStringLiteral("stop-color=\"rgb(%1,%2,%3)\" stop-opacity=\"%4\"")
        .arg(c.red())
        .arg(c.green())
        .arg(c.blue())
        .arg(number(c.alphaF()));
}

QString gradient(const QString &id, QPointF from, QPointF to, const QList<QPair<qreal, QColor>> &stops)
{
    QString text
        = QStringLiteral("<linearGradient id=\"%1\" gradientUnits=\"userSpaceOnUse\" x1=\"%2\" y1=\"%3\" "
                         "x2=\"%4\" y2=\"%5\">")
              .arg(id, number(from.x()), number(from.y()), number(to.x()), number(to.y()));
    for (const auto &stop : stops)
        text += QStringLiteral("<stop offset=\"%1\" %2/>").arg(number(stop.first), colour(stop.second));
    return text + QStringLiteral("</linearGradient>");
}

QString pathElement(const QPainterPath &path, const QString &attributes)
{
    const QString rule
        = path.fillRule() == Qt::OddEvenFill ? QStringLiteral("evenodd") : QStringLiteral("nonzero");
    return QStringLiteral("<path fill-rule=\"%1\" %2 d=\"%3\"/>").arg(rule, attributes, pathData(path));
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace

QByteArray IconSet::svg()
{
    const QRectF tileBox(10, 10, 236, 236);
    const QRectF emblemBox(22, 40, 212, 170);
    QPainterPath emblem = K::emblemFrame(emblemBox);
    emblem.addPath(K::emblemLetter(emblemBox));
    emblem.addPath(K::emblemWings(emblemBox));
    QString text = QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
                                  "viewBox=\"0 0 256 256\"><defs>");
    text += gradient(QStringLiteral("tile"), tileBox.topLeft(), tileBox.bottomLeft(),
        { { 0.0, QColor(24, 22, 27, 250) }, { 0.45, QColor(13, 12, 15, 250) },
            { 1.0, QColor(6, 6, 8, 250) } });
    text += gradient(QStringLiteral("shield"), emblemBox.topLeft(), emblemBox.bottomLeft(),
        { { 0.0, QColor(60, 0, 14, 150) }, { 1.0, QColor(10, 0, 3, 170) } });
    text += gradient(QStringLiteral("metal"), emblemBox.topLeft(), emblemBox.bottomRight(),
        { { 0.0, QColor(255, 92, 116) }, { 0.35, QColor(252, 10, 53) }, { 1.0, QColor(140, 0, 24) } });
    text += QStringLiteral("</defs>");
    const QColor border = K::red(215);
    text += pathElement(K::roundedRect(tileBox, 46),
        QStringLiteral(
            "fill=\"url(#tile)\" stroke=\"rgb(%1,%2,%3)\" stroke-opacity=\"%4\" stroke-width=\"5\"")
            .arg(border.red())
            .arg(border.green())
            .arg(border.blue())
            .arg(number(border.alphaF())));
    text += pathElement(K::emblemShield(emblemBox), QStringLiteral("fill=\"url(#shield)\""));
    text += pathElement(emblem, QStringLiteral("fill=\"url(#metal)\""));
    text += pathElement(K::emblemFrame(emblemBox),
        QStringLiteral(
            "fill=\"none\" stroke=\"rgb(255,200,210)\" stroke-opacity=\"0.35\" stroke-width=\"%1\"")
            .arg(number(std::max<qreal>(0.6, emblemBox.width() / 260.0))));
    text += QStringLiteral("</svg>\n");
    return text.toUtf8();
}

bool IconSet::write(const QString &folder, const QString &name, QStringList &report)
{
    bool ok = true;
    const QImage large = K::icon(512);
    const QImage medium = K::icon(256);
    for (int side : Sizes) {
        const QImage &source = side > 256 ? large : medium;
        const QImage image = side == source.width()
            ? source
            : source.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QString path = QStringLiteral("%1/%2x%2/apps/%3.png").arg(folder).arg(side).arg(name);
        QDir().mkpath(QFileInfo(path).path());
        const bool saved = image.save(path, "PNG");
        ok = ok && saved;
        report << path + (saved ? QString() : QStringLiteral(" FAILED"));
    }
    const QString svgPath = QStringLiteral("%1/scalable/apps/%2.svg").arg(folder, name);
    const bool svgSaved = writeFile(svgPath, svg());
    report << svgPath + (svgSaved ? QString() : QStringLiteral(" FAILED"));
    return ok && svgSaved;
}
