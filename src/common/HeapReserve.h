// Room at the top of the heap for a large read, on huge pages.
//
// Reading a large wizard allocates its tree and its decoded attachments in
// hundreds of thousands of blocks, and taking that memory from the system
// 4 KiB at a time costs about a sixth of the read. Where the system gives
// huge pages only to memory that asks for them, the heap can ask: it is grown
// once by the expected amount, that stretch is marked for huge pages, and
// freeing keeps it, so the read's blocks land on 2 MiB pages.
#pragma once

#include <cstddef>

namespace stepvane {

// Readies the heap for a read that allocates about `bytes`. Process-wide and
// cheap to repeat: a call for no more than an earlier one does nothing. Does
// nothing unless the system gives huge pages on request only (given always,
// the heap has them anyway; given never, asking is vain), nor under another
// allocator than the C library's.
void reserveHeapForRead(size_t bytes);

// Whether reserveHeapForRead can take effect in this process.
bool heapReserveTakesEffect();

} // namespace stepvane
