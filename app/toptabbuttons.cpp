#include "toptabbuttons.h"

#include "toptabs.h"

#include <QPainter>
#include <QPushButton>

namespace {

QPushButton *makeTab(QWidget *window, const char *objectName, QSize size)
{
    auto *tab = new QPushButton(window);
    tab->setObjectName(QLatin1String(objectName));
    tab->setCheckable(true);
    tab->setFocusPolicy(Qt::NoFocus);
    tab->resize(size);
    tab->setStyleSheet(
        QStringLiteral("QPushButton{background-color:rgba(0,0,0,0);border:0px solid rgba(0,0,0,0);"
                       "color:rgba(255,255,255,255);}"));
    return tab;
}

} // namespace

TopTabButtons::TopTabButtons(QWidget *window)
    : QObject(window)
    , m_firstOff(QStringLiteral(":/images/images/TopButton/first_off.png"))
    , m_firstOn(QStringLiteral(":/images/images/TopButton/first_on.png"))
    , m_secondOff(QStringLiteral(":/images/images/TopButton/second_off.png"))
    , m_secondOn(QStringLiteral(":/images/images/TopButton/second_on.png"))
    , m_first(makeTab(window, "btnFirstTab", m_firstOff.size()))
    , m_second(makeTab(window, "btnSecondTab", m_secondOff.size()))
{
    for (QPushButton *tab : { m_first, m_second })
        connect(tab, &QPushButton::clicked, this, [this, tab](bool checked) { onClicked(tab, checked); });
}

void TopTabButtons::onClicked(QPushButton *tab, bool checked)
{
    if (tab == m_ledTab)
        emit ledClicked(checked);
    else if (tab == m_lcdTab)
        emit lcdClicked(checked);
}

void TopTabButtons::showCard(bool hasLed, bool hasLcd)
{
    m_ledTab = nullptr;
    m_lcdTab = nullptr;
    const TopTabs tabs = TopTabs::forCard(hasLed, hasLcd);
    const QList<QPair<QPushButton *, TopTabs::Tab>> assignments
        = { { m_first, tabs.first }, { m_second, tabs.second } };
    for (const auto &assignment : assignments) {
        QPushButton *button = assignment.first;
        const TopTabs::Tab &tab = assignment.second;
        button->setVisible(tab.visible);
        if (!tab.visible)
            continue;
        button->setText(tab.text);
        (tab.page == PageLed ? m_ledTab : m_lcdTab) = button;
    }
}

MainWindowLayout TopTabButtons::layoutFor(QSize window) const
{
    return MainWindowLayout::forSize(
        window, m_firstOff.width(), m_firstOn.width(), m_secondOff.width(), m_secondOn.width());
}

void TopTabButtons::place(const MainWindowLayout &layout, const QFont &font)
{
    m_first->move(layout.firstTab);
    m_second->move(layout.secondTab);
    QFont tabFont = font;
    tabFont.setPixelSize(qMax(1, m_first->height() * 3 / 4));
    tabFont.setFamily(QStringLiteral("Space Age"));
    m_first->setFont(tabFont);
    m_second->setFont(tabFont);
}

void TopTabButtons::paint(QPainter &painter, const MainWindowLayout &layout) const
{
    if (m_first->isVisible()) {
        if (m_first->isChecked())
            painter.drawPixmap(MainWindowLayout::FirstTabRight, 0, m_firstOn);
        else
            painter.drawPixmap(layout.firstTab, m_firstOff);
    }
    if (m_second->isVisible()) {
        if (m_second->isChecked())
            painter.drawPixmap(MainWindowLayout::SecondTabRight, 0, m_secondOn);
        else
            painter.drawPixmap(layout.secondTab, m_secondOff);
    }
}
