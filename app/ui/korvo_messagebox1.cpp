#include "korvo_messagebox1.h"

#include <QPainter>

Korvo_MessageBox1::Korvo_MessageBox1(int type, const QString &title, const QString &text,
    LanguageType language, QWidget *parent, Qt::WindowFlags flags)
    : Korvo_MessageBox(type, title, text, language, parent, flags)
{
    m_pixmap.load(QStringLiteral(":/images/images/messageBox/msgbkground.png"));
    if (!m_pixmap.isNull())
        resize(m_pixmap.size());
}

void Korvo_MessageBox1::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_pixmap);
}
