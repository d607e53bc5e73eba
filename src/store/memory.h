// The one allocator. valloc never returns null: on exhaustion it spends a reserve,
// then ends the editor in an orderly way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

namespace qx {

inline constexpr std::size_t MEMORY_RESERVE_SIZE = 16384;

void* valloc(std::size_t size);
void* valloc_zeroed(std::size_t size);
// A block packed right after the previous packed one: for the lines of a file
// being read, so that they lie in memory in file order.
void* valloc_packed(std::size_t size);
// The same for many blocks at once: the room left where the next packed block would
// go, at least size bytes (none in sanitizer builds, where each block is its own).
// The caller places blocks from its start and then reports them with
// valloc_packed_taken, before any other packed block is asked for.
struct PackedRoom {
    unsigned char* start;
    std::size_t bytes;
};
PackedRoom valloc_packed_room(std::size_t size);
void valloc_packed_taken(std::size_t bytes, uint32_t blocks);
void vfree(void* block);

// A zero-filled record of a plain type, from valloc.
template <class T>
T* valloc_record() {
    return new (valloc_zeroed(sizeof(T))) T{};
}

void acquire_memory_reserve();
void release_memory_reserve();
bool memory_reserve_held();

// Hands the pages of not yet used chunks back to the system (after a big read).
void release_spare_memory();

// The bytes the packed blocks still to come will take, as far as a reader can tell
// (0: not known). A system block they will not fill gets no huge pages: one would be
// resident whole, however little of it is used.
void expect_packed_bytes(std::size_t bytes);

// Gives every block back to the system at once, for leaving the editor: whatever
// was allocated is gone, used or not. False (nothing done) in sanitizer builds,
// where each block must be freed by itself.
bool release_all_memory();

// False in sanitizer builds, where every block comes straight from the system so
// that the sanitizer sees each one.
bool allocator_uses_chunks();

// Bytes the allocator holds from the system (for benchmarks and tests).
std::size_t allocator_bytes_held();

// The system allocator under valloc; tests replace it to make allocation fail.
struct SystemAllocator {
    void* (*allocate_aligned)(std::size_t alignment, std::size_t size);
    void (*release)(void* block);
};
SystemAllocator system_allocator();
void set_system_allocator(SystemAllocator allocator);

}  // namespace qx
