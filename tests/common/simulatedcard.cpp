#include "simulatedcard.h"

SimulatedCard::SimulatedCard(Dynamics dynamics)
{
    if (dynamics == Dynamics::Frozen)
        sim().freezeAll(true);
}

// The library's destructor resets the driver and unloads it.
SimulatedCard::~SimulatedCard() = default;
