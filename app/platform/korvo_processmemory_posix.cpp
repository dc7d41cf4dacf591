#include "korvo_processmemory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {
// glibc's own starting threshold. Left alone, it rises to the size of every mapped block that is freed, and
// after the first dropped image every later image of that size lands in the heap for good.
constexpr int MmapThresholdBytes = 128 * 1024;
} // namespace

void Korvo_ProcessMemory::returnLargeBlocksToTheSystem()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, MmapThresholdBytes);
#endif
}
