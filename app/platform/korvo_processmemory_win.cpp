#include "korvo_processmemory.h"

// The Windows heap gives large blocks back to the system on its own.
void Korvo_ProcessMemory::returnLargeBlocksToTheSystem() { }
