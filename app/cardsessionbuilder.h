#pragma once

#include "cardsession.h"
#include "settingsrecords.h"

#include <memory>

class ConfigStore;
class LanguageTexts;
class QWidget;

/// Builds one card's session: its controller and sampler, and the card's pages, each from the card's
/// stored record when "apply last settings" is on, wired to the card's own workers, in the program's
/// language, with its texts and its record registered with the session. The window places the widgets and
/// connects what it must hear itself.
class CardSessionBuilder
{
public:
    struct Context
    {
        QWidget *pageParent = nullptr; ///< parent of every widget made for the card
        const ConfigStore *store = nullptr; ///< the stored records, read only
        GeneralSettingRecord general;
        const LanguageTexts *texts = nullptr; ///< the pages' texts; null leaves the pages' own
    };

    /// The session with its widgets made and its sampler running.
    static std::unique_ptr<CardSession> build(const CardIdentity &card, const Context &context);

    /// Switches the gauge's effects from the page-effects setting: "advanced" turns the wave on and the
    /// breathing ring on for a card with a model code; anything else turns both off.
    static void applyPageEffects(CardSession &session, const QString &pageEffects);
};
