#include "korvo_processmemory.h"

#include <QString>

// The Windows heap gives large blocks back to the system on its own.
void Korvo_ProcessMemory::returnLargeBlocksToTheSystem() { }

// Windows trims a process's working set itself when memory runs short.
void Korvo_ProcessMemory::releaseResourcePages(const QString &) { }
