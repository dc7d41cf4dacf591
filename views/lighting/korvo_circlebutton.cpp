#include "korvo_circlebutton.h"

#include <QBitmap>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {

constexpr int SegmentSpanDegrees = 120;
constexpr int SeparatorHalfWidthPx = 2;
constexpr int SeparatorOverhangPx = 5;

/// The band of half-width h along the radius at the given angle, from the centre to the given distance.
QPainterPath separatorBar(QPointF centre, double angleDegrees, double length)
{
    const double radians = qDegreesToRadians(angleDegrees);
    const QPointF along(qCos(radians), -qSin(radians));
    const QPointF across(-along.y() * SeparatorHalfWidthPx, along.x() * SeparatorHalfWidthPx);
    const QPointF end = centre + along * length;
    QPainterPath bar;
    bar.addPolygon(QPolygonF({ centre + across, end + across, end - across, centre - across }));
    bar.closeSubpath();
    return bar;
}

} // namespace

Korvo_CircleButton::Korvo_CircleButton(int kind, const QString &text, QWidget *parent)
    : QLabel(parent)
    , m_kind(kind)
    , m_text(text)
{
    setMouseTracking(true);
    setStyleSheet(QStringLiteral("background-color: rgba(0, 0, 0, 0);"));
    rebuild();
}

QPair<int, int> Korvo_CircleButton::textSpan(int kind)
{
    if (kind <= 1)
        return { 90, 210 };
    if (kind == 2)
        return { 210, 330 };
    return { -30, 90 };
}

int Korvo_CircleButton::segmentStart(int kind)
{
    if (kind <= 1)
        return 90;
    if (kind == 2)
        return 210;
    return 330;
}

double Korvo_CircleButton::effectiveRingWidth(double ringWidth, int side)
{
    if (ringWidth <= 0 || ringWidth >= side)
        return side / 6;
    return ringWidth;
}

QString Korvo_CircleButton::drawnText(int kind, const QString &text)
{
    if (kind != 2)
        return text;
    QString reversed;
    reversed.reserve(text.size());
    for (auto it = text.crbegin(); it != text.crend(); ++it)
        reversed.append(*it);
    return reversed;
}

QVector<double> Korvo_CircleButton::characterAngles(int kind, double g, const QVector<int> &charWidths)
{
    const QPair<int, int> span = textSpan(kind);
    const double spanDegrees = span.second - span.first;
    const double arcLength = spanDegrees / 180.0 * M_PI * g;
    QVector<double> angles;
    if (arcLength <= 0)
        return angles;
    const double degreesPerPixel = spanDegrees / arcLength;
    int textWidth = 0;
    for (int width : charWidths)
        textWidth += width;
    double to = span.second;
    if (arcLength > textWidth)
        to -= (spanDegrees - degreesPerPixel * textWidth) / 2;
    angles.reserve(charWidths.size());
    for (int width : charWidths) {
        angles.append(to - (width / 2) * degreesPerPixel);
        to -= width * degreesPerPixel;
    }
    return angles;
}

void Korvo_CircleButton::setText(const QString &text)
{
    m_text = text;
    rebuild();
}

void Korvo_CircleButton::setRingWidth(double ringWidth)
{
    m_ringWidth = ringWidth;
}

void Korvo_CircleButton::rebuild()
{
    const int side = qMin(width(), height());
    // Below this the arc has no length and the mask would be empty: keep the previous look.
    if (side < MinimumSide)
        return;
    m_ringWidth = effectiveRingWidth(m_ringWidth, side);
    m_normal = drawSegment(side, m_ringWidth, m_normalColour);
    m_builtRingWidth = m_ringWidth;
    // The hover and pressed looks are drawn when the pointer first needs them.
    m_hover = QPixmap();
    m_pressed = QPixmap();
    setPixmap(m_normal);
    setMask(m_normal.mask());
}

QPixmap Korvo_CircleButton::drawSegment(int side, double ringWidth, const QColor &colour) const
{
    QPixmap look(side, side);
    look.fill(Qt::transparent);
    QPainter painter(&look);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(side / 2, side / 2);

    QPainterPath shape;
    shape.moveTo(centre);
    shape.arcTo(QRectF(0, 0, side, side), segmentStart(m_kind), SegmentSpanDegrees);
    shape.closeSubpath();
    for (int angle : { 90, 210, 330 })
        shape = shape.subtracted(separatorBar(centre, angle, side / 2 + SeparatorOverhangPx));
    QPainterPath hole;
    const double holeRadius = side / 2 - ringWidth;
    hole.addEllipse(centre, holeRadius, holeRadius);
    shape = shape.subtracted(hole);
    painter.setPen(Qt::NoPen);
    painter.fillPath(shape, colour);

    QFont font = painter.font();
    font.setFamily(this->font().family());
    font.setPixelSize(qMax(1, int(ringWidth / 2.5)));
    font.setWeight(57);
    font.setHintingPreference(QFont::PreferFullHinting);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QFontMetrics metrics(font);
    const QString text = drawnText(m_kind, m_text);
    QVector<int> widths;
    widths.reserve(text.size());
    for (const QChar ch : text)
        widths.append(metrics.horizontalAdvance(ch));
    const double g = side / 2 - ringWidth / 2;
    const QVector<double> angles = characterAngles(m_kind, g, widths);
    for (int i = 0; i < angles.size(); ++i) {
        const double radians = qDegreesToRadians(angles.at(i));
        painter.save();
        painter.translate(centre.x() + g * qCos(radians), centre.y() - g * qSin(radians));
        painter.rotate(-(angles.at(i) - 90) - (m_kind == 2 ? 180 : 0));
        painter.drawText(QPointF(-(widths.at(i) / 2), metrics.height() / 4), QString(text.at(i)));
        painter.restore();
    }
    return look;
}

const QPixmap &Korvo_CircleButton::hoverLook()
{
    if (m_hover.isNull() && !m_normal.isNull())
        m_hover = drawSegment(m_normal.width(), m_builtRingWidth, m_hoverColour);
    return m_hover;
}

const QPixmap &Korvo_CircleButton::pressedLook()
{
    if (m_pressed.isNull() && !m_normal.isNull())
        m_pressed = drawSegment(m_normal.width(), m_builtRingWidth, m_pressedColour);
    return m_pressed;
}

void Korvo_CircleButton::showLook(const QPixmap &look)
{
    if (!look.isNull())
        setPixmap(look);
}

void Korvo_CircleButton::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    rebuild();
}

void Korvo_CircleButton::enterEvent(QEvent *event)
{
    showLook(hoverLook());
    QLabel::enterEvent(event);
}

void Korvo_CircleButton::leaveEvent(QEvent *event)
{
    showLook(m_normal);
    QLabel::leaveEvent(event);
}

void Korvo_CircleButton::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton))
        showLook(hoverLook());
    QLabel::mouseMoveEvent(event);
}

void Korvo_CircleButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        showLook(pressedLook());
    QLabel::mousePressEvent(event);
}

void Korvo_CircleButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QLabel::mouseReleaseEvent(event);
        return;
    }
    if (mask().contains(event->pos())) {
        showLook(hoverLook());
        emit onMouseClick();
    } else {
        showLook(m_normal);
    }
    event->accept();
}
