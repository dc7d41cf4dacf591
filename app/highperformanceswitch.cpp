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
}

void HighPerformanceSwitch::watch(Korvo_OverClockingWidget *page)
{
    connect(page, &Korvo_OverClockingWidget::highPerformanceModeChanged, this, [this, page](bool on) {
        if (m_page == page)
            m_button->setChecked(on);
    });
}

void HighPerformanceSwitch::onClicked(bool checked)
{
    // Without the overclocking page there is no mode to switch: the click must not leave the switch lying.
    if (!m_page) {
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
