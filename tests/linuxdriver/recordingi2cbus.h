#pragma once

#include "i2cbus.h"
#include "simcard.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

/// A stand-in for the kernel's i2c-dev: records every transaction by adapter,
/// replies from the simulated card's lighting controller, LCD and board
/// sensors on the adapters it is given, and notes whether two transactions
/// on one adapter ever overlapped.
class RecordingI2cBus : public I2cBus
{
public:
    struct Transaction
    {
        int adapter = -1;
        std::vector<I2cMessage> messages;
        bool blockRead = false;
        NvU8 blockRegister = 0;
    };

    /// The card answering on an adapter (the bus keeps it).
    void attach(int adapter, const SimCardConfig &config);
    SimCard *card(int adapter);
    /// Every adapter answers with this errno from now on (0: normal).
    void failWith(int error) { m_failWith = error; }
    void setBlockRead(bool offered) { m_blockRead = offered; }

    std::vector<Transaction> transactions() const;
    void clear();
    bool overlapped() const { return m_overlapped.load(); }

    int transfer(int adapter, std::vector<I2cMessage> &messages) override;
    bool hasBlockRead(int adapter) override;
    int blockRead(int adapter, NvU8 address, NvU8 reg, NvU8 *out, std::size_t count) override;

private:
    /// Marks the adapter busy for the transaction, and holds it a moment so
    /// that an unserialised second caller would run into it.
    class Busy;
    std::atomic<int> &counter(int adapter);

    mutable std::mutex m_lock;
    std::map<int, std::unique_ptr<SimCard>> m_cards;
    std::map<int, std::unique_ptr<std::atomic<int>>> m_busy;
    std::vector<Transaction> m_log;
    std::atomic<int> m_failWith { 0 };
    std::atomic<bool> m_blockRead { true };
    std::atomic<bool> m_overlapped { false };
};
