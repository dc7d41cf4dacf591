#include "rollstackwidget.h"

#include <QResizeEvent>
#include <QTimer>

RollStackWidget::RollStackWidget(QWidget *parent)
    : QWidget(parent)
    , m_timer(new QTimer(this))
{
    m_timer->setInterval(StepIntervalMs);
    connect(m_timer, &QTimer::timeout, this, &RollStackWidget::onSettingTimerTimeout);
    m_startX = width() / 3 + width();
}

void RollStackWidget::addPage(QWidget *widget)
{
    if (!widget || m_pages.contains(widget))
        return;
    widget->setParent(this);
    widget->setGeometry(0, 0, width(), height());
    m_pages.append(widget);
    if (m_pages.size() == 1 && m_enabled)
        m_current = widget;
    widget->hide();
}

void RollStackWidget::rollTo(QWidget *widget)
{
    if (!widget || !m_pages.contains(widget) || widget == m_current)
        return;
    if (m_timer->isActive())
        m_timer->stop();
    // A page still on its way out finishes its roll at once, so only two pages ever move.
    if (m_outgoing) {
        m_outgoing->hide();
        if (m_current)
            m_current->move(0, 0);
        m_outgoing = nullptr;
    }
    m_outgoingX = 0;
    m_outgoingY = 0;
    m_incomingX = m_startX;
    m_incomingY = m_startY;
    m_outgoing = m_enabled ? m_current : nullptr;
    m_current = widget;
    widget->move(m_startX, m_startY);
    widget->setVisible(m_enabled);
    if (m_enabled)
        widget->raise();
    m_timer->start();
}

void RollStackWidget::setRollEnabled(bool enabled)
{
    if (!enabled) {
        disableRoll();
        return;
    }
    if (m_current)
        m_current->show();
    m_enabled = true;
}

void RollStackWidget::disableRoll()
{
    if (m_current)
        m_current->hide();
    m_enabled = false;
}

void RollStackWidget::resetRoll()
{
    if (m_current)
        m_current->hide();
    m_current = nullptr;
    m_enabled = false;
}

bool RollStackWidget::isRolling() const
{
    return m_timer->isActive();
}

void RollStackWidget::onSettingTimerTimeout()
{
    if (m_outgoing) {
        m_outgoingX -= StepPx;
        if (m_outgoingX > -width()) {
            m_outgoing->move(m_outgoingX, m_outgoingY);
        } else {
            m_outgoing->hide();
            m_outgoing->move(0, m_outgoingY);
        }
    }
    if (m_current) {
        m_incomingX -= StepPx;
        m_current->move(m_incomingX > 0 ? m_incomingX : 0, m_incomingY);
    }
    if (m_outgoing) {
        if (m_outgoingX <= -width() && m_incomingX <= 0) {
            m_outgoing = nullptr;
            m_timer->stop();
        }
    } else if (m_current) {
        if (m_incomingX <= 0)
            m_timer->stop();
    } else {
        m_timer->stop();
    }
}

void RollStackWidget::resizeEvent(QResizeEvent *event)
{
    m_startX = width() / 3 + width();
    m_startY = 0;
    for (QWidget *page : qAsConst(m_pages))
        page->setGeometry(0, 0, width(), height());
    QWidget::resizeEvent(event);
}
