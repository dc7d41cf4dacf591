#pragma once

#include "cardidentity.h"
#include "cardpageset.h"

#include <QObject>
#include <QPointer>
#include <QThread>

#include <functional>
#include <memory>
#include <vector>

class CardCommandSequence;
class ConfigStore;
class GpuController;
class Korvo_SendColorToLed;
class Korvo_SendNvCardInfoThread;
class Korvo_SendNvInfoToLCDThread;
class Korvo_SetUserDefineFanSpeedThread;
class Korvo_WorkerThread;
class LanguageTexts;
class QWidget;

/// Everything that belongs to one card: its controller, its sampler, every thread a page of the card runs,
/// the card's widgets, and what each page does when the language changes and when the program closes. Pages
/// get non-owning pointers to the controller and the workers; the session outlives them all. Destruction
/// stops every thread first, then deletes the card's widgets while the controller still exists (a page may
/// talk to the card as it goes), then the threads' objects, and frees the controller last.
class CardSession : public QObject
{
    Q_OBJECT

public:
    /// Makes the card's own controller with the card selected, and its sampler (not started yet).
    explicit CardSession(const CardIdentity &card, QObject *parent = nullptr);
    ~CardSession() override;

    CardSession(const CardSession &) = delete;
    CardSession &operator=(const CardSession &) = delete;

    const CardIdentity &identity() const { return m_identity; }
    GpuController *controller() const { return m_controller.get(); }
    Korvo_SendNvCardInfoThread *sampler() const { return m_sampler.get(); }
    /// The card's start-up commands: the pages queue theirs as they are made, in the order they are made,
    /// and the window starts them once it is on screen.
    CardCommandSequence *startUp() const { return m_startUp.get(); }

    /// The workers a page may run, made on first use and kept until the session ends. None of them is
    /// started here: the page that uses one starts and stops it.
    Korvo_SendNvInfoToLCDThread *lcdFeeder();
    Korvo_SendColorToLed *ledSender();
    Korvo_SetUserDefineFanSpeedThread *fanCurveThread();

    /// Takes over any other thread a widget of the card runs (an animation thread, say). Its destructor
    /// must stop it and wait for it; the session destroys it before everything else.
    template <class Thread> Thread *adoptThread(std::unique_ptr<Thread> thread)
    {
        Thread *raw = thread.get();
        m_otherThreads.push_back(std::move(thread));
        return raw;
    }

    /// Takes over a widget of the card: the session deletes it, unless it has gone already, after the
    /// card's threads have stopped and while the controller still exists.
    void adoptWidget(QWidget *widget);

    /// The card's pages by type, for the window to place and navigate; the builder fills it.
    CardPageSet &pages() { return m_pages; }
    const CardPageSet &pages() const { return m_pages; }

    /// What a page does with the program's texts and with the stored records at close. The builder
    /// registers both with each page it makes, so that the window hands the language and the store to the
    /// session and knows no page's type. A hook of a page that has gone is skipped.
    template <class Page>
    void onLanguage(Page *page, std::function<void(Page &, const LanguageTexts &)> apply)
    {
        m_languageHooks.push_back([guarded = QPointer<Page>(page), apply](const LanguageTexts &texts) {
            if (guarded)
                apply(*guarded, texts);
        });
    }
    template <class Page> void onStore(Page *page, std::function<void(const Page &, ConfigStore &)> store)
    {
        m_storeHooks.push_back([guarded = QPointer<Page>(page), store](ConfigStore &into) {
            if (guarded)
                store(*guarded, into);
        });
    }
    /// Gives every page of the card its texts, in the order the pages were made.
    void applyLanguage(const LanguageTexts &texts) const;
    /// Hands every page's record to the store under the card's name (written when the store saves).
    void storeRecords(ConfigStore &store) const;

    /// Stops every worker of the card and waits for each (bounded, as the workers' stop is). Safe to call
    /// more than once; the destructor calls it.
    void stopThreads();

private:
    QList<Korvo_WorkerThread *> workers() const;

    CardIdentity m_identity;
    // Declared first so that it is destroyed last, after every user of it.
    std::unique_ptr<GpuController> m_controller;
    std::unique_ptr<Korvo_SendNvCardInfoThread> m_sampler;
    std::unique_ptr<CardCommandSequence> m_startUp;
    std::unique_ptr<Korvo_SendNvInfoToLCDThread> m_lcdFeeder;
    std::unique_ptr<Korvo_SendColorToLed> m_ledSender;
    std::unique_ptr<Korvo_SetUserDefineFanSpeedThread> m_fanCurveThread;
    std::vector<std::unique_ptr<QThread>> m_otherThreads;
    QList<QPointer<QWidget>> m_widgets;
    CardPageSet m_pages;
    std::vector<std::function<void(const LanguageTexts &)>> m_languageHooks;
    std::vector<std::function<void(ConfigStore &)>> m_storeHooks;
};
