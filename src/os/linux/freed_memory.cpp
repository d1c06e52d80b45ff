#include "os/freed_memory.h"

// Defines __GLIBC__, which the test below needs; without it the allocator was never asked.
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace FreedMemory {

namespace {
#if defined(__GLIBC__)
// Above this a block gets its own mapping: a row's preview, an icon or a history record
// stays on the heap; a screenshot's pixels or a long text do not.
constexpr int kOwnMappingBytes = 256 * 1024;
constexpr int kTrimBytes = 1024 * 1024;
#endif
} // namespace

void KeepLargeBlocksApart()
{
#if defined(__GLIBC__)
    // Setting them fixes them: glibc stops raising them as large blocks are freed.
    mallopt(M_MMAP_THRESHOLD, kOwnMappingBytes);
    mallopt(M_TRIM_THRESHOLD, kTrimBytes);
    // One heap for every thread: the free end of a worker thread's own heap is never given
    // back by ReturnToSystem, and the capture worker decodes and encodes every screenshot.
    // The few threads rarely allocate at once.
    mallopt(M_ARENA_MAX, 1);
#endif
}

void ReturnToSystem()
{
#if defined(__GLIBC__)
    // glibc keeps freed heap in its arenas; a released window leaves tens of MiB there.
    malloc_trim(0);
#endif
}

} // namespace FreedMemory
