#include "korvo_boardinfowidget.h"

#include "korvo_baseinforow.h"
#include "monitorquantities.h"

Korvo_BoardInfoWidget::Korvo_BoardInfoWidget(QWidget *parent)
    : Korvo_InfoRowList(MonitorQuantities::BoardCount, parent)
{
    setLanguageTexts(Lang_BoardTemp());
}

void Korvo_BoardInfoWidget::setLanguageTexts(Lang_BoardTemp texts)
{
    m_texts = texts;
    setRowTitles(texts.texts().mid(1));
}

void Korvo_BoardInfoWidget::receiveBoardTempCompleteInfo(BoardTempCompleteInfo boardTempCompleteInfo)
{
    m_record = boardTempCompleteInfo;
    for (int i = 0; i < rowCount(); ++i) {
        const MonitorValue &value = MonitorQuantities::board(m_record, i);
        row(i)->setValues(
            QString::number(value.current), QString::number(value.maximum), QString::number(value.minimum));
    }
    update();
}
