#include "recordingi2cbus.h"

#include <cerrno>
#include <chrono>
#include <thread>

class RecordingI2cBus::Busy
{
public:
    Busy(RecordingI2cBus &bus, int adapter)
        : m_counter(bus.counter(adapter))
    {
        if (m_counter.fetch_add(1) != 0)
            bus.m_overlapped = true;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    ~Busy() { m_counter.fetch_sub(1); }

private:
    std::atomic<int> &m_counter;
};

std::atomic<int> &RecordingI2cBus::counter(int adapter)
{
    std::lock_guard<std::mutex> locker(m_lock);
    std::unique_ptr<std::atomic<int>> &c = m_busy[adapter];
    if (!c)
        c = std::make_unique<std::atomic<int>>(0);
    return *c;
}

void RecordingI2cBus::attach(int adapter, const SimCardConfig &config)
{
    std::lock_guard<std::mutex> locker(m_lock);
    m_cards[adapter] = std::make_unique<SimCard>(config, 0.0);
}

SimCard *RecordingI2cBus::card(int adapter)
{
    std::lock_guard<std::mutex> locker(m_lock);
    const auto found = m_cards.find(adapter);
    return found == m_cards.end() ? nullptr : found->second.get();
}

std::vector<RecordingI2cBus::Transaction> RecordingI2cBus::transactions() const
{
    std::lock_guard<std::mutex> locker(m_lock);
    return m_log;
}

void RecordingI2cBus::clear()
{
    std::lock_guard<std::mutex> locker(m_lock);
    m_log.clear();
}

int RecordingI2cBus::transfer(int adapter, std::vector<I2cMessage> &messages)
{
    Busy busy(*this, adapter);
    std::lock_guard<std::mutex> locker(m_lock);
    m_log.push_back({ adapter, messages, false, 0 });
    if (m_failWith)
        return m_failWith;
    const auto found = m_cards.find(adapter);
    // Nothing answers on an adapter without a card: the NAK of an absent device.
    if (found == m_cards.end())
        return EIO;
    SimCard &card = *found->second;
    for (I2cMessage &message : messages) {
        const NvU8 address = static_cast<NvU8>(message.address << 1);
        if (!message.read) {
            if (!card.i2cWrite(address, message.bytes))
                return EIO;
            continue;
        }
        std::vector<NvU8> answer;
        if (!card.i2cRead(static_cast<NvU8>(address | 1), {}, message.bytes.size(), answer))
            return EIO;
        answer.resize(message.bytes.size(), 0);
        message.bytes = answer;
    }
    return 0;
}

bool RecordingI2cBus::hasBlockRead(int)
{
    return m_blockRead.load();
}

int RecordingI2cBus::blockRead(int adapter, NvU8 address, NvU8 reg, NvU8 *out, std::size_t count)
{
    Busy busy(*this, adapter);
    std::lock_guard<std::mutex> locker(m_lock);
    m_log.push_back({ adapter, { { address, true, std::vector<NvU8>(count, 0) } }, true, reg });
    if (m_failWith)
        return m_failWith;
    const auto found = m_cards.find(adapter);
    if (found == m_cards.end())
        return EIO;
    std::vector<NvU8> answer;
    if (!found->second->i2cRead(static_cast<NvU8>(address << 1 | 1), { reg }, count, answer))
        return EIO;
    answer.resize(count, 0);
    std::copy(answer.begin(), answer.end(), out);
    m_log.back().messages.front().bytes = answer;
    return 0;
}
