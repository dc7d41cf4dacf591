#pragma once

#include <QColor>
#include <QLabel>
#include <QTimer>

class Korvo_ColorButtonGroup;

/// A square colour swatch that can be checked. A single click toggles it (through its group when it has
/// one) 200 ms after the press, so that a double click can be told apart: a double click never toggles.
class Korvo_ColorButton : public QLabel
{
    Q_OBJECT

public:
    static constexpr int ClickDelayMs = 200;

    explicit Korvo_ColorButton(const QColor &color, QWidget *parent = nullptr);

    QColor color() const { return m_color; }
    bool isChecked() const { return m_checked; }
    Korvo_ColorButtonGroup *group() const { return m_group; }
    /// 0 normal, 1 pressed, 2 hovered.
    int look() const { return m_look; }

    /// Used by the group: sets the state it decided, announces it and repaints.
    void applyGroupState(bool checked);
    /// Used by the group when the button joins it.
    void setGroup(Korvo_ColorButtonGroup *group) { m_group = group; }

public slots:
    /// Through the group when there is one, which may refuse.
    void setCheck(bool checked);
    void setColor(const QColor &color);
    /// The single click: toggles and then reports the click, whether or not the state changed.
    void onTimeOut();

signals:
    void onMouseClick(Korvo_ColorButton *button);
    void onMouseDuobleClick(Korvo_ColorButton *button);
    void stateChanged(bool checked);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    int m_look = 0;
    QColor m_color;
    bool m_checked = false;
    QTimer m_clickTimer;
    Korvo_ColorButtonGroup *m_group = nullptr;
};
