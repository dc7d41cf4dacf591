#pragma once

#include "cardidentity.h"

#include <QList>

/// Finds the NVIDIA cards through a temporary controller: each card's identity, with the duplicate
/// suffixes, and whether its lighting controller and LCD answered the start-up probes.
class CardScanner
{
public:
    /// The cards in the driver's order; empty when there is no card or no driver.
    static QList<CardIdentity> scan();
};
