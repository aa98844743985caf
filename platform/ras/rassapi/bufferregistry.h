#pragma once
// The blocks the RAS library hands to its callers. Each is recorded until
// RasAdminFreeBuffer returns it, so that freeing a pointer the library never
// gave out (or freeing twice) is refused instead of corrupting the heap.

#include <cstddef>

namespace dm::rassapi {

// A zero-filled block of size bytes (at least one), recorded; null when out of memory.
void* AllocateBuffer(std::size_t size);
// True when the block was recorded; it is then released.
bool ReleaseBuffer(void* block);

} // namespace dm::rassapi
