// Find and replace-all in the real editor on an 80x24 pseudo-terminal, through a
// generated file of 1,000,000 lines (~60 MB) in which one word occurs about 110,000
// times and a unique word stands only on the last line:
//  - Find of the last-line word from the top of the file, Enter to the screen that
//    shows it;
//  - replacing every occurrence of the common word by a shorter one: the count "*",
//    then Again until the count stops growing, Enter to the last message; a fresh
//    Find then checks that none is left.
// Each run starts a new editor; the best and the median of the runs are shown, with
// the editor's own CPU time beside the wall time.
//
//   screen_find_bench [path of qx] [directory for the generated file]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "qx_screen.h"

namespace qx {
namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;
using test::Key;
using test::Pos;
using test::QxScreen;

constexpr long LINES = 1000000;
constexpr int RUNS = 5;
constexpr long REPETITIONS = 32000;            // the count "*"
constexpr const char* WORD = "marker";       // the word replaced
constexpr const char* SHORTER = "mk";
constexpr const char* UNIQUE = "zanzibar";   // only on the last line
constexpr std::chrono::milliseconds WAIT{60'000};

double seconds_since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

// Prose lines of 16 to 105 characters; about one in nine holds WORD once.
long write_file(const std::string& path) {
    static const char* words[] = {"the", "editor", "keeps", "every", "line", "of", "text", "in",
                                  "memory", "as", "a", "linked", "list", "and", "writes", "it",
                                  "back", "through", "temporary", "file", "quickly", "(x)", "42;"};
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (!out) return -1;
    std::mt19937 rng(2024);
    long occurrences = 0;
    std::string line, chunk;
    for (long i = 1; i <= LINES; ++i) {
        line.clear();
        std::size_t length = 16 + rng() % 90;
        bool marked = rng() % 1000 < 110;
        std::size_t mark_at = marked ? rng() % length : length + 1;
        while (line.size() < length) {
            if (!line.empty()) line += ' ';
            if (line.size() >= mark_at) {
                line += WORD;
                mark_at = length + 1;
                ++occurrences;
            } else {
                line += words[rng() % (sizeof words / sizeof *words)];
            }
        }
        if (i == LINES) line = std::string("the end of the generated text: ") + UNIQUE;
        chunk += line;
        chunk += '\n';
        if (chunk.size() > (1u << 20)) {
            std::fwrite(chunk.data(), 1, chunk.size(), out);
            chunk.clear();
        }
    }
    std::fwrite(chunk.data(), 1, chunk.size(), out);
    return std::fclose(out) == 0 ? occurrences : -1;
}

struct Run {
    double find = 0, findCpu = 0;
    double replace = 0, replaceCpu = 0;   // the counted Replace and the Again after it
    double counted = 0;                   // the first 32000 (or fewer)
};

bool fail(const QxScreen& t, const std::string& what) {
    std::fprintf(stderr, "\nscreen_find_bench: %s\n%s", what.c_str(), t.dump().c_str());
    return false;
}

bool wait(QxScreen& t, const std::function<bool()>& done) { return t.wait_for(done, WAIT); }

bool message_shows(QxScreen& t, const std::string& text) { return t.row(0).find(text) != std::string::npos; }

bool one_run(const std::string& binary, const std::string& path, long occurrences, Run& run) {
    QxScreen t({path}, 80, 24);
    try {
        t.start(binary);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cannot start %s: %s\n", binary.c_str(), e.what());
        return false;
    }
    if (!wait(t, [&] { return message_shows(t, "ESC-h for Help") && t.cursor() == Pos{2, 0}; }))
        return fail(t, "no first screen");

    // Find, from line 1: the last line is framed on row 11.
    t.esc("f");
    if (!wait(t, [&] { return message_shows(t, "Find (F10 to clear): "); })) return fail(t, "no Find prompt");
    t.type(UNIQUE);
    if (!wait(t, [&] { return message_shows(t, UNIQUE); })) return fail(t, "the find string is not echoed");
    double cpu = t.cpu_seconds();
    auto start = Clock::now();
    t.key(Key::Enter);
    Pos at{11, 31};
    if (!wait(t, [&] { return t.cursor() == at && t.row(11).find(UNIQUE) != std::string::npos; }))
        return fail(t, "Find did not reach the last line");
    run.find = seconds_since(start);
    run.findCpu = t.cpu_seconds() - cpu;

    // Replace every occurrence, from the last line round to it again.
    t.esc("*r");
    if (!wait(t, [&] { return message_shows(t, "Replace (F10 to clear): "); })) return fail(t, "no Replace prompt");
    t.key(Key::F10);
    t.type(WORD);
    t.key(Key::Enter);
    if (!wait(t, [&] { return t.row(2).rfind("With: ", 0) == 0; })) return fail(t, "no With: prompt");
    t.type(SHORTER);
    if (!wait(t, [&] { return t.row(2).rfind(std::string("With: ") + SHORTER, 0) == 0; }))
        return fail(t, "the replacement is not echoed");
    // "*" is 32000 repetitions: each Again goes on with as many, and the count with
    // them, until one comes back round to no more.
    cpu = t.cpu_seconds();
    start = Clock::now();
    t.key(Key::Enter);
    long total = 0;
    for (bool again = false;; again = true) {
        if (again) t.key(Key::F1);
        long step = std::min(REPETITIONS, occurrences - total);
        if (again && step < REPETITIONS) {
            if (!wait(t, [&] { return message_shows(t, std::string("No more occurances: ") + WORD); }))
                return fail(t, "Again found more");
            break;
        }
        total += step;
        std::string made = std::to_string(total) + " replacement(s) made";
        if (!wait(t, [&] { return message_shows(t, made); })) return fail(t, "expected: " + made);
        if (!again) run.counted = seconds_since(start);
        if (step < REPETITIONS) break;
    }
    run.replace = seconds_since(start);
    run.replaceCpu = t.cpu_seconds() - cpu;

    // None is left: a fresh Find of the word finds nothing.
    t.esc("f");
    t.key(Key::Enter);
    if (!wait(t, [&] { return message_shows(t, std::string("Not Found: ") + WORD); }))
        return fail(t, "an occurrence was left");
    return true;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int run(int argc, char** argv) {
    std::string binary = fs::absolute(argc > 1 ? argv[1] : test::qx_binary()).string();
    std::string base = argc > 2 ? argv[2] : fs::temp_directory_path().string();
    if (access(binary.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "screen_find_bench: no editor at %s\n", binary.c_str());
        return 1;
    }
    std::string path = base + "/qx-find-bench-" + std::to_string(getpid()) + ".txt";
    long occurrences = write_file(path);
    if (occurrences < 0) {
        std::fprintf(stderr, "screen_find_bench: cannot write %s\n", path.c_str());
        return 1;
    }
    double mb = static_cast<double>(fs::file_size(path)) / 1e6;
    std::vector<Run> runs;
    for (int i = 0; i < RUNS; ++i) {
        Run r;
        if (!one_run(binary, path, occurrences, r)) {
            fs::remove(path);
            return 1;
        }
        runs.push_back(r);
    }
    fs::remove(path);

    auto column = [&](const char* what, double Run::*field, double aim) {
        std::vector<double> v;
        for (const Run& r : runs) v.push_back(r.*field * 1e3);
        double best = *std::min_element(v.begin(), v.end());
        std::printf("   %-44s %9.1f %9.1f", what, best, median(v));
        if (aim > 0) std::printf("   (aim at most %.0f ms)", aim);
        std::printf("\n");
    };
    std::printf("qx: %s, terminal 80x24, default options\n", binary.c_str());
    std::printf("file: %ld lines, %.1f MB; \"%s\" %ld times, \"%s\" on the last line only\n\n", LINES, mb, WORD,
                occurrences, UNIQUE);
    std::printf("   %-44s %9s %9s   (%d runs, ms)\n", "", "best", "median", RUNS);
    column("Find of the last-line word from the top", &Run::find, 50);
    column("  editor CPU", &Run::findCpu, 0);
    column("replace-all: count *, then Again", &Run::replace, 150);
    column("  of which the first count (32000)", &Run::counted, 0);
    column("  editor CPU", &Run::replaceCpu, 0);
    return 0;
}

}  // namespace qx

int main(int argc, char** argv) { return qx::run(argc, argv); }
