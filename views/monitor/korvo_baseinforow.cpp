#include "korvo_baseinforow.h"

#include <QCheckBox>
#include <QPainter>

Korvo_BaseInfoRow::Korvo_BaseInfoRow(QWidget *parent)
    : QWidget(parent)
    , m_checkBox(new QCheckBox(this))
{
    m_checkBox->setObjectName(QStringLiteral("ckb_Row"));
    m_checkBox->setFocusPolicy(Qt::NoFocus);
    connect(m_checkBox, &QCheckBox::toggled, this, &Korvo_BaseInfoRow::toggled);
}

void Korvo_BaseInfoRow::setCheckBoxVisible(bool visible)
{
    m_checkBoxVisible = visible;
    m_checkBox->setVisible(visible);
    update();
}

bool Korvo_BaseInfoRow::isChecked() const
{
    return m_checkBox->isChecked();
}

void Korvo_BaseInfoRow::setChecked(bool checked)
{
    m_checkBox->setChecked(checked);
}

void Korvo_BaseInfoRow::setValues(QString currentValue, QString maxValue, QString minValue)
{
    m_current = currentValue;
    m_max = maxValue;
    m_min = minValue;
    update();
}

void Korvo_BaseInfoRow::setText(QString text)
{
    m_title = text;
    m_checkBox->setText(text);
    update();
}

void Korvo_BaseInfoRow::toggled(bool checked)
{
    emit onChecked(checked);
}

void Korvo_BaseInfoRow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int w = width();
    QFont boxFont = font();
    boxFont.setPixelSize(14);
    m_checkBox->setFont(boxFont);
    m_checkBox->setGeometry(0, 0, w / 12 + w / 3, height());
}

void Korvo_BaseInfoRow::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    const int w = width();
    const int h = height();
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(Qt::white);

    if (!m_checkBoxVisible) {
        QFont titleFont = font();
        titleFont.setPixelSize(12);
        painter.setFont(titleFont);
        painter.drawText(QRect(0, 0, w / 3, h), Qt::AlignLeft | Qt::AlignVCenter, m_title);
    }

    const int x0 = valueAreaX(w);
    const int column = valueAreaWidth(w) / 5;
    const QStringList texts = { m_current, QStringLiteral("MAX:"), m_max, QStringLiteral("MIN:"), m_min };
    painter.setFont(valueFont(column, texts));
    for (int i = 0; i < texts.size(); ++i)
        painter.drawText(QRect(x0 + i * column, 0, column, h), Qt::AlignLeft | Qt::AlignVCenter, texts.at(i));
}

QFont Korvo_BaseInfoRow::valueFont(int columnWidth, const QStringList &texts)
{
    // A five-digit clock or a wide substitute for Arial would otherwise run into the next column.
    constexpr int Gap = 3;
    constexpr int SmallestPx = 7;
    QFont font(QStringLiteral("Arial"));
    int pixelSize = qMax(1, int(columnWidth / 2.4));
    for (;;) {
        font.setPixelSize(pixelSize);
        if (pixelSize <= SmallestPx)
            return font;
        const QFontMetrics metrics(font);
        int widest = 0;
        for (const QString &text : texts)
            widest = qMax(widest, metrics.horizontalAdvance(text));
        if (widest <= columnWidth - Gap)
            return font;
        --pixelSize;
    }
}
