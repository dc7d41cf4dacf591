#include "korvo_rgbbox.h"

#include "modifyspinbox.h"

#include <QPainter>

Korvo_rgbBox::Korvo_rgbBox(QWidget *parent)
    : QWidget(parent)
    , m_red(makeBox())
    , m_green(makeBox())
    , m_blue(makeBox())
{
    setStyleSheet(QStringLiteral("ModifySpinBox{font-size:13px;}"));
}

ModifySpinBox *Korvo_rgbBox::makeBox()
{
    auto *box = new ModifySpinBox(this);
    box->setButtonSymbols(QAbstractSpinBox::NoButtons);
    box->setRange(0, 255);
    connect(box, &QAbstractSpinBox::editingFinished, this, &Korvo_rgbBox::rgbValueChanged);
    return box;
}

QColor Korvo_rgbBox::color() const
{
    return QColor(m_red->value(), m_green->value(), m_blue->value(), 255);
}

void Korvo_rgbBox::setColor(const QColor &color)
{
    // Setting a value does not emit editingFinished, so this does not come back as a change.
    m_red->setValue(color.red());
    m_green->setValue(color.green());
    m_blue->setValue(color.blue());
}

void Korvo_rgbBox::rgbValueChanged()
{
    emit colorChanged(color());
}

void Korvo_rgbBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont captionFont(QStringLiteral("Tervan_KuHei"));
    captionFont.setPixelSize(qMax(1, height()));
    painter.setFont(captionFont);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(0, 0, LabelShare * width(), height()), Qt::AlignRight | Qt::AlignVCenter,
        QStringLiteral("RGB"));
}

void Korvo_rgbBox::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    int x = static_cast<int>(LabelShare * width() + 2);
    const int d = static_cast<int>((1 - LabelShare) * width() / 3.5);
    for (ModifySpinBox *box : { m_red, m_green, m_blue }) {
        box->setGeometry(x, height() / 3, d - 2, height() / 2);
        x += d;
    }
}
