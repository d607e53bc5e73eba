// The line block buffer and WrapPara on a generated file of 1,000,000 lines: "Memory
// In Use", the resident size and the allocator's holding around Flush and Kill of
// 100,000 lines; then Block Copy and Paste of 10,000 and 100,000 lines and WrapPara
// of paragraphs of 1,000 and 10,000 lines, in ms per 10,000 lines (the same figure
// at both sizes means linear).
// The editor runs in process without a terminal, its commands called directly.
//
//   blocks_bench [directory for the generated file]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "app/panels.h"
#include "app/startup.h"
#include "buffers/line_buffer.h"
#include "edit/line_block.h"
#include "edit/paragraph.h"
#include "edit/undo_actions.h"
#include "files/open_files.h"
#include "options/options.h"
#include "screen/status.h"
#include "state/command_state.h"
#include "store/memory.h"
#include "store/text.h"
#include "undo/undo.h"

using namespace qx;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int LINES = 1000000;
constexpr int SMALL_PARAGRAPH = 300000, SMALL_LENGTH = 1000;   // where the paragraphs start, and their lines
constexpr int BIG_PARAGRAPH = 500000, BIG_LENGTH = 10000;
constexpr int RUNS = 3;

double ms_since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Prose-like lines of 16 to 105 characters, one in twenty empty, except inside the
// two paragraphs, which have an empty line on each side.
void generate(const std::string& path) {
    std::mt19937 rng(12345);
    static const char* words[] = {"the", "editor", "keeps", "every", "line", "of", "text", "in", "memory",
                                  "as", "a", "linked", "list", "and", "refills", "paragraphs", "quickly"};
    std::ofstream out(path);
    std::string line;
    auto inside = [](int i, int start, int length) { return i >= start - 1 && i <= start + length; };
    for (int i = 0; i < LINES; ++i) {
        bool edge = i == SMALL_PARAGRAPH - 1 || i == SMALL_PARAGRAPH + SMALL_LENGTH || i == BIG_PARAGRAPH - 1 ||
                    i == BIG_PARAGRAPH + BIG_LENGTH;
        bool paragraph = inside(i, SMALL_PARAGRAPH, SMALL_LENGTH) || inside(i, BIG_PARAGRAPH, BIG_LENGTH);
        if (edge || (!paragraph && rng() % 20 == 0)) {
            out << '\n';
            continue;
        }
        line.clear();
        std::size_t target = 16 + rng() % 90;
        while (line.size() < target) {
            line += words[rng() % (sizeof words / sizeof *words)];
            line += ' ';
        }
        line.pop_back();
        out << line << '\n';
    }
}

long resident_kb() {
    long pages = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void show_memory(const char* when) {
    std::printf("  %-44s Memory In Use %11lld B   resident %8ld kB  held %zu kB\n", when,
                static_cast<long long>(memory_in_use()), resident_kb(), allocator_bytes_held() / 1024);
}

// Makes the line at index current, its number known.
void go_to(int32_t index) {
    line_commit();
    CurrentFile.currentLine = LineAtIndex(index);
    SetLineNumberCache(index + 1);
    FrameCurrentLine(NOTICE_ROW);
}

BlockSelection block_at(int32_t first, int32_t count, int32_t action) {
    go_to(first);
    Line* start = CurrentFile.currentLine;
    Line* last = walk_lines(CurrentFile.text.lines, start, '+', count - 1);
    return {start, last, count, action, static_cast<int32_t>(BLOCK_CHOICES.find(static_cast<char>(action)))};
}

double per_10k(double ms, int lines) { return ms * 10000.0 / lines; }

}  // namespace

int main(int argc, char** argv) {
    std::string dir = argc > 1 ? argv[1] : std::filesystem::temp_directory_path().string();
    std::string path = dir + "/qx-bench-blocks.txt";
    generate(path);
    reset_editor();
    open_file(path.c_str());
    if (OpenResult != 0 || CurrentFile.text.lines.count != LINES) {
        std::fprintf(stderr, "could not read %s\n", path.c_str());
        return 1;
    }
    std::printf("file: %d lines\n", LINES);

    std::printf("Memory around Flush and Kill of 100,000 lines:\n");
    show_memory("before");
    BlockAction = 'C';
    block_copy(block_at(200000, 100000, 'C'));
    show_memory("after Copy of 100,000 lines");
    BlockAction = 'F';
    flush_block_buffer();
    show_memory("after Flush");
    BlockAction = 'C';
    block_copy(block_at(200000, 100000, 'C'));
    go_to(700000);
    BlockAction = 'P';
    block_paste();
    flush_block_buffer();
    flush_undo();
    show_memory("after Copy, Paste, Flush (file +100,000 lines)");
    BlockAction = 'K';
    block_kill(block_at(700000, 100000, 'K'));
    show_memory("after Kill of the pasted lines");
    flush_undo();
    show_memory("after the undo history is emptied");
    // Best of three runs: the machine may be busy with other work.
    std::printf("Block Copy then Paste (ms per 10,000 lines, best of %d):\n", RUNS);
    for (int count : {10000, 100000}) {
        double copy = 1e9, paste = 1e9;
        for (int run = 0; run < RUNS; ++run) {
            BlockAction = 'C';
            BlockSelection block = block_at(200000, count, 'C');
            auto start = Clock::now();
            block_copy(block);
            copy = std::min(copy, ms_since(start));
            go_to(700000);
            BlockAction = 'P';
            start = Clock::now();
            block_paste();
            paste = std::min(paste, ms_since(start));
            undo_step();   // the pasted lines go again
        }
        std::printf("  %6d lines: copy %6.2f, paste %6.2f\n", count, per_10k(copy, count), per_10k(paste, count));
    }

    std::printf("WrapPara (ms per 10,000 lines, best of %d):\n", RUNS);
    Options.rightMargin = 72;
    for (auto [first, count] : {std::pair{SMALL_PARAGRAPH, SMALL_LENGTH}, std::pair{BIG_PARAGRAPH, BIG_LENGTH}}) {
        double took = 1e9;
        uint32_t after = 0;
        for (int run = 0; run < RUNS; ++run) {
            go_to(first);
            CurrentCommandKey = 'w';
            auto start = Clock::now();
            wrap_para();
            took = std::min(took, ms_since(start));
            after = CurrentFile.text.lines.count;
            undo_step();   // the paragraph as it was, for the next run
        }
        std::printf("  %6d lines: %6.2f   (%d lines become %d)\n", count, per_10k(took, count), count,
                    count + static_cast<int32_t>(after) - static_cast<int32_t>(CurrentFile.text.lines.count));
    }
    if (!std::getenv("QX_BENCH_KEEP")) std::remove(path.c_str());
    return 0;
}
