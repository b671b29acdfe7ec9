#pragma once
// How much memory the process holds: resident set from the kernel, and the
// bytes the C library's heap has handed out and not got back.

#include <cstdint>

struct MemoryUse {
    std::int64_t residentKb = 0;
    // The resident set's anonymous part (heap, stacks) and the part mapped
    // from files (libraries, fonts).
    std::int64_t anonymousKb = 0;
    std::int64_t fileKb = 0;
    std::int64_t heapInUseKb = 0;
    // What the heap holds from the system, in use or free.
    std::int64_t heapHeldKb = 0;

    static MemoryUse now();
};
