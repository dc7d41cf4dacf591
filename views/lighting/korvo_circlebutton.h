#pragma once

#include "lookkit.h"

#include <QColor>
#include <QLabel>
#include <QPixmap>
#include <QVector>

/// One third of a ring with a text running along its arc: three of them surround the circle gauge and pick
/// what it shows. It shows one of three pre-drawn looks (normal, hover, pressed) and reacts only inside its
/// own shape, so three buttons stacked on one another each get the clicks of their own segment.
class Korvo_CircleButton : public QLabel
{
    Q_OBJECT

public:
    /// Kind 1 (or less): the upper-left segment, 90 to 210 degrees; 2: the bottom one, 210 to 330; 3 or
    /// more: the right one, 330 to 90. Angles run counter-clockwise from 3 o'clock.
    Korvo_CircleButton(int kind, const QString &text, QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const { return m_text; }
    /// Takes effect at the next rebuild; 0 or less, or not below the side, means side / 6.
    void setRingWidth(double ringWidth);
    double ringWidth() const { return m_ringWidth; }
    int kind() const { return m_kind; }

    /// Start and end of the text's span in degrees: (90, 210), (210, 330) or (-30, 90).
    static QPair<int, int> textSpan(int kind);
    /// Where the pie of the segment starts, in degrees: 90, 210 or 330; it always covers 120 degrees.
    static int segmentStart(int kind);
    /// The ring width a rebuild uses for a square of the given side.
    static double effectiveRingWidth(double ringWidth, int side);
    /// The text in the order it is drawn: the bottom segment writes it reversed so it reads upright.
    static QString drawnText(int kind, const QString &text);
    /// The angle of each character's centre, clockwise along the span at text radius g, centred when the
    /// text fits and starting at the span's far end when it does not.
    static QVector<double> characterAngles(int kind, double g, const QVector<int> &charWidths);

    /// The smallest side a rebuild draws at; below it the arc has no length.
    static constexpr int MinimumSide = 6;

signals:
    void onMouseClick();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void rebuild();
    QPixmap drawSegment(int side, double ringWidth, const QColor &colour) const;
    void showLook(const QPixmap &look);
    const QPixmap &hoverLook();
    const QPixmap &pressedLook();

    int m_kind;
    QString m_text;
    double m_ringWidth = 0;
    /// The ring width the looks of the last rebuild are drawn with.
    double m_builtRingWidth = 0;
    QPixmap m_normal;
    QPixmap m_hover;
    QPixmap m_pressed;
    QColor m_pressedColour = LookKit::accentDeep(200);
    QColor m_normalColour = LookKit::accentDeep(150);
    QColor m_hoverColour = LookKit::accentDeep(180);
};
