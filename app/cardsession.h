#pragma once

#include "cardidentity.h"
#include "cardpageset.h"

#include <QObject>
#include <QThread>

#include <memory>
#include <vector>

class GpuController;
class Korvo_SendColorToLed;
class Korvo_SendNvCardInfoThread;
class Korvo_SendNvInfoToLCDThread;
class Korvo_SetUserDefineFanSpeedThread;
class Korvo_WorkerThread;

/// Everything that belongs to one card: its controller, its sampler, every thread a page of the card runs
/// and, as guarded pointers, the card's widgets. Pages get non-owning pointers to the controller and the
/// workers; the session outlives them all. Destruction stops every thread first, then deletes the card's
/// widgets while the controller still exists (a page may talk to the card as it goes), then the threads'
/// objects, and frees the controller last.
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

    /// The card's widgets; the window fills it as it builds the pages.
    CardPageSet &pages() { return m_pages; }
    const CardPageSet &pages() const { return m_pages; }

    /// Stops every worker of the card and waits for each (bounded, as the workers' stop is). Safe to call
    /// more than once; the destructor calls it.
    void stopThreads();

private:
    QList<Korvo_WorkerThread *> workers() const;

    CardIdentity m_identity;
    // Declared first so that it is destroyed last, after every user of it.
    std::unique_ptr<GpuController> m_controller;
    std::unique_ptr<Korvo_SendNvCardInfoThread> m_sampler;
    std::unique_ptr<Korvo_SendNvInfoToLCDThread> m_lcdFeeder;
    std::unique_ptr<Korvo_SendColorToLed> m_ledSender;
    std::unique_ptr<Korvo_SetUserDefineFanSpeedThread> m_fanCurveThread;
    std::vector<std::unique_ptr<QThread>> m_otherThreads;
    CardPageSet m_pages;
};
