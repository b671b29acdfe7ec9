#pragma once
// The trace memos grow their text in large blocks and give them back as the
// oldest lines go. With glibc's sliding threshold such blocks soon come from
// the heap instead of their own mappings, and a day of polling leaves the heap
// fragmented and the process larger than what it uses. A fixed threshold keeps
// large blocks in mappings that are returned when freed.

#if defined(__GLIBC__)
#include <malloc.h>
#endif

inline void keepLargeBlocksReturnable() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
#endif
}
