#include "MemoryUse.h"

#include <fstream>
#include <malloc.h>
#include <string>

namespace {
// VmRSS, RssAnon and RssFile from /proc/self/status, in kB.
void readStatus(MemoryUse &m) {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        std::int64_t *field = key == "VmRSS:"     ? &m.residentKb
                              : key == "RssAnon:" ? &m.anonymousKb
                              : key == "RssFile:" ? &m.fileKb
                                                  : nullptr;
        if (field)
            status >> *field;
        status.ignore(4096, '\n');
    }
}
} // namespace

MemoryUse MemoryUse::now() {
    MemoryUse m;
    readStatus(m);
    const struct mallinfo2 heap = mallinfo2();
    m.heapInUseKb = static_cast<std::int64_t>((heap.uordblks + heap.hblkhd) / 1024);
    m.heapHeldKb = static_cast<std::int64_t>((heap.arena + heap.hblkhd) / 1024);
    return m;
}
