#pragma once

#include <QList>
#include <QPoint>
#include <QWidget>

/// The graph on which the user draws the fan curve: fan speed in percent over GPU temperature in degrees,
/// from (0, 0) to (100, 100) and never falling. Inner points are dragged, added by a double click between two
/// points and removed by a double click on them.
class Korvo_UserDefineFanSpeed : public QWidget
{
    Q_OBJECT

public:
    static constexpr int MaxPoints = 11;
    static constexpr int HitRadius = 3;

    explicit Korvo_UserDefineFanSpeed(QWidget *parent = nullptr);

    /// (0, 0), (30, 20), (50, 50), (80, 90), (100, 100).
    static QList<QPoint> defaultPoints();

    /// Loads a curve; one that does not run from (0, 0) to (100, 100) loads the defaults.
    void setPoints(const QList<QPoint> &points);
    QList<QPoint> points() const { return m_values; }
    void resetToDefault();

    /// The pixel curve, same order as points().
    QList<QPoint> pixelPoints() const { return m_pixels; }
    QRect plotRect() const { return QRect(m_left, m_top, m_plotWidth, m_plotHeight); }
    QPoint valueToPixel(const QPoint &value) const;
    QPoint pixelToValue(const QPoint &pixel) const;
    int draggedIndex() const { return m_dragged; }
    int hoveredIndex() const { return m_hovered; }

signals:
    /// The user changed the curve (a drag step, an insert, a delete).
    void pointChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    bool hasPlot() const { return m_plotWidth > 0 && m_plotHeight > 0; }
    int pointAt(const QPoint &pos, bool innerOnly) const;
    QPoint clampToPlot(const QPoint &pos) const;
    void rebuildPixels();
    void dragTo(const QPoint &pos);
    void insertAt(const QPoint &pos);

    QList<QPoint> m_values;
    QList<QPoint> m_pixels;
    int m_left = 0;
    int m_top = 0;
    int m_plotWidth = 100;
    int m_plotHeight = 100;
    int m_gridX = 10;
    int m_gridY = 10;
    int m_dragged = -1;
    int m_hovered = -1;
};
