#include "korvo_monitorboxstack.h"

#include "korvo_basemonitorbox.h"

#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>

Korvo_MonitorBoxStack::Korvo_MonitorBoxStack(int graphCount, int initialMask, QWidget *parent)
    : QWidget(parent)
{
    for (int i = 0; i < graphCount; ++i) {
        auto *graph = new Korvo_BaseMonitorBox(this);
        graph->setObjectName(QStringLiteral("graph%1").arg(i));
        graph->installEventFilter(this);
        graph->hide();
        m_graphs.append(graph);
    }
    m_mask = initialMask & ((1 << graphCount) - 1);
}

void Korvo_MonitorBoxStack::setSelectionMask(int mask)
{
    m_mask = mask & ((1 << m_graphs.size()) - 1);
    layoutGraphs();
    update();
}

void Korvo_MonitorBoxStack::setGraphTitles(const QStringList &titles)
{
    for (int i = 0; i < m_graphs.size() && i < titles.size(); ++i)
        m_graphs.at(i)->setTitle(titles.at(i));
}

void Korvo_MonitorBoxStack::feed(int i, int rangeBottom, int rangeTop, int current,
    const QString &currentText, const QString &minText, const QString &maxText)
{
    Korvo_BaseMonitorBox *box = m_graphs.value(i);
    if (!box)
        return;
    box->setValueRange(rangeBottom, rangeTop);
    box->addData(current);
    box->setDisplayInfo(currentText, minText, maxText);
}

void Korvo_MonitorBoxStack::layoutGraphs()
{
    const int margin = width() / 20;
    const int graphWidth = width() - 2 * margin;
    const int graphHeight = height() / 2;
    int placed = 0;
    for (int i = 0; i < m_graphs.size(); ++i) {
        Korvo_BaseMonitorBox *box = m_graphs.at(i);
        if (!((m_mask >> i) & 1)) {
            // Out of sight but of the same size, so that its history already fits when it is switched on.
            box->hide();
            box->setGeometry(margin, 0, graphWidth, graphHeight);
            continue;
        }
        box->setGeometry(margin, placed * graphHeight, graphWidth, graphHeight);
        box->show();
        ++placed;
    }
    m_contentHeight = std::max(placed * graphHeight, height());
    m_offset = 0;
}

void Korvo_MonitorBoxStack::scrollBy(int step)
{
    const int target = std::clamp(m_offset + step, 0, std::max(0, m_contentHeight - height()));
    const int moved = target - m_offset;
    if (moved == 0)
        return;
    m_offset = target;
    for (Korvo_BaseMonitorBox *box : qAsConst(m_graphs))
        box->move(box->x(), box->y() - moved);
}

void Korvo_MonitorBoxStack::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutGraphs();
}

void Korvo_MonitorBoxStack::wheelEvent(QWheelEvent *event)
{
    scrollBy(event->angleDelta().y() > 0 ? -WheelStep : WheelStep);
    event->accept();
}

bool Korvo_MonitorBoxStack::dragPress(QPoint stackPos, Qt::MouseButton button)
{
    if (button != Qt::LeftButton)
        return false;
    m_dragPos = stackPos;
    return true;
}

bool Korvo_MonitorBoxStack::dragMove(QPoint stackPos, Qt::MouseButtons buttons)
{
    if (!(buttons & Qt::LeftButton))
        return false;
    scrollBy(m_dragPos.y() - stackPos.y());
    m_dragPos = stackPos;
    return true;
}

void Korvo_MonitorBoxStack::mousePressEvent(QMouseEvent *event)
{
    if (!dragPress(event->pos(), event->button()))
        QWidget::mousePressEvent(event);
}

void Korvo_MonitorBoxStack::mouseMoveEvent(QMouseEvent *event)
{
    if (!dragMove(event->pos(), event->buttons()))
        QWidget::mouseMoveEvent(event);
}

bool Korvo_MonitorBoxStack::eventFilter(QObject *watched, QEvent *event)
{
    auto *box = qobject_cast<Korvo_BaseMonitorBox *>(watched);
    if (!box || !m_graphs.contains(box))
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonPress) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        return dragPress(box->mapTo(this, mouse->pos()), mouse->button());
    }
    if (event->type() == QEvent::MouseMove) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        return dragMove(box->mapTo(this, mouse->pos()), mouse->buttons());
    }
    return QWidget::eventFilter(watched, event);
}
