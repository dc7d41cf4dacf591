#include "circleslide.h"

#include <QTimer>
#include <QWidget>

CircleSlide::CircleSlide(QWidget *circle, QObject *parent)
    : QObject(parent)
    , m_circle(circle)
    , m_timer(new QTimer(this))
{
    m_timer->setInterval(StepIntervalMs);
    connect(m_timer, &QTimer::timeout, this, &CircleSlide::step);
}

void CircleSlide::setPlaces(QPoint home, int leftX)
{
    m_home = home;
    m_leftX = leftX;
    m_x = home.x();
    m_circle->move(home);
}

void CircleSlide::slideLeft()
{
    m_movingLeft = true;
    m_timer->start();
}

void CircleSlide::slideHome()
{
    m_movingLeft = false;
    m_timer->start();
}

bool CircleSlide::isMoving() const
{
    return m_timer->isActive();
}

void CircleSlide::step()
{
    m_x = m_movingLeft ? qMax(m_x - StepPx, m_leftX) : qMin(m_x + StepPx, m_home.x());
    const bool arrived = m_x == (m_movingLeft ? m_leftX : m_home.x());
    if (arrived)
        m_timer->stop();
    m_circle->move(m_x, m_home.y());
    if (arrived && m_movingLeft)
        emit arrivedLeft();
}
