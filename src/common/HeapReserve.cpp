#include "common/HeapReserve.h"

#include <QFile>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define STEPVANE_OWN_ALLOCATOR 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define STEPVANE_OWN_ALLOCATOR 1
#endif

#if defined(__GLIBC__) && !defined(STEPVANE_OWN_ALLOCATOR)
#include <malloc.h>
#include <sys/mman.h>
#define STEPVANE_HEAP_RESERVE 1
#endif

namespace stepvane {

bool heapReserveTakesEffect()
{
#ifdef STEPVANE_HEAP_RESERVE
    static const bool takes = [] {
        QFile mode(QStringLiteral("/sys/kernel/mm/transparent_hugepage/enabled"));
        return mode.open(QIODevice::ReadOnly) && mode.read(256).contains("[madvise]");
    }();
    return takes;
#else
    return false;
#endif
}

void reserveHeapForRead(size_t bytes)
{
#ifdef STEPVANE_HEAP_RESERVE
    constexpr uintptr_t kHugePage = uintptr_t(2) << 20;
    // The C library serves requests below its mapping threshold from the
    // heap; it is set just above the blocks the heap is grown by.
    constexpr size_t kThreshold = size_t(32) << 20;
    constexpr size_t kBlock = size_t(30) << 20;
    static std::mutex lock;
    static size_t reserved = 0;
    const std::lock_guard guard(lock);
    // Past this the read is rare and slow anyway; the reserve stays modest.
    constexpr size_t kMost = size_t(1) << 30;
    bytes = std::min(bytes, kMost);
    if (bytes <= reserved || !heapReserveTakesEffect())
        return;
    mallopt(M_MMAP_THRESHOLD, int(kThreshold));
    // Freeing the blocks below must not give the stretch back.
    mallopt(M_TRIM_THRESHOLD, int(std::min<size_t>(bytes + 2 * kBlock, INT_MAX)));
    struct Block {
        char *start;
        char *end;
    };
    // Sized first, so no list of ours lands between the blocks.
    std::vector<Block> blocks;
    std::vector<Block> stretches;
    blocks.reserve((bytes + kBlock - 1) / kBlock);
    stretches.reserve(blocks.capacity());
    for (size_t left = bytes; left > 0;) {
        const size_t size = std::min(left, kBlock);
        auto *block = static_cast<char *>(std::malloc(size));
        if (!block)
            break;
        blocks.push_back({block, block + size});
        left -= size;
    }
    // Neighbouring blocks are one stretch (the allocator's header between
    // them), so no huge page is lost at their joins.
    std::sort(blocks.begin(), blocks.end(), [](const Block &a, const Block &b) {
        return uintptr_t(a.start) < uintptr_t(b.start);
    });
    for (const Block &block : blocks) {
        if (!stretches.empty() && uintptr_t(block.start) - uintptr_t(stretches.back().end) <= 64)
            stretches.back().end = block.end;
        else
            stretches.push_back(block);
    }
    for (const Block &stretch : stretches) {
        char *const start =
            stretch.start + (kHugePage - uintptr_t(stretch.start) % kHugePage) % kHugePage;
        char *const end = stretch.end - uintptr_t(stretch.end) % kHugePage;
        if (uintptr_t(end) > uintptr_t(start))
            madvise(start, size_t(end - start), MADV_HUGEPAGE);
    }
    // Highest first: each joins the free top of the heap as it goes.
    for (auto it = blocks.rbegin(); it != blocks.rend(); ++it)
        std::free(it->start);
    reserved = bytes;
#else
    (void)bytes;
#endif
}

} // namespace stepvane
