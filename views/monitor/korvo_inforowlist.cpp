#include "korvo_inforowlist.h"

#include "korvo_baseinforow.h"

#include <QPainter>

Korvo_InfoRowList::Korvo_InfoRowList(int rowCount, QWidget *parent)
    : QWidget(parent)
{
    for (int i = 0; i < rowCount; ++i) {
        auto *row = new Korvo_BaseInfoRow(this);
        row->setObjectName(QStringLiteral("row%1").arg(i));
        connect(row, &Korvo_BaseInfoRow::onChecked, this, &Korvo_InfoRowList::onChecked);
        m_rows.append(row);
    }
}

int Korvo_InfoRowList::selectionMask() const
{
    int mask = 0;
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_rows.at(i)->isChecked())
            mask |= 1 << i;
    }
    return mask;
}

void Korvo_InfoRowList::setSelection(int mask)
{
    for (int i = 0; i < m_rows.size(); ++i)
        m_rows.at(i)->setChecked((mask >> i) & 1);
}

void Korvo_InfoRowList::onChecked(bool bChecked)
{
    Q_UNUSED(bChecked);
    emit isHaveChecked(selectionMask() != 0);
}

void Korvo_InfoRowList::setRowTitles(const QStringList &titles)
{
    for (int i = 0; i < m_rows.size() && i < titles.size(); ++i)
        m_rows.at(i)->setText(titles.at(i));
}

void Korvo_InfoRowList::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int margin = width() / 20;
    const int rowHeight = height() / Slots;
    for (int i = 0; i < m_rows.size(); ++i)
        m_rows.at(i)->setGeometry(margin, i * rowHeight, width() - 2 * margin, rowHeight);
    m_background = QImage(); // drawn when next painted: a hidden page holds no pixels
}

void Korvo_InfoRowList::drawBackground()
{
    m_background = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    m_background.fill(Qt::transparent);
    QPainter painter(&m_background);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen line(QColor(255, 0, 0, 255));
    line.setWidthF(1.5);
    painter.setPen(line);
    const int rowHeight = height() / Slots;
    for (int i = 1; i < Slots; ++i)
        painter.drawLine(QPointF(0, i * rowHeight), QPointF(width(), i * rowHeight));
}

void Korvo_InfoRowList::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    if (m_background.isNull())
        drawBackground();
    painter.drawImage(0, 0, m_background);
}
