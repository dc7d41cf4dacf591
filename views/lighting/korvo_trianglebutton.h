#pragma once

#include <QColor>
#include <QLabel>
#include <QPainterPath>
#include <QPixmap>

/// The palette's hue marker: a small rounded triangle just outside the hue ring that points at the centre
/// and is dragged around it. The widget covers the whole palette, but its mask is the marker, so only the
/// marker takes the mouse. Its colour is always the fully saturated colour of its hue.
class Korvo_TriangleButton : public QLabel
{
    Q_OBJECT

public:
    explicit Korvo_TriangleButton(QWidget *parent = nullptr);

    /// Any angle in degrees as a hue 0 to 359 (grey's hue -1 becomes 359).
    static int normalizedHue(double hue);
    /// The hue of a point: 180 minus its angle about the centre, counter-clockwise from 3 o'clock.
    static double hueAt(const QPointF &point, const QPointF &centre);

    QColor markerColor() const { return m_color; }
    double hue() const { return m_hue; }

public slots:
    /// Moves the marker to the colour's hue and announces the marker's (fully saturated) colour.
    void setButtonColor(const QColor &color);
    /// The same, silently.
    void setButtonColorAndDoNotSendColorChangedSignal(const QColor &color);

signals:
    void onColorChanged(const QColor &color);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void buildShape();
    void redraw();
    void drawInto(QPixmap &pixmap, int outlineAlpha) const;
    void moveTo(const QColor &color);

    QPixmap m_normal;
    QPixmap m_hover;
    QPixmap m_pressed;
    QPainterPath m_shape;
    QColor m_color { 255, 100, 255, 255 };
    double m_hue = 0.0;
    bool m_sized = false;
};
