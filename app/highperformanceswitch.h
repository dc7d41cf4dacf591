#pragma once

#include "languagetype.h"

#include <QObject>
#include <QPointer>

class ConfigStore;
class Korvo_OverClockingWidget;
class QPushButton;
class QWidget;

/// The high-performance switch beside the page buttons. It is shown for a card that has the preset and is
/// checked while the shown card's overclocking page runs it; a click switches that page's mode. It also
/// owns the one-time hint that points at it.
class HighPerformanceSwitch : public QObject
{
    Q_OBJECT

public:
    /// The store keeps the hint's "do not show again"; the window is the hint's parent.
    HighPerformanceSwitch(QPushButton *button, ConfigStore &store, QWidget *window);

    /// Follows the shown card: whether it qualifies for the preset, and its overclocking page (may be null).
    /// The switch takes clicks once the page's start-up talk with the card has run.
    void showCard(bool qualifies, Korvo_OverClockingWidget *page);
    /// A card's page changing its mode moves the switch only while that card is shown.
    void watch(Korvo_OverClockingWidget *page);
    /// The hint, once per run, for a card that qualifies and does not run the preset, unless the user said
    /// not to show it again. While the shown card's page still waits for the card (a stored preset may yet
    /// switch the mode on), the hint waits with it.
    void prompt(const QString &hint, LanguageType language);

private:
    void onClicked(bool checked);

    QPushButton *m_button;
    ConfigStore &m_store;
    QWidget *m_window;
    QPointer<Korvo_OverClockingWidget> m_page;
    bool m_qualifies = false;
    bool m_promptPending = true;
    bool m_promptWaits = false;
    QString m_waitingHint;
    LanguageType m_waitingLanguage = Chinese;
};
