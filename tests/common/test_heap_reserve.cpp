// The heap reserved for a large read: blocks the read allocates afterwards
// lie in memory marked for huge pages, and freeing them does not give that
// memory back.
#include "common/HeapReserve.h"

#include <QFile>
#include <QList>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <malloc.h>

namespace {

// The flags of the mapping that holds `address` (" rd wr mr ... hg "), or
// nothing when no mapping holds it.
QByteArray mappingFlags(const void *address)
{
    QFile maps(QStringLiteral("/proc/self/smaps"));
    if (!maps.open(QIODevice::ReadOnly))
        return {};
    const auto at = uintptr_t(address);
    bool holds = false;
    for (const QByteArray &line : maps.readAll().split('\n')) {
        const qsizetype dash = line.indexOf('-');
        const qsizetype space = line.indexOf(' ');
        // Mapping lines start with a lower-case hex address, fields with a
        // capital ("Size:", "VmFlags:").
        const bool mapping = !line.isEmpty() && !(line[0] >= 'A' && line[0] <= 'Z');
        if (mapping && dash > 0 && space > dash) {
            bool ok1 = false;
            bool ok2 = false;
            const uintptr_t start = line.left(dash).toULongLong(&ok1, 16);
            const uintptr_t end = line.mid(dash + 1, space - dash - 1).toULongLong(&ok2, 16);
            holds = ok1 && ok2 && start <= at && at < end;
        } else if (holds && line.startsWith("VmFlags:")) {
            return ' ' + line.mid(8).trimmed() + ' ';
        }
    }
    return {};
}

TEST(HeapReserve, LaterBlocksLieOnHugePagesAndStayAfterFreeing)
{
    if (!stepvane::heapReserveTakesEffect())
        GTEST_SKIP() << "huge pages are not given on request here";
    constexpr size_t kMiB = size_t(1) << 20;
    // The allocator's own start: freed memory at the top goes back early.
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
    stepvane::reserveHeapForRead(64 * kMiB);

    // Sizes from a tree node to a decoded picture, each past 2 MiB into the
    // reserve so its page can be one marked.
    for (const size_t size : {size_t(120), size_t(110000), 3 * kMiB}) {
        SCOPED_TRACE(size);
        QList<void *> blocks;
        for (size_t total = 0; total < 3 * kMiB; total += size)
            blocks << std::malloc(size);
        char *const last = static_cast<char *>(blocks.last()) + size - 1;
        *last = 1;
        EXPECT_TRUE(mappingFlags(last).contains(" hg "));
        for (void *block : blocks)
            std::free(block);
    }
    // Freed, the reserve is still there for the next read.
    constexpr size_t kLarge = 24 * kMiB;
    std::unique_ptr<char, decltype(&std::free)> after(static_cast<char *>(std::malloc(kLarge)),
                                                      &std::free);
    ASSERT_NE(after, nullptr);
    after.get()[kLarge - 1] = 1;
    EXPECT_TRUE(mappingFlags(after.get() + kLarge - 1).contains(" hg "));
}

} // namespace
