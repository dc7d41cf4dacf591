#pragma once

#include <QObject>
#include <QPoint>

class QTimer;
class QWidget;

/// The circle area's slide: left beside an opened page, back home when every page closes, one step of
/// StepPx every StepIntervalMs.
class CircleSlide : public QObject
{
    Q_OBJECT

public:
    static constexpr int StepIntervalMs = 15;
    static constexpr int StepPx = 10;

    CircleSlide(QWidget *circle, QObject *parent = nullptr);

    /// The two places, from the window's layout; the circle goes home at once.
    void setPlaces(QPoint home, int leftX);
    void slideLeft();
    void slideHome();
    bool isMoving() const;
    /// One step; the timer calls it, and a test may too.
    void step();

signals:
    /// The circle has reached its left place: the page may roll in.
    void arrivedLeft();

private:
    QWidget *m_circle;
    QTimer *m_timer;
    QPoint m_home;
    int m_leftX = 0;
    int m_x = 0;
    bool m_movingLeft = false;
};
