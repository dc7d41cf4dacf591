#include "korvo_settingparentwidget.h"

#include "korvo_settingwidget.h"

#include <QBitmap>
#include <QPixmap>
#include <QTimer>

Korvo_SettingParentWidget::Korvo_SettingParentWidget(
    const GeneralSettingRecord &general, const UpdateSettingRecord &update, QWidget *parent)
    : QWidget(parent)
    , m_page(new Korvo_SettingWidget(this))
    , m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("settingParent"));
    // Loaded before the page's signals reach this frame, so loading tells the window nothing.
    m_page->loadSettings(general, update);
    m_timer->setInterval(SlideIntervalMs);
    connect(m_timer, &QTimer::timeout, this, &Korvo_SettingParentWidget::onSettingTimerTimeout);
    const QPixmap shape(QLatin1String(Korvo_SettingWidget::BackgroundImage));
    if (!shape.isNull()) {
        resize(shape.size());
        setMask(shape.mask());
    } else {
        resize(m_page->size());
    }
    // Shut: the page waits outside on the right (the resize event comes only when the frame is first shown).
    m_x = width();
    m_page->move(m_x, m_y);
    connect(
        m_page, &Korvo_SettingWidget::_languageChanged, this, &Korvo_SettingParentWidget::_languageChanged);
    connect(m_page, &Korvo_SettingWidget::_pageEffectChanged, this,
        &Korvo_SettingParentWidget::_pageEffectChanged);
    connect(m_page, &Korvo_SettingWidget::_refreshTimeChanged, this,
        &Korvo_SettingParentWidget::_refreshTimeChanged);
    connect(
        m_page, &Korvo_SettingWidget::dectectUpdate, this, &Korvo_SettingParentWidget::onDetectButtonClick);
}

bool Korvo_SettingParentWidget::isSliding() const
{
    return m_timer->isActive();
}

void Korvo_SettingParentWidget::readSettings(GeneralSettingRecord &general, UpdateSettingRecord &update) const
{
    m_page->readSettings(general, update);
}

void Korvo_SettingParentWidget::setLanguageTexts(const Lang_Settings &texts, LanguageType language)
{
    m_page->setLanguageTexts(texts, language);
}

void Korvo_SettingParentWidget::setShowSettingWidget(bool bShow)
{
    // A call during a slide turns it round from where the page is.
    m_open = bShow;
    m_timer->start();
}

void Korvo_SettingParentWidget::onSettingTimerTimeout()
{
    if (m_open) {
        setVisible(true);
        m_x -= SlideStepPx;
        if (m_x <= 0) {
            m_x = 0;
            m_timer->stop();
        }
    } else {
        m_x += SlideStepPx;
        if (m_x >= width()) {
            m_x = width();
            m_timer->stop();
            hide();
        }
    }
    m_page->move(m_x, m_y);
}

void Korvo_SettingParentWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_x = width();
    m_y = 0;
    m_page->move(m_x, m_y);
}

void Korvo_SettingParentWidget::_languageChanged()
{
    emit languageChanged();
}

void Korvo_SettingParentWidget::_pageEffectChanged()
{
    emit pageEffectChanged();
}

void Korvo_SettingParentWidget::_refreshTimeChanged()
{
    emit refreshTimeChanged();
}

void Korvo_SettingParentWidget::onDetectButtonClick()
{
    emit detectUpdate();
}
