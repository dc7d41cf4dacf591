#pragma once

/// How the process's allocator treats large blocks. The program's images (backgrounds, the gauge's frames,
/// the palette's ring) are large, and most are made once and some are dropped again: blocks that size
/// should come from the system and go back to it when freed, instead of staying as holes in the heap.
class Korvo_ProcessMemory
{
public:
    /// Call once, first thing in main(), before anything is allocated on a second thread.
    static void returnLargeBlocksToTheSystem();
};
