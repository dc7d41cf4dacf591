#pragma once

#include "mainwindowlayout.h"

#include <QObject>
#include <QPixmap>

class QFont;
class QPainter;
class QPushButton;
class QWidget;

/// The two tabs along the window's top edge: transparent buttons over the images the window paints for them,
/// labelled for the shown card as TopTabs says, each opening the LED or the LCD page.
class TopTabButtons : public QObject
{
    Q_OBJECT

public:
    explicit TopTabButtons(QWidget *window);

    QPushButton *first() const { return m_first; }
    QPushButton *second() const { return m_second; }
    /// The tab labelled "LED" and the one labelled "LCD" for the shown card; null where the card has none.
    QPushButton *ledTab() const { return m_ledTab; }
    QPushButton *lcdTab() const { return m_lcdTab; }

    /// Labels and shows the tabs for a card.
    void showCard(bool hasLed, bool hasLcd);
    /// The window's layout for its size; the tabs' places depend on their images.
    MainWindowLayout layoutFor(QSize window) const;
    void place(const MainWindowLayout &layout, const QFont &font);
    /// Each visible tab's image, "on" while it is checked.
    void paint(QPainter &painter, const MainWindowLayout &layout) const;

signals:
    void ledClicked(bool checked);
    void lcdClicked(bool checked);

private:
    void onClicked(QPushButton *tab, bool checked);

    QPixmap m_firstOff;
    QPixmap m_firstOn;
    QPixmap m_secondOff;
    QPixmap m_secondOn;
    QPushButton *m_first;
    QPushButton *m_second;
    QPushButton *m_ledTab = nullptr;
    QPushButton *m_lcdTab = nullptr;
};
