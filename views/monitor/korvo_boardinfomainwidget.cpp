#include "korvo_boardinfomainwidget.h"

#include "korvo_boardinfomonitorwidget.h"
#include "korvo_boardinfowidget.h"

Korvo_BoardInfoMainWidget::Korvo_BoardInfoMainWidget(QWidget *parent)
    : Korvo_TwoFacePage(parent)
    , m_rowList(new Korvo_BoardInfoWidget(this))
    , m_graphStack(new Korvo_BoardInfoMonitorWidget(this))
{
    m_rowList->setObjectName(QStringLiteral("boardInfoWidget"));
    m_graphStack->setObjectName(QStringLiteral("boardInfoMonitorWidget"));
    setFaces(m_rowList, m_graphStack, 0);
    setTitle(m_texts.boardTemp, Chinese);
}

void Korvo_BoardInfoMainWidget::setLanguageTexts(Lang_BoardTemp texts, LanguageType language)
{
    m_texts = texts;
    m_rowList->setLanguageTexts(texts);
    m_graphStack->setLanguageTexts(texts);
    setTitle(texts.boardTemp, language);
}

void Korvo_BoardInfoMainWidget::recvBoardTempCompleteInfo(BoardTempCompleteInfo boardTempCompleteInfo)
{
    m_rowList->receiveBoardTempCompleteInfo(boardTempCompleteInfo);
    m_graphStack->receiveBoardTempCompleteInfo(boardTempCompleteInfo);
}
