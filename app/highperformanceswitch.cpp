#include "highperformanceswitch.h"

#include "configstore.h"
#include "korvo_messagebox1.h"
#include "korvo_overclockingwidget.h"

#include <QPushButton>

HighPerformanceSwitch::HighPerformanceSwitch(QPushButton *button, ConfigStore &store, QWidget *window)
    : QObject(window)
    , m_button(button)
    , m_store(store)
    , m_window(window)
{
    connect(m_button, &QPushButton::clicked, this, &HighPerformanceSwitch::onClicked);
}

void HighPerformanceSwitch::showCard(bool qualifies, Korvo_OverClockingWidget *page)
{
    m_qualifies = qualifies;
    m_page = page;
    m_button->setVisible(qualifies);
    // Without the page the preset cannot be on.
    if (qualifies)
        m_button->setChecked(m_page && m_page->isHighPerformanceMode());
    m_button->setEnabled(!m_page || m_page->isCardStateReady());
}

void HighPerformanceSwitch::watch(Korvo_OverClockingWidget *page)
{
    connect(page, &Korvo_OverClockingWidget::highPerformanceModeChanged, this, [this, page](bool on) {
        if (m_page == page)
            m_button->setChecked(on);
    });
    // Queued: the page signals from its card's start-up sequence, which a modal hint must not hold up.
    connect(
        page, &Korvo_OverClockingWidget::cardStateReady, this,
        [this, page] {
            if (m_page != page)
                return;
            m_button->setEnabled(true);
            if (m_promptWaits) {
                m_promptWaits = false;
                prompt(m_waitingHint, m_waitingLanguage);
            }
        },
        Qt::QueuedConnection);
}

void HighPerformanceSwitch::onClicked(bool checked)
{
    // Without the overclocking page there is no mode to switch: the click must not leave the switch lying.
    // Nor while the page is still busy with its start-up writes.
    if (!m_page || !m_page->isCardStateReady()) {
        m_button->setChecked(!checked);
        return;
    }
    if (checked != m_page->isHighPerformanceMode())
        m_page->setHighPerformanceMode(checked);
    m_button->setChecked(m_page->isHighPerformanceMode());
}

void HighPerformanceSwitch::prompt(const QString &hint, LanguageType language)
{
    if (!m_promptPending || !m_qualifies)
        return;
    if (m_page && !m_page->isCardStateReady()) {
        m_promptWaits = true;
        m_waitingHint = hint;
        m_waitingLanguage = language;
        return;
    }
    m_promptPending = false;
    bool doNotPrompt = false;
    m_store.getNotPromptHPS(doNotPrompt);
    if (m_button->isChecked() || doNotPrompt)
        return;
    Korvo_MessageBox1 box(MsgBoxDontShowAgain, QString(), hint, language, m_window,
        Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    box.setYOffset(-20);
    if (box.exec() == MsgBoxResultConfirmDontShowAgain)
        m_store.setNotPromptHPS(true);
}
