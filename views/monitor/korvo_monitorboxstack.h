#pragma once

#include <QList>
#include <QPoint>
#include <QStringList>
#include <QWidget>

class Korvo_BaseMonitorBox;

/// A vertically scrollable stack of history graphs, each half the stack's height, showing those whose bit
/// is set in the selection mask in bit order. Scrolls by the wheel (10 px a notch) and by dragging with the
/// left button on the stack or on any graph. Every graph gets every sample, shown or not, so a graph that is
/// switched on already has its history. The GPU monitor page and the board page each fill one.
class Korvo_MonitorBoxStack : public QWidget
{
    Q_OBJECT

public:
    static constexpr int WheelStep = 10;

    Korvo_MonitorBoxStack(int graphCount, int initialMask, QWidget *parent = nullptr);

    int graphCount() const { return m_graphs.size(); }
    Korvo_BaseMonitorBox *graph(int i) const { return m_graphs.value(i); }
    int selectionMask() const { return m_mask; }
    /// Shows the graphs of the set bits (bits without a graph are ignored) and scrolls back to the top.
    void setSelectionMask(int mask);
    int scrollOffset() const { return m_offset; }
    int contentHeight() const { return m_contentHeight; }
    /// Moves the view by a step (positive: further down), kept within the content.
    void scrollBy(int step);

protected:
    /// Titles for graphs 0, 1, ... in order.
    void setGraphTitles(const QStringList &titles);
    /// Feeds graph i one sample: its axis range, the value and the three header texts.
    void feed(int i, int rangeBottom, int rangeTop, int current, const QString &currentText,
        const QString &minText, const QString &maxText);

    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void layoutGraphs();
    bool dragPress(QPoint stackPos, Qt::MouseButton button);
    bool dragMove(QPoint stackPos, Qt::MouseButtons buttons);

    QList<Korvo_BaseMonitorBox *> m_graphs;
    int m_mask = 0;
    int m_offset = 0;
    int m_contentHeight = 0;
    QPoint m_dragPos;
};
