// Reading and writing a generated file of 1,000,000 lines (~60 MB), beside the time
// `wc -l` takes on the same file, and the memory held per byte of text.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "options/options.h"
#include "store/memory.h"
#include "store/text.h"
#include "store/text_file.h"

using namespace qx;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int LINES = 1000000;
constexpr int RUNS = 3;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Prose-like lines of varied length, some indented, some blank, a few with TABs.
void generate(const std::string& path) {
    std::mt19937 rng(12345);
    static const char* words[] = {"the", "editor", "keeps", "every", "line", "of", "text", "in",
                                  "memory", "as", "a", "linked", "list", "and", "writes", "it",
                                  "back", "through", "temporary", "file", "quickly", "(x)", "42;"};
    std::FILE* out = std::fopen(path.c_str(), "w");
    std::string line;
    for (int i = 0; i < LINES; ++i) {
        line.clear();
        int kind = rng() % 20;
        if (kind == 0) {
            std::fputs("\n", out);
            continue;
        }
        if (kind < 4) line.append(4 * (rng() % 4), ' ');
        if (kind == 4) line += '\t';
        std::size_t target = 16 + rng() % 90;
        while (line.size() < target) {
            line += words[rng() % (sizeof words / sizeof *words)];
            line += ' ';
        }
        line.back() = '\n';
        std::fputs(line.c_str(), out);
    }
    std::fclose(out);
}

double time_wc(const std::string& path) {
    double best = 1e9;
    for (int i = 0; i < RUNS; ++i) {
        auto start = Clock::now();
        std::string cmd = "wc -l < '" + path + "' > /dev/null";
        if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "wc failed\n");
        best = std::min(best, seconds_since(start));
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    std::string dir = argc > 1 ? argv[1] : std::filesystem::temp_directory_path().string();
    std::string path = dir + "/qx-bench-text.txt";
    std::string copy = dir + "/qx-bench-copy.txt";
    generate(path);
    double mb = static_cast<double>(std::filesystem::file_size(path)) / 1e6;

    double wc = time_wc(path);
    double best_read = 1e9, first_read = 0, best_write = 1e9, per_byte = 0;
    for (int run = 0; run < RUNS; ++run) {
        FileText text{};
        list_init(text.lines);
        CurrentFile.text.format = 'u';
        std::size_t held_before = allocator_bytes_held();
        auto start = Clock::now();
        int32_t result = read_text_lines(path.c_str(), text.lines, text.charCount, text.lineCount, text.format,
                                         tab_translation());
        double took = seconds_since(start);
        if (run == 0) first_read = took;
        best_read = std::min(best_read, took);
        if (result != 0 || text.lineCount != LINES) {
            std::fprintf(stderr, "read failed: %d, %u lines\n", result, text.lineCount);
            return 1;
        }
        if (run == 0) per_byte = double(allocator_bytes_held() - held_before) / (mb * 1e6);
        uint32_t counted, lines;   // the sums the editor takes once the first screen shows
        text_count(text, false, counted, lines, text.checksum);

        uint32_t c, l, s;
        start = Clock::now();
        result = write_text_file(copy.c_str(), 1, 'u', first_line(text.lines), nullptr, c, l, s, tab_translation());
        best_write = std::min(best_write, seconds_since(start));
        if (result != 0 || c != text.charCount || s != text.checksum) {
            std::fprintf(stderr, "write failed or differs: %d\n", result);
            return 1;
        }
        list_free_all(text.lines);
    }
    std::printf("file: %d lines, %.1f MB (input translation %s)\n", LINES, mb,
                Options.inputTranslation ? "on" : "off");
    std::printf("wc -l:  %7.1f ms  %8.0f MB/s\n", wc * 1e3, mb / wc);
    std::printf("read:   %7.1f ms  %8.0f MB/s  (%.2fx wc -l; aim at most 5x)\n", best_read * 1e3,
                mb / best_read, best_read / wc);
    std::printf("  first read, into fresh memory: %.1f ms (%.2fx wc -l)\n", first_read * 1e3, first_read / wc);
    std::printf("write:  %7.1f ms  %8.0f MB/s  (temporary file, flushed to disk, renamed)\n",
                best_write * 1e3, mb / best_write);
    std::printf("memory: %.3f bytes held per byte of text (aim at most 1.35)\n", per_byte);
    if (!std::getenv("QX_BENCH_KEEP")) std::remove(path.c_str());
    std::remove(copy.c_str());
    return 0;
}
