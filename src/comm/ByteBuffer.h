// A byte vector whose resize leaves new bytes uninitialised. The protocol's
// 800000-byte buffers are only ever read where data was written; not zeroing
// them keeps their untouched pages out of memory, which counts when one
// process runs a transfer per instrument of a fleet.
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace stepvane {

template <typename T> struct UninitialisedAllocator : std::allocator<T> {
    using value_type = T;
    UninitialisedAllocator() noexcept = default;
    template <typename U> UninitialisedAllocator(const UninitialisedAllocator<U> &) noexcept {}
    template <typename U> void construct(U *p) noexcept
    {
        ::new (static_cast<void *>(p)) U; // default-initialised: no zeroing
    }
    template <typename U, typename... Args> void construct(U *p, Args &&...args)
    {
        ::new (static_cast<void *>(p)) U(std::forward<Args>(args)...);
    }
};

using ByteBuffer = std::vector<uint8_t, UninitialisedAllocator<uint8_t>>;

} // namespace stepvane
