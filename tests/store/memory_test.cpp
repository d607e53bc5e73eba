#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "store/hooks.h"
#include "store/memory.h"

namespace qx {
namespace {

// A system allocator that refuses a chosen number of requests.
int g_refusals = 0;
int g_requests = 0;
SystemAllocator g_real;

void* refusing_allocate(std::size_t alignment, std::size_t size) {
    ++g_requests;
    return g_refusals-- > 0 ? nullptr : g_real.allocate_aligned(alignment, size);
}

// The store's calls up to the editor, in order: w warning, r release, x exhausted.
std::string g_calls;

class MemoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_real = system_allocator();
        g_refusals = g_requests = 0;
        g_calls.clear();
        StoreHooks hooks = default_store_hooks();
        hooks.memoryWarning = [] { g_calls += 'w'; };
        hooks.releaseMemory = [] { g_calls += 'r'; };
        hooks.memoryExhausted = [] { g_calls += 'x'; };
        install_store_hooks(hooks);
    }
    void TearDown() override {
        set_system_allocator(g_real);
        release_memory_reserve();
        install_store_hooks(default_store_hooks());
    }
    void refuse(int n) {
        g_refusals = n;
        set_system_allocator({refusing_allocate, g_real.release});
    }
};

TEST_F(MemoryTest, BlocksAreReusedAndLargeBlocksComeFromTheSystem) {
    if (!allocator_uses_chunks()) GTEST_SKIP() << "sanitizer builds allocate every block from the system";
    void* a = valloc(100);
    std::memset(a, 1, 100);
    vfree(a);
    EXPECT_EQ(valloc(100), a) << "a freed block serves the next request of its size";
    vfree(a);

    std::size_t before = allocator_bytes_held();
    void* big = valloc_zeroed(100000);
    EXPECT_GE(allocator_bytes_held(), before + 100000);
    EXPECT_EQ(static_cast<unsigned char*>(big)[99999], 0);
    vfree(big);
    EXPECT_EQ(allocator_bytes_held(), before);

    // Blocks for records holding pointers are aligned for them.
    struct Record { void* p; int32_t n; };
    for (int i = 0; i < 5; ++i) {
        auto* r = valloc_record<Record>();
        EXPECT_EQ(reinterpret_cast<uintptr_t>(r) % alignof(Record), 0u);
        EXPECT_EQ(r->p, nullptr);
    }
}

TEST_F(MemoryTest, PackedBlocksLieInSequenceAndTheirChunksAreReused) {
    if (!allocator_uses_chunks()) GTEST_SKIP() << "sanitizer builds allocate every block from the system";
    std::vector<void*> blocks;
    for (int i = 0; i < 3000; ++i) blocks.push_back(valloc_packed(20 + i % 50));
    int breaks = 0;   // a new chunk breaks the sequence now and then
    for (int i = 1; i < 3000; ++i)
        if (static_cast<char*>(blocks[i]) - static_cast<char*>(blocks[i - 1]) != 20 + (i - 1) % 50) ++breaks;
    EXPECT_LE(breaks, 3000 * 45 / 16000 + 1);
    std::size_t held = allocator_bytes_held();
    for (void* b : blocks) vfree(b);
    for (int round = 0; round < 3; ++round) {
        blocks.clear();
        for (int i = 0; i < 3000; ++i) blocks.push_back(valloc_packed(20 + i % 50));
        for (void* b : blocks) vfree(b);
    }
    EXPECT_LE(allocator_bytes_held(), held) << "freed packed chunks serve later allocations";
}

TEST_F(MemoryTest, ChunksOfFreedSmallBlocksGoBackToTheSystem) {
    if (!allocator_uses_chunks()) GTEST_SKIP() << "sanitizer builds allocate every block from the system";
    std::size_t before = allocator_bytes_held();
    std::vector<void*> blocks;
    for (int i = 0; i < 200000; ++i) blocks.push_back(valloc(24 + i % 89));
    std::size_t peak = allocator_bytes_held();
    for (std::size_t i = 0; i < blocks.size(); i += 2) vfree(blocks[i]);
    EXPECT_EQ(allocator_bytes_held(), peak) << "every chunk still has blocks in use";
    for (std::size_t i = 0; i < blocks.size(); i += 2) blocks[i] = valloc(24 + i % 89);
    EXPECT_EQ(allocator_bytes_held(), peak) << "freed blocks are used again first";
    for (void* b : blocks) vfree(b);
    EXPECT_LT(allocator_bytes_held(), before + (peak - before) / 2);   // earlier tests' chunks may go too
}

TEST_F(MemoryTest, ReleasingEverythingAtOnceLeavesTheAllocatorAsNew) {
    if (!allocator_uses_chunks()) GTEST_SKIP() << "sanitizer builds allocate every block from the system";
    EXPECT_EXIT(
        {
            valloc(40);
            valloc(100000);
            for (int i = 0; i < 20000; ++i) valloc_packed(200);   // more than one system block
            bool ok = release_all_memory() && allocator_bytes_held() == 0;
            for (std::size_t size : {40, 60, 100000}) std::memset(valloc(size), 1, size);
            std::memset(valloc_packed(60), 1, 60);
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(MemoryTest, FirstExhaustionSpendsTheReserveAndRetries) {
    acquire_memory_reserve();
    ASSERT_TRUE(memory_reserve_held());
    refuse(1);
    void* block = valloc(MEMORY_RESERVE_SIZE * 2);   // needs a fresh system block
    ASSERT_NE(block, nullptr);
    EXPECT_FALSE(memory_reserve_held()) << "the reserve is spent, never obtained again";
    EXPECT_EQ(g_requests, 2) << "one refusal, one successful retry";
    EXPECT_EQ(g_calls, "wr") << "warned, then the undo history given up";
    vfree(block);
    acquire_memory_reserve();
}

TEST_F(MemoryTest, ExhaustionWithoutReserveEndsTheEditorWithStatusTwo) {
    auto exhaust = [this](bool reserve) {
        reserve ? acquire_memory_reserve() : release_memory_reserve();
        refuse(1000000);
        valloc(MEMORY_RESERVE_SIZE * 2);
    };
    EXPECT_EXIT(exhaust(true), ::testing::ExitedWithCode(2), "");
    // Without the reserve: the exit goes through the installed path, after the last notice.
    StoreHooks hooks = store_hooks();
    hooks.exitEditor = [](int32_t status) {
        if (g_calls == "x") std::_Exit(status + 1);
    };
    install_store_hooks(hooks);
    EXPECT_EXIT(exhaust(false), ::testing::ExitedWithCode(3), "");
}

}  // namespace
}  // namespace qx
