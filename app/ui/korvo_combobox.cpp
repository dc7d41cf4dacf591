#include "korvo_combobox.h"

#include "lookkit.h"

#include "nofocusframedelegate.h"

#include <QListView>
#include <QPainter>

namespace {

// combobox-popup:0 keeps the list a plain list in every style: styles that show it as a menu (Fusion, the
// usual one on Linux) would otherwise paint an opaque menu panel behind the transparent list.
const char *const StyleSheet
    = "QComboBox{background:transparent;border:none;combobox-popup:0;}"
      "QListView{color:white;background:transparent;border:1px solid %1;outline:none;}"
      "QListView::item{background:transparent;}"
      "QListView::item:selected:active{background:transparent;color:%2;}"
      "QListView::item:selected{color:white;}";

} // namespace

Korvo_ComboBox::Korvo_ComboBox(QWidget *parent)
    : QComboBox(parent)
{
    setStyleSheet(QString::fromLatin1(StyleSheet)
                      .arg(LookKit::css(LookKit::accent()), LookKit::css(LookKit::accentDeep())));

    m_listView = new QListView(this);
    m_listView->setItemDelegate(new NoFocusFrameDelegate(m_listView));
    setView(m_listView);

    // The list is a window of its own; without these its transparent background would show black.
    QWidget *popup = m_listView->window();
    popup->setWindowFlags(popup->windowFlags() | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    popup->setAttribute(Qt::WA_TranslucentBackground);

    QFont comboFont = font();
    comboFont.setFamily(QStringLiteral("Space Age"));
    setFont(comboFont);
}

void Korvo_ComboBox::showPopup()
{
    if (count() <= 1)
        return;
    QComboBox::showPopup();
    m_popupOpen = true;
    update();
}

void Korvo_ComboBox::hidePopup()
{
    QComboBox::hidePopup();
    m_popupOpen = false;
    update();
}

void Korvo_ComboBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_popupOpen)
        painter.fillRect(rect(), QColor(255, 255, 255, 0));

    const QString current = currentText();
    const bool fits = fontMetrics().horizontalAdvance(current) <= width();
    const Qt::Alignment horizontal = fits ? Qt::AlignHCenter : Qt::AlignLeft;
    painter.setPen(Qt::white);
    painter.setFont(font());
    painter.drawText(rect(), horizontal | Qt::AlignVCenter, current);
}

void Korvo_ComboBox::resizeEvent(QResizeEvent *event)
{
    QComboBox::resizeEvent(event);
    m_listView->setMinimumHeight(height());

    QFont sized = font();
    sized.setPixelSize(height() / 5 * 3);
    setFont(sized);
    m_listView->setFont(sized);
}
