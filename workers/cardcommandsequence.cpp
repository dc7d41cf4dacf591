#include "cardcommandsequence.h"

#include "workersleep.h"

#include <QPointer>
#include <QThread>

#include <cmath>

CardCommandSequence::CardCommandSequence(QObject *parent)
    : QObject(parent)
{
    m_pause.setSingleShot(true);
    m_pause.setTimerType(Qt::PreciseTimer);
    connect(&m_pause, &QTimer::timeout, this, &CardCommandSequence::runUntilPause);
}

// A sequence that goes with its owner drops what it had left: those steps belong to pages that go too.
CardCommandSequence::~CardCommandSequence() = default;

void CardCommandSequence::add(Step step)
{
    if (!step)
        return;
    m_items.push_back({ std::move(step), 0 });
    // A finished sequence takes up new steps on the next turn of the loop.
    if (m_started && !m_running && !m_pause.isActive())
        QTimer::singleShot(0, this, &CardCommandSequence::runUntilPause);
}

void CardCommandSequence::add(QObject *owner, Step step)
{
    if (!step)
        return;
    add([guard = QPointer<QObject>(owner), step = std::move(step)] {
        if (guard)
            step();
    });
}

void CardCommandSequence::addPause(int ms)
{
    if (ms > 0)
        m_items.push_back({ Step(), ms });
}

void CardCommandSequence::pauseNext(int ms)
{
    if (ms > 0)
        m_items.push_front({ Step(), ms });
}

void CardCommandSequence::start()
{
    if (m_started)
        return;
    m_started = true;
    QTimer::singleShot(0, this, &CardCommandSequence::runUntilPause);
}

void CardCommandSequence::runNow()
{
    m_started = true;
    m_pause.stop();
    m_running = true;
    while (!m_items.empty()) {
        Item item = std::move(m_items.front());
        m_items.pop_front();
        if (item.step)
            item.step();
        else
            QThread::msleep(static_cast<unsigned long>(scaledMs(item.pauseMs)));
    }
    m_running = false;
    emit finished();
}

void CardCommandSequence::queueOrRunNow(
    CardCommandSequence *sequence, const std::function<void(CardCommandSequence &)> &queue)
{
    if (sequence) {
        queue(*sequence);
        return;
    }
    CardCommandSequence own;
    queue(own);
    own.runNow();
}

void CardCommandSequence::runUntilPause()
{
    // Reached again from a step (a step that spins the loop) or after runNow: nothing to do twice.
    if (m_running || m_pause.isActive())
        return;
    if (m_items.empty())
        return;
    m_running = true;
    while (!m_items.empty()) {
        Item item = std::move(m_items.front());
        m_items.pop_front();
        if (!item.step) {
            m_running = false;
            m_pause.start(scaledMs(item.pauseMs));
            return;
        }
        item.step();
    }
    m_running = false;
    emit finished();
}

int CardCommandSequence::scaledMs(int ms)
{
    return static_cast<int>(std::lround(ms * WorkerSleep::timeScale()));
}
