#pragma once

#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>

/// One card's start-up commands, in the order the pages queue them, with the pauses the card needs between
/// them. The commands run on the thread the sequence lives on (the GUI thread, where the pages' state is)
/// but a pause is a timer, not a sleep: the event loop turns through it, the window maps and paints, and
/// several cards' sequences wait side by side. A page made without a sequence runs its steps at once through
/// a sequence of its own (`runNow`), sleeping through the pauses as before.
class CardCommandSequence : public QObject
{
    Q_OBJECT

public:
    using Step = std::function<void()>;

    explicit CardCommandSequence(QObject *parent = nullptr);
    ~CardCommandSequence() override;

    /// Queues a step after everything queued so far; a step added while the sequence runs still runs.
    void add(Step step);
    /// The same for a step of an object's (a page's): skipped when the object has gone by its turn.
    void add(QObject *owner, Step step);
    /// Queues a pause before the next step; every pause lasts the workers' time scale times `ms`.
    void addPause(int ms);
    /// From inside a step: a pause right after it, before the steps already queued (for a pause that
    /// depends on what the step did).
    void pauseNext(int ms);

    /// Runs the steps from the next turn of the event loop on, one pause at a time.
    void start();
    /// Runs every queued step now, sleeping through the pauses on the calling thread.
    void runNow();
    /// Has `queue` put a page's start-up on `sequence`; without one, on a sequence of its own that runs at
    /// once (a page made outside a card session, in a test say).
    static void queueOrRunNow(
        CardCommandSequence *sequence, const std::function<void(CardCommandSequence &)> &queue);

    bool isStarted() const { return m_started; }
    /// Started, and nothing left to run.
    bool isFinished() const { return m_started && m_items.empty() && !m_running; }

signals:
    /// The last queued step has run.
    void finished();

private:
    struct Item
    {
        Step step; ///< empty for a pause
        int pauseMs = 0;
    };
    void runUntilPause();
    static int scaledMs(int ms);

    std::deque<Item> m_items;
    QTimer m_pause;
    bool m_started = false;
    bool m_running = false;
};
