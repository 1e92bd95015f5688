#include "LargeBuffers.h"

#include <cstdint>

#if defined(__linux__)
#include <malloc.h>
#include <sys/mman.h>
#endif

void AdviseLargeBuffer(const void *data, std::size_t bytes) {
#if defined(MADV_HUGEPAGE)
    // Only whole 2 MiB pages inside the buffer; a small buffer gains nothing and would only pay
    // for the call. The advice is a hint: its failure changes nothing.
    constexpr std::uintptr_t huge = std::uintptr_t(2) << 20;
    if (data == nullptr || bytes < 2 * huge)
        return;
    const std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(data) + huge - 1) & ~(huge - 1);
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(huge - 1);
    if (end > begin)
        madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

void PrepareAllocatorForLargeFiles() {
#if defined(__GLIBC__)
    constexpr int ownMapping = 6 << 20;
    mallopt(M_MMAP_THRESHOLD, ownMapping);
    mallopt(M_TRIM_THRESHOLD, 2 * ownMapping);
#endif
}
