#include "korvo_quitsignals.h"

// A Windows GUI program hears of log-off and shutdown through the session manager (commitDataRequest);
// console signals never reach it, so there is nothing to install here.

Korvo_QuitSignals::Korvo_QuitSignals(QObject *parent)
    : QObject(parent)
{
}

Korvo_QuitSignals::~Korvo_QuitSignals() = default;

void Korvo_QuitSignals::onSignalPending() { }
