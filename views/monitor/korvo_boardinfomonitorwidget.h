#pragma once

#include "gpurecords.h"
#include "korvo_monitorboxstack.h"
#include "lang_boardtemp.h"

/// The board page's graph face: four history graphs, one per board sensor, against the record's range.
class Korvo_BoardInfoMonitorWidget : public Korvo_MonitorBoxStack
{
    Q_OBJECT

public:
    explicit Korvo_BoardInfoMonitorWidget(QWidget *parent = nullptr);

    void setLanguageTexts(Lang_BoardTemp texts);
    BoardTempCompleteInfo lastRecord() const { return m_record; }

public slots:
    void receiveBoardTempCompleteInfo(BoardTempCompleteInfo boardTempCompleteInfo);

private:
    BoardTempCompleteInfo m_record;
    Lang_BoardTemp m_texts;
};
