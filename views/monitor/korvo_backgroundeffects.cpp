#include "korvo_backgroundeffects.h"

#include <QBitmap>
#include <QPainter>
#include <QTimer>

Korvo_BackgroundEffects::Korvo_BackgroundEffects(QWidget *parent)
    : Korvo_BackgroundEffects(Timing(), parent)
{
}

Korvo_BackgroundEffects::Korvo_BackgroundEffects(const Timing &timing, QWidget *parent)
    : QWidget(parent)
    , m_centreLogo(QStringLiteral(":images/images/centerLogo.png"))
    , m_emblem(QStringLiteral(":images/images/logo.png"))
{
    // The mask image gives the strip its size and shape, and is not painted: only its outline is kept.
    const QPixmap mask(QStringLiteral(":images/images/maskBKImage.png"));
    m_maskSize = mask.size();
    const int maskWidth = m_maskSize.width();
    const int maskHeight = m_maskSize.height();
    const int emblemWidth = m_emblem.width();
    m_aStartX = -emblemWidth / 2;
    m_aEndX = -emblemWidth;
    m_bStartX = maskWidth - emblemWidth / 2;
    m_bEndX = maskWidth / 2 - emblemWidth / 2 + 10;
    const int y = (maskHeight - m_emblem.height()) / 2;
    m_aPos = QPoint(m_aStartX, y);
    m_bPos = QPoint(m_bStartX, y);

    if (!mask.isNull()) {
        resize(m_maskSize);
        setMask(mask.mask());
    }
    m_moveTimer = new QTimer(this);
    m_moveTimer->setInterval(timing.moveIntervalMs);
    connect(m_moveTimer, &QTimer::timeout, this, &Korvo_BackgroundEffects::onMoveTimerTimeout);
    m_delayTimer = new QTimer(this);
    m_delayTimer->setInterval(timing.vanishDelayMs);
    connect(m_delayTimer, &QTimer::timeout, this, &Korvo_BackgroundEffects::onDelayTimerTimeout);
}

bool Korvo_BackgroundEffects::isMoving() const
{
    return m_moveTimer->isActive();
}

bool Korvo_BackgroundEffects::isDelayRunning() const
{
    return m_delayTimer->isActive();
}

int Korvo_BackgroundEffects::vanishDelayMs() const
{
    return m_delayTimer->interval();
}

void Korvo_BackgroundEffects::startEffect(bool in)
{
    m_slideIn = in;
    m_moveTimer->start();
}

void Korvo_BackgroundEffects::onMoveTimerTimeout()
{
    if (m_slideIn) {
        m_aPos.setX(qMax(m_aEndX, m_aPos.x() - StepPx));
        m_bPos.setX(qMax(m_bEndX, m_bPos.x() - StepPx));
        if (m_aPos.x() == m_aEndX && m_bPos.x() == m_bEndX) {
            m_moveTimer->stop();
            m_delayTimer->start();
        }
    } else {
        m_bHidden = false;
        m_delayTimer->stop();
        m_bPos.setX(qMin(m_bStartX, m_bPos.x() + StepPx));
        // A follows one mask width to the left of B.
        m_aPos.setX(m_bPos.x() - m_maskSize.width());
        if (m_bPos.x() == m_bStartX)
            m_moveTimer->stop();
    }
    update();
}

void Korvo_BackgroundEffects::onDelayTimerTimeout()
{
    m_bHidden = true;
    update();
    m_delayTimer->stop();
}

void Korvo_BackgroundEffects::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_delayTimer->isActive()) {
        m_delayTimer->start();
        return;
    }
    if (m_bHidden) {
        m_bHidden = false;
        update();
        m_delayTimer->start();
    }
}

void Korvo_BackgroundEffects::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    painter.drawPixmap(m_aPos, m_emblem);
    if (!m_bHidden)
        painter.drawPixmap(m_bPos, m_emblem);
    painter.drawPixmap(
        (m_maskSize.width() - m_centreLogo.width()) / 2 + 10, m_maskSize.height() / 30, m_centreLogo);
}
