#pragma once

#include "languagetype.h"

#include <QImage>
#include <QString>
#include <QWidget>

class Korvo_InfoRowList;
class Korvo_MonitorBoxStack;
class QCheckBox;

/// A monitoring page with two faces in one area, the check rows and the graphs of the checked rows, under
/// a notched title band whose top-right check box switches between them. The box is there only while a
/// row is checked. The GPU monitor page and the board page are both one.
class Korvo_TwoFacePage : public QWidget
{
    Q_OBJECT

public:
    QCheckBox *topRightCheckBox() const { return m_ckbTopRight; }
    /// The row list's mask, which the window stores.
    int selectionMask() const;
    QImage backgroundImage()
    {
        if (m_background.isNull())
            drawBackground();
        return m_background;
    }
    QString title() const { return m_title; }
    LanguageType language() const { return m_language; }
    /// Height of the title band for a page of this height.
    static int bandHeight(int height) { return height / 10; }

public slots:
    void onTopRightCheckBoxClicked(bool bChecked);
    void isHaveChecked(bool bHave);

protected:
    explicit Korvo_TwoFacePage(QWidget *parent = nullptr);

    /// Takes the two faces (children of this page), shows the rows and hides the graphs, checks the rows of
    /// the initial mask and shows the top-right box iff a row is checked.
    void setFaces(Korvo_InfoRowList *rows, Korvo_MonitorBoxStack *graphs, int initialMask);
    /// The title and language of the band; redraws it.
    void setTitle(const QString &title, LanguageType language);

    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void drawBackground();

    QCheckBox *m_ckbTopRight = nullptr;
    Korvo_InfoRowList *m_rows = nullptr;
    Korvo_MonitorBoxStack *m_graphs = nullptr;
    QString m_title;
    LanguageType m_language = Chinese;
    QImage m_background;
};
