#pragma once

#include "gpurecords.h"
#include "korvo_twofacepage.h"
#include "lang_boardtemp.h"
#include "languagetype.h"

class Korvo_BoardInfoMonitorWidget;
class Korvo_BoardInfoWidget;

/// The board page: the card's four board temperature sensors as check rows or as history graphs of the
/// checked rows. It starts with no row checked.
class Korvo_BoardInfoMainWidget : public Korvo_TwoFacePage
{
    Q_OBJECT

public:
    explicit Korvo_BoardInfoMainWidget(QWidget *parent = nullptr);

    void setLanguageTexts(Lang_BoardTemp texts, LanguageType language);
    Korvo_BoardInfoWidget *rowList() const { return m_rowList; }
    Korvo_BoardInfoMonitorWidget *graphStack() const { return m_graphStack; }

public slots:
    void recvBoardTempCompleteInfo(BoardTempCompleteInfo boardTempCompleteInfo);

private:
    Korvo_BoardInfoWidget *m_rowList = nullptr;
    Korvo_BoardInfoMonitorWidget *m_graphStack = nullptr;
    Lang_BoardTemp m_texts;
};
