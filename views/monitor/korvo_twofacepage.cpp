#include "korvo_twofacepage.h"

#include "korvo_inforowlist.h"
#include "korvo_monitorboxstack.h"
#include "lookkit.h"
#include "notchedpanel.h"

#include <QCheckBox>
#include <QPainter>

#include <algorithm>

Korvo_TwoFacePage::Korvo_TwoFacePage(QWidget *parent)
    : QWidget(parent)
    , m_ckbTopRight(new QCheckBox(this))
{
    m_ckbTopRight->setObjectName(QStringLiteral("ckbTopRight"));
    m_ckbTopRight->setChecked(false);
    m_ckbTopRight->setFocusPolicy(Qt::NoFocus);
    connect(m_ckbTopRight, &QCheckBox::clicked, this, &Korvo_TwoFacePage::onTopRightCheckBoxClicked);
}

void Korvo_TwoFacePage::setFaces(Korvo_InfoRowList *rows, Korvo_MonitorBoxStack *graphs, int initialMask)
{
    m_rows = rows;
    m_graphs = graphs;
    m_rows->show();
    m_graphs->hide();
    connect(m_rows, &Korvo_InfoRowList::isHaveChecked, this, &Korvo_TwoFacePage::isHaveChecked);
    m_rows->setSelection(initialMask);
    m_ckbTopRight->setVisible(m_rows->selectionMask() != 0);
}

int Korvo_TwoFacePage::selectionMask() const
{
    return m_rows ? m_rows->selectionMask() : 0;
}

void Korvo_TwoFacePage::onTopRightCheckBoxClicked(bool bChecked)
{
    if (!m_rows || !m_graphs)
        return;
    if (bChecked) {
        m_graphs->setSelectionMask(m_rows->selectionMask());
        m_graphs->show();
        m_rows->hide();
        return;
    }
    m_graphs->hide();
    m_rows->show();
}

void Korvo_TwoFacePage::isHaveChecked(bool bHave)
{
    m_ckbTopRight->setVisible(bHave);
}

void Korvo_TwoFacePage::setTitle(const QString &title, LanguageType language)
{
    m_title = title;
    m_language = language;
    m_background = QImage(); // drawn when next painted: a hidden page holds no pixels
    update();
}

void Korvo_TwoFacePage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int w = width();
    const int h = height();
    const int band = bandHeight(h);
    m_ckbTopRight->setGeometry((w / 10) * 9, 0, w / 10, band);
    if (m_rows)
        m_rows->setGeometry(0, band, w, h - 2 * band);
    if (m_graphs)
        m_graphs->setGeometry(0, band, w, h - 2 * band);
    m_background = QImage(); // drawn when next painted: a hidden page holds no pixels
}

void Korvo_TwoFacePage::drawBackground()
{
    const int w = width();
    const int band = bandHeight(height());
    m_background = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    m_background.fill(Qt::transparent);
    QPainter painter(&m_background);
    NotchedPanel::paint(painter, size(), band);
    NotchedPanel::paintBandLine(painter, size(), band);

    QFont titleFont = font();
    titleFont.setWeight(63);
    titleFont.setPixelSize(std::max(1, std::min(int((w / 3) / 4), int(band / 1.5))));
    titleFont.setFamily(LookKit::fontFamily(m_language));
    painter.setFont(titleFont);
    painter.setPen(Qt::white);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.drawText(QRect(w / 20, 0, w, band), Qt::AlignLeft | Qt::AlignVCenter, m_title);
}

void Korvo_TwoFacePage::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    if (m_background.isNull())
        drawBackground();
    painter.drawImage(0, 0, m_background);
}
