#pragma once

#include <QColor>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <deque>

class Korvo_BaseInfoRow;

/// One graph sample: where it is drawn, what it was and when it came.
struct HistoryPoint
{
    int y = 0; ///< pixel row in the box
    double value = 0.0;
    QString time; ///< "hh:mm:ss" of arrival
};

/// A history graph of one quantity: a header row with the current, highest and lowest value over a grid
/// that scrolls one pixel per sample, the area under the curve, the axis range and, under the mouse, the
/// value and time of the sample there. One pixel column per sample, newest at the right edge; the history
/// never outgrows the plot width.
class Korvo_BaseMonitorBox : public QWidget
{
    Q_OBJECT

public:
    static constexpr int LeftMargin = 29;
    static constexpr int TopMargin = 30;
    static constexpr int GridXStep = 20;
    static constexpr int GridYStep = 10;
    static constexpr int AxisLabelWidth = 27;
    static constexpr int AxisFontPx = 11;

    explicit Korvo_BaseMonitorBox(QWidget *parent = nullptr);

    void setValueRange(double min, double max);
    void setTitle(QString title);

    QString title() const { return m_title; }
    double minimum() const { return m_minimum; }
    double maximum() const { return m_maximum; }
    QColor forgroundColor() const { return m_fillColor; }
    QColor gridColor() const { return m_gridColor; }
    int leftMargin() const { return m_leftMargin; }
    int topMargin() const { return m_topMargin; }
    int plotWidth() const { return m_plotWidth; }
    int plotHeight() const { return m_plotHeight; }
    int gridOffset() const { return m_gridOffset; }
    bool isHovering() const { return m_hovering; }
    int historySize() const { return int(m_history.size()); }
    /// Entry i of the history, newest first; i must be below historySize().
    const HistoryPoint &historyAt(int i) const { return m_history[std::size_t(i)]; }
    Korvo_BaseInfoRow *headerRow() const { return m_header; }

    /// The pixel row of a value in the current range and plot. A range without height puts every value on
    /// the plot's bottom line.
    int pixelY(double value) const;
    /// The history index under a window x, or -1 when no sample is drawn there.
    int hoverIndexAt(int x) const;

public slots:
    void addData(double value);
    void setDisplayInfo(QString currentValue, QString minValue, QString maxValue);
    void setForgroundColor(QColor color);
    void setGridColor(QColor color);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void applySize();
    void applyPendingSize();
    void recomputePixelYs();
    void trimToCapacity();
    void paintGrid(QPainter &painter) const;
    void paintData(QPainter &painter) const;
    void paintAxisLabels(QPainter &painter) const;
    void paintHover(QPainter &painter) const;

    // A deque: new samples go in front and old ones leave at the back, both in constant time.
    std::deque<HistoryPoint> m_history;
    double m_maximum = 100.0;
    double m_minimum = 0.0;
    QColor m_fillColor { 150, 0, 0, 150 };
    QColor m_gridColor { 255, 0, 0, 80 };
    QString m_title;
    QPoint m_hoverPoint;
    bool m_hovering = false;
    int m_gridXStep = 0;
    int m_gridYStep = 0;
    int m_gridOffset = 0;
    int m_leftMargin = 0;
    int m_topMargin = 0;
    int m_plotWidth = 1000;
    int m_plotHeight = 0;
    int m_axisLabelWidth = 0;
    int m_axisFontPx = 0;
    int m_horizontalLines = 0;
    int m_verticalLines = 0;
    Korvo_BaseInfoRow *m_header = nullptr;
    /// The size the geometry above was computed for. A hidden box gets its resize event only when shown,
    /// but its samples must already fit the size it has.
    QSize m_appliedSize;
};
