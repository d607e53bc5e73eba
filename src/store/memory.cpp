#include "store/memory.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>

#include "store/hooks.h"

namespace qx {

namespace {

// Small blocks come from chunks of one size class each, so that a block carries no
// header: freeing finds its chunk by address. Classes step by one byte, so a line
// costs exactly its record; a block whose size is a multiple of 8 (every record
// holding pointers) is 8-aligned because chunks are. Big blocks get a chunk of their own.
// A chunk keeps its own freed blocks and counts its live ones, so that a chunk whose
// blocks are all freed goes back to the pool, and its pages to the system.
constexpr std::size_t CHUNK_SIZE = 16384;
constexpr std::size_t CHUNK_HEADER = 48;
constexpr std::size_t CLASS_STEP = 1;
constexpr std::size_t MIN_BLOCK = 8;        // a free block holds the free-list link
constexpr std::size_t MAX_SMALL = 2048;
constexpr std::size_t CLASS_COUNT = MAX_SMALL / CLASS_STEP + 1;
constexpr uint32_t LARGE_CLASS = 0xFFFFFFFF;
// Lines read from a file are packed end to end in file order instead, so that
// walking a file touches memory in sequence. Such a chunk counts its live blocks
// and goes back to the pool of free chunks when the last of them is freed.
constexpr uint32_t PACKED_CLASS = 0xFFFFFFFE;
// Chunks are carved from 2 MB system blocks given huge pages: a big file then costs
// a few hundred page faults instead of one per 4 KB, which dominated reading it.
constexpr std::size_t CHUNKS_PER_BLOCK = 128;
// Free chunks kept with their pages, ready for reuse; beyond these the pages of a
// freed chunk go back to the system at once.
constexpr std::size_t RESIDENT_POOL = 16;

struct ChunkHeader {
    uint32_t size_class;
    uint32_t live;              // small and packed chunks: blocks not yet freed
    std::size_t bytes;          // what the chunk took from the system
    unsigned char* free_list;   // small chunks: freed blocks, linked through their first bytes
    ChunkHeader* next_open;     // small chunks with freed blocks, per class
    ChunkHeader* prev_open;
};
static_assert(sizeof(ChunkHeader) <= CHUNK_HEADER && CHUNK_HEADER % 16 == 0);

struct SizeClass {
    ChunkHeader* open = nullptr;          // chunks holding freed blocks
    ChunkHeader* bump_chunk = nullptr;    // the newest chunk, not yet handed out to its end
    unsigned char* bump = nullptr;        // its next unused block
    unsigned char* bump_end = nullptr;
};

// Free chunks whose pages were given back, by address: their own memory holds nothing.
struct ChunkStack {
    unsigned char** items = nullptr;
    std::size_t count = 0;
    std::size_t capacity = 0;
};

constexpr std::size_t BLOCK_BYTES = CHUNK_SIZE * CHUNKS_PER_BLOCK;

// A system block mapped by itself, aligned by trimming a mapping twice its size:
// from the C library it would cost a page or two of its own bookkeeping per block
// besides a mapping of twice the size.
void* map_block() {
    void* p = ::mmap(nullptr, 2 * BLOCK_BYTES, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return nullptr;
    auto* start = static_cast<unsigned char*>(p);
    auto address = reinterpret_cast<uintptr_t>(start);
    unsigned char* block = start + ((BLOCK_BYTES - address % BLOCK_BYTES) % BLOCK_BYTES);
    if (block > start) ::munmap(start, static_cast<std::size_t>(block - start));
    if (block + BLOCK_BYTES < start + 2 * BLOCK_BYTES)
        ::munmap(block + BLOCK_BYTES, static_cast<std::size_t>(start + 2 * BLOCK_BYTES - (block + BLOCK_BYTES)));
    return block;
}

bool is_mapped_block(void* p);

void* default_allocate(std::size_t alignment, std::size_t size) {
    if (alignment == BLOCK_BYTES && size == BLOCK_BYTES) return map_block();
    void* p = nullptr;
    return posix_memalign(&p, alignment, size) == 0 ? p : nullptr;
}

void default_release(void* p) {
    if (reinterpret_cast<uintptr_t>(p) % BLOCK_BYTES == 0 && is_mapped_block(p)) ::munmap(p, BLOCK_BYTES);
    else std::free(p);
}

SystemAllocator g_system{default_allocate, default_release};
SizeClass g_classes[CLASS_COUNT];
std::size_t g_bytes_held = 0;
unsigned char* g_spare_chunks = nullptr;   // the unused rest of the newest system block
std::size_t g_spare_count = 0;
bool g_spare_released = false;             // its pages were handed back by release_spare_memory
unsigned char* g_free_chunks = nullptr;    // free chunks with their pages, linked through their bodies
std::size_t g_free_count = 0;
ChunkStack g_returned;                     // free chunks without their pages
ChunkStack g_blocks;                       // every system block chunks are carved from
ChunkHeader* g_large = nullptr;            // big blocks in use, linked through their headers
unsigned char* g_packed = nullptr;         // where the next packed block goes
std::size_t g_packed_expected = 0;         // what packed blocks still to come take, 0 if not known
unsigned char* g_packed_end = nullptr;
void* g_reserve = nullptr;

// Blocks are only ever given back by release_all_memory, so the record of them is
// the record of what was mapped.
bool is_mapped_block(void* p) {
    for (std::size_t i = 0; i < g_blocks.count; ++i)
        if (g_blocks.items[i] == p) return true;
    return false;
}

unsigned char* read_link(unsigned char* block) {
    unsigned char* next;
    std::memcpy(&next, block, sizeof next);
    return next;
}

void write_link(unsigned char* block, unsigned char* next) { std::memcpy(block, &next, sizeof next); }

ChunkHeader* chunk_of(void* block) {
    auto address = reinterpret_cast<uintptr_t>(block);
    return reinterpret_cast<ChunkHeader*>(address & ~(uintptr_t)(CHUNK_SIZE - 1));
}

// Room for one more item on a stack; false when the system has none to spare.
bool grow_stack(ChunkStack& stack) {
    if (stack.count < stack.capacity) return true;
    std::size_t capacity = stack.capacity ? 2 * stack.capacity : 1024;
    void* items = g_system.allocate_aligned(alignof(unsigned char*), capacity * sizeof(unsigned char*));
    if (!items) return false;
    if (stack.count) std::memcpy(items, stack.items, stack.count * sizeof(unsigned char*));
    if (stack.items) g_system.release(stack.items);
    stack.items = static_cast<unsigned char**>(items);
    stack.capacity = capacity;
    return true;
}

void* new_chunk(uint32_t size_class, std::size_t bytes) {
    void* chunk;
    if (size_class == LARGE_CLASS) {
        chunk = g_system.allocate_aligned(CHUNK_SIZE, bytes);
        if (!chunk) return nullptr;
        g_bytes_held += bytes;
        auto* header = static_cast<ChunkHeader*>(chunk);
        *header = ChunkHeader{size_class, 0, bytes, nullptr, g_large, nullptr};
        if (g_large) g_large->prev_open = header;
        g_large = header;
        return chunk;
    } else if (g_free_chunks) {
        chunk = g_free_chunks;
        g_free_chunks = read_link(g_free_chunks + CHUNK_HEADER);
        --g_free_count;
    } else if (g_returned.count > 0) {
        chunk = g_returned.items[--g_returned.count];
        g_bytes_held += CHUNK_SIZE;
    } else {
        if (g_spare_count == 0) {
            if (!grow_stack(g_blocks)) return nullptr;
            void* block = g_system.allocate_aligned(BLOCK_BYTES, BLOCK_BYTES);
            if (!block) return nullptr;
            g_blocks.items[g_blocks.count++] = static_cast<unsigned char*>(block);
            if (g_packed_expected == 0 || g_packed_expected >= CHUNK_SIZE * CHUNKS_PER_BLOCK)
                ::madvise(block, CHUNK_SIZE * CHUNKS_PER_BLOCK, MADV_HUGEPAGE);
            g_spare_chunks = static_cast<unsigned char*>(block);
            g_spare_count = CHUNKS_PER_BLOCK;
            g_spare_released = false;
            g_bytes_held += CHUNK_SIZE * CHUNKS_PER_BLOCK;
        }
        if (g_spare_released) g_bytes_held += CHUNK_SIZE;
        chunk = g_spare_chunks;
        g_spare_chunks += CHUNK_SIZE;
        --g_spare_count;
    }
    auto* header = static_cast<ChunkHeader*>(chunk);
    *header = ChunkHeader{size_class, 0, bytes, nullptr, nullptr, nullptr};
    return chunk;
}

// The pages of the newest system block's unused chunks go back to the system.
void release_spare() {
    if (g_spare_count == 0 || g_spare_released) return;
    ::madvise(g_spare_chunks, g_spare_count * CHUNK_SIZE, MADV_DONTNEED);
    g_bytes_held -= g_spare_count * CHUNK_SIZE;
    g_spare_released = true;
}

// A chunk none of whose blocks is in use: kept for reuse, its pages given back
// once enough are kept (and with them those of the chunks not used yet).
void pool_chunk(ChunkHeader* chunk) {
    auto* start = reinterpret_cast<unsigned char*>(chunk);
    if (g_free_count >= RESIDENT_POOL && grow_stack(g_returned) && ::madvise(start, CHUNK_SIZE, MADV_DONTNEED) == 0) {
        g_returned.items[g_returned.count++] = start;
        g_bytes_held -= CHUNK_SIZE;
        release_spare();
        return;
    }
    write_link(start + CHUNK_HEADER, g_free_chunks);
    g_free_chunks = start;
    ++g_free_count;
}

void link_open(SizeClass& sc, ChunkHeader* chunk) {
    chunk->prev_open = nullptr;
    chunk->next_open = sc.open;
    if (sc.open) sc.open->prev_open = chunk;
    sc.open = chunk;
}

void unlink_open(SizeClass& sc, ChunkHeader* chunk) {
    if (chunk->prev_open) chunk->prev_open->next_open = chunk->next_open;
    else sc.open = chunk->next_open;
    if (chunk->next_open) chunk->next_open->prev_open = chunk->prev_open;
    chunk->next_open = chunk->prev_open = nullptr;
}

unsigned char* chunk_body(ChunkHeader* chunk) { return reinterpret_cast<unsigned char*>(chunk) + CHUNK_HEADER; }

ChunkHeader* current_packed_chunk() { return g_packed ? chunk_of(g_packed - 1) : nullptr; }

// Where the next packed block of size bytes goes: in a fresh chunk when the current
// one has too little left. Null when the system has nothing left.
unsigned char* try_packed_room(std::size_t size) {
    if (g_packed == nullptr || g_packed + size > g_packed_end) {
        ChunkHeader* old = current_packed_chunk();
        void* chunk = new_chunk(PACKED_CLASS, CHUNK_SIZE);
        if (!chunk) return nullptr;
        if (old && old->live == 0) pool_chunk(old);
        g_packed = static_cast<unsigned char*>(chunk) + CHUNK_HEADER;
        g_packed_end = static_cast<unsigned char*>(chunk) + CHUNK_SIZE;
    }
    return g_packed;
}

void* try_allocate_packed(std::size_t size) {
    unsigned char* block = try_packed_room(size);
    if (!block) return nullptr;
    g_packed += size;
    ++chunk_of(block)->live;
    return block;
}

// One attempt at the system; null when it has nothing left.
void* try_allocate(std::size_t size) {
    if (size > MAX_SMALL) {
        void* chunk = new_chunk(LARGE_CLASS, CHUNK_HEADER + size);
        return chunk ? static_cast<unsigned char*>(chunk) + CHUNK_HEADER : nullptr;
    }
    std::size_t index = (size < MIN_BLOCK ? MIN_BLOCK : size + CLASS_STEP - 1) / CLASS_STEP;
    SizeClass& sc = g_classes[index];
    if (ChunkHeader* chunk = sc.open) {
        unsigned char* block = chunk->free_list;
        chunk->free_list = read_link(block);
        ++chunk->live;
        if (!chunk->free_list) unlink_open(sc, chunk);
        return block;
    }
    std::size_t block_size = index * CLASS_STEP;
    if (sc.bump_chunk == nullptr || sc.bump + block_size > sc.bump_end) {
        void* fresh = new_chunk(static_cast<uint32_t>(index), CHUNK_SIZE);
        if (!fresh) return nullptr;
        sc.bump_chunk = static_cast<ChunkHeader*>(fresh);
        sc.bump = chunk_body(sc.bump_chunk);
        sc.bump_end = static_cast<unsigned char*>(fresh) + CHUNK_SIZE;
    }
    unsigned char* block = sc.bump;
    sc.bump += block_size;
    ++sc.bump_chunk->live;
    return block;
}

void free_small(ChunkHeader* chunk, unsigned char* block) {
    SizeClass& sc = g_classes[chunk->size_class];
    bool was_open = chunk->free_list != nullptr;
    if (--chunk->live > 0) {
        write_link(block, chunk->free_list);
        chunk->free_list = block;
        if (!was_open) link_open(sc, chunk);
        return;
    }
    if (was_open) unlink_open(sc, chunk);
    chunk->free_list = nullptr;
    if (chunk == sc.bump_chunk) sc.bump_chunk = nullptr;   // the next block starts a chunk afresh
    pool_chunk(chunk);
}

// One allocation with the exhaustion path: a warning, the reserve and the undo
// history given up, one retry; then the editor ends.
template <class Attempt>
void* allocate(std::size_t size, Attempt attempt) {
    if (void* block = attempt(size)) return block;
    if (g_reserve) {
        store_hooks().memoryWarning();
        release_memory_reserve();
        store_hooks().releaseMemory();
        if (void* block = attempt(size)) return block;
    }
    store_hooks().memoryExhausted();
    exit_editor(2);
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// Under AddressSanitizer every block comes straight from the system, so that a
// use after free or an overrun inside our own chunks is caught too.
constexpr bool SYSTEM_BLOCKS = true;
#else
constexpr bool SYSTEM_BLOCKS = false;
#endif

void* try_allocate_system(std::size_t size) { return g_system.allocate_aligned(16, size ? size : 1); }

void* valloc(std::size_t size) { return allocate(size, SYSTEM_BLOCKS ? try_allocate_system : try_allocate); }

void* valloc_packed(std::size_t size) {
    if (SYSTEM_BLOCKS || size > CHUNK_SIZE - CHUNK_HEADER) return valloc(size);
    return allocate(size, try_allocate_packed);
}

PackedRoom valloc_packed_room(std::size_t size) {
    if (SYSTEM_BLOCKS || size > CHUNK_SIZE - CHUNK_HEADER) return {};
    auto* start = static_cast<unsigned char*>(
        allocate(size, [](std::size_t n) -> void* { return try_packed_room(n); }));
    return {start, static_cast<std::size_t>(g_packed_end - start)};
}

void valloc_packed_taken(std::size_t bytes, uint32_t blocks) {
    if (blocks == 0) return;
    chunk_of(g_packed)->live += blocks;
    g_packed += bytes;
}

void* valloc_zeroed(std::size_t size) {
    void* block = valloc(size);
    std::memset(block, 0, size);
    return block;
}

void vfree(void* block) {
    if (!block) return;
    if (SYSTEM_BLOCKS) {
        g_system.release(block);
        return;
    }
    ChunkHeader* chunk = chunk_of(block);
    if (chunk->size_class == LARGE_CLASS) {
        g_bytes_held -= chunk->bytes;
        if (chunk->prev_open) chunk->prev_open->next_open = chunk->next_open;
        else g_large = chunk->next_open;
        if (chunk->next_open) chunk->next_open->prev_open = chunk->prev_open;
        g_system.release(chunk);
        return;
    }
    if (chunk->size_class == PACKED_CLASS) {
        if (--chunk->live == 0 && chunk != current_packed_chunk()) pool_chunk(chunk);
        return;
    }
    free_small(chunk, static_cast<unsigned char*>(block));
}

void release_spare_memory() { release_spare(); }

void expect_packed_bytes(std::size_t bytes) { g_packed_expected = bytes; }

bool release_all_memory() {
    if (SYSTEM_BLOCKS) return false;
    while (ChunkHeader* large = g_large) {
        g_large = large->next_open;
        g_system.release(large);
    }
    for (std::size_t i = 0; i < g_blocks.count; ++i) g_system.release(g_blocks.items[i]);
    if (g_blocks.items) g_system.release(g_blocks.items);
    if (g_returned.items) g_system.release(g_returned.items);
    for (SizeClass& sc : g_classes) sc = SizeClass{};
    g_blocks = g_returned = ChunkStack{};
    g_bytes_held = g_spare_count = g_free_count = 0;
    g_spare_chunks = g_free_chunks = g_packed = g_packed_end = nullptr;
    g_spare_released = false;
    return true;
}

void acquire_memory_reserve() {
    if (!g_reserve) g_reserve = g_system.allocate_aligned(16, MEMORY_RESERVE_SIZE);
}

void release_memory_reserve() {
    if (g_reserve) g_system.release(g_reserve);
    g_reserve = nullptr;
}

bool memory_reserve_held() { return g_reserve != nullptr; }

std::size_t allocator_bytes_held() { return g_bytes_held; }
bool allocator_uses_chunks() { return !SYSTEM_BLOCKS; }

SystemAllocator system_allocator() { return g_system; }
void set_system_allocator(SystemAllocator allocator) { g_system = allocator; }

}  // namespace qx
