// The software GL renderer allocates and frees a vertex buffer of a few hundred
// kilobytes for every large draw call. With glibc's adaptive thresholds, once an
// earlier scene has moved them, such a block is given back to the system after the
// draw and faulted in again on the next one: in the slime cavern that cost a quarter
// of the passes per second. Fixed thresholds keep blocks of up to 4 MB in the heap
// and trim the heap's top only past 64 MB free; larger blocks (decoded textures) are
// still mapped on their own and returned when freed.
#include "app/heap_tuning.h"

#include <cstdlib>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

void tuneHeapForDrawing() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 4 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
#endif
}
