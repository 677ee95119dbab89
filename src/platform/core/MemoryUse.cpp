#include "platform/core/MemoryUse.h"

#include <cstdlib> // defines __GLIBC__ where the C library is glibc
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace memoryuse {

void keepLargeBuffers()
{
#if defined(__GLIBC__)
    // Blocks up to 128 MB come from the heap rather than from a mapping of their own, which the
    // system would fill with zeroed pages one fault at a time; up to 256 MB freed at the top of
    // the heap stays there for the next operation.
    mallopt(M_MMAP_THRESHOLD, 128 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
}

} // namespace memoryuse
