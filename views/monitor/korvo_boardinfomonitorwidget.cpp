#include "korvo_boardinfomonitorwidget.h"

#include "monitorquantities.h"

Korvo_BoardInfoMonitorWidget::Korvo_BoardInfoMonitorWidget(QWidget *parent)
    : Korvo_MonitorBoxStack(MonitorQuantities::BoardCount, 0, parent)
{
    setLanguageTexts(Lang_BoardTemp());
}

void Korvo_BoardInfoMonitorWidget::setLanguageTexts(Lang_BoardTemp texts)
{
    m_texts = texts;
    setGraphTitles(texts.texts().mid(1));
}

void Korvo_BoardInfoMonitorWidget::receiveBoardTempCompleteInfo(BoardTempCompleteInfo boardTempCompleteInfo)
{
    m_record = boardTempCompleteInfo;
    for (int i = 0; i < graphCount(); ++i) {
        const MonitorValue &value = MonitorQuantities::board(m_record, i);
        feed(i, value.rangeBottom, value.rangeTop, value.current, QString::number(value.current),
            QString::number(value.minimum), QString::number(value.maximum));
    }
    update();
}
