#pragma once

#include <QPixmap>
#include <QSlider>

/// The painted horizontal slider of a tuning row: an empty track, a striped fill up to the value and a
/// white handle that shows only under the mouse.
class Korvo_OverClockingSlider : public QSlider
{
    Q_OBJECT

public:
    static constexpr int HandleWidth = 8;

    explicit Korvo_OverClockingSlider(QWidget *parent = nullptr);

    bool isHovered() const { return m_hovered; }
    bool isPressed() const { return m_pressed; }

    /// Share of the range the value stands at, 0..1; 0 for a range of a single value.
    static double fillShare(int value, int minimum, int maximum);

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QPixmap m_track;
    QPixmap m_fill;
    QPixmap m_disabled;
    bool m_hovered = false;
    bool m_pressed = false;
};
