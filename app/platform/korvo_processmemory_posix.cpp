#include "korvo_processmemory.h"

#include <QResource>

#include <cstdint>

#include <sys/mman.h>
#include <unistd.h>

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

void Korvo_ProcessMemory::releaseResourcePages(const QString &resourcePath)
{
    const QResource resource(resourcePath);
    // Data stored as is lies in the program's read-only pages (the compiled resources are const); anything
    // else was copied to the heap and is not ours to drop.
    if (!resource.isValid() || !resource.data()
        || resource.compressionAlgorithm() != QResource::NoCompression)
        return;
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto data = reinterpret_cast<std::uintptr_t>(resource.data());
    // Only whole pages inside the data: a page it shares with its neighbours may hold something else.
    const std::uintptr_t begin = (data + page - 1) & ~(page - 1);
    const std::uintptr_t end = (data + static_cast<std::uintptr_t>(resource.size())) & ~(page - 1);
    if (end > begin)
        madvise(reinterpret_cast<void *>(begin), end - begin, MADV_DONTNEED);
}
