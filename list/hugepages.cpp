#include "hugepages.h"

#include <cstdint>
#include <sys/mman.h>

namespace zunova::list {

void adviseHugePages(void* start, std::size_t size) {
    // Only the whole huge pages inside the block.
    constexpr std::uintptr_t kHuge = 2 * 1024 * 1024;
    const auto begin = (reinterpret_cast<std::uintptr_t>(start) + kHuge - 1) & ~(kHuge - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(start) + size) & ~(kHuge - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

} // namespace zunova::list
