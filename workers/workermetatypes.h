#pragma once

/// Registers every type the workers pass through queued connections: the
/// card records, the LCD page and the fan curve. Safe to call repeatedly.
void registerWorkerMetaTypes();
