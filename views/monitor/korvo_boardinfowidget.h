#pragma once

#include "gpurecords.h"
#include "korvo_inforowlist.h"
#include "lang_boardtemp.h"

/// The board page's list face: four check rows, one per board sensor, with current, highest and lowest
/// temperature. The rows keep the sixth-height slots of the GPU list, so two slots stay empty.
class Korvo_BoardInfoWidget : public Korvo_InfoRowList
{
    Q_OBJECT

public:
    explicit Korvo_BoardInfoWidget(QWidget *parent = nullptr);

    void setLanguageTexts(Lang_BoardTemp texts);
    BoardTempCompleteInfo lastRecord() const { return m_record; }

public slots:
    void receiveBoardTempCompleteInfo(BoardTempCompleteInfo boardTempCompleteInfo);

private:
    BoardTempCompleteInfo m_record;
    Lang_BoardTemp m_texts;
};
