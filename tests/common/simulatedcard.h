#pragma once

#include "inprocessdriver.h"
#include "simdriver.h"

/// The simulated driver a test talks to: process-wide, shaped through its
/// control interface.
inline SimDriver &sim()
{
    return SimDriver::instance();
}

/// A test's simulated card, for the test's lifetime: installs the simulated
/// driver in-process as the binding's library, starting from the default card
/// with nothing injected, and on destruction resets the driver, unloads the
/// library and puts the platform loader back.
class SimulatedCard
{
public:
    enum class Dynamics {
        Running, ///< readings move with time, as on a working card
        Frozen, ///< readings stay as set, so every cycle reads the same
    };

    explicit SimulatedCard(Dynamics dynamics = Dynamics::Running);
    ~SimulatedCard();
    SimulatedCard(const SimulatedCard &) = delete;
    SimulatedCard &operator=(const SimulatedCard &) = delete;

    /// The stand-in library: make it missing, count its loads.
    InProcessDriver &library() { return m_library; }

private:
    InProcessDriver m_library;
};
