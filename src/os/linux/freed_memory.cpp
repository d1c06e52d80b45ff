#include "os/freed_memory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace FreedMemory {

void ReturnToSystem()
{
#if defined(__GLIBC__)
    // glibc keeps freed heap in its arenas; a released window leaves tens of MiB there.
    malloc_trim(0);
#endif
}

} // namespace FreedMemory
