#include "platform/LargeBlocks.h"

#include <malloc.h>

void ReturnLargeBlocksWhenFreed()
{
#ifdef M_MMAP_THRESHOLD
    // A fixed limit also stops the library from moving it later.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
}

void ReturnFreePages()
{
    malloc_trim(0);
}
